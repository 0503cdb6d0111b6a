#pragma once

#include <QDateEdit>

// A date field in which Tab leaves the field, as in every other field, instead of walking
// through day, month and year (the arrow keys and "/" still move between them).
class CajaFecha : public QDateEdit {
    Q_OBJECT
public:
    using QDateEdit::QDateEdit;

protected:
    bool focusNextPrevChild(bool siguiente) override;
};
