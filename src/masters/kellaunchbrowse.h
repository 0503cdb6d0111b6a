#pragma once

#include <QString>
#include <QStringList>

// Every look-up of the program: shows a pick list with `caption`, the TAB-separated column
// `titulos` and the rows of `sql`, with the row of `defecto` selected. Returns the first-column
// text of the chosen row, or `defecto` when the operator cancels or there is nothing to choose.
// `clave` names trailing columns of `sql`, not shown, that identify a row.
QString kelLaunchBrowse(const QString& caption, const QString& titulos, const QString& sql,
                        const QString& defecto, const QStringList& clave = {});
