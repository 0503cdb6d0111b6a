#pragma once

#include <QString>
#include <utility>

// The outcome of an operation that can fail: success, or the error text a window shows as it
// stands. Lower layers return it instead of showing anything.
class [[nodiscard]] Resultado {
public:
    // Success.
    Resultado() = default;
    static Resultado Exito() { return {}; }
    static Resultado Fallo(QString error) {
        Resultado r;
        r.m_fallo = true;
        r.m_error = std::move(error);
        return r;
    }

    bool Ok() const { return !m_fallo; }
    explicit operator bool() const { return Ok(); }
    // Empty on success.
    const QString& Error() const { return m_error; }

private:
    bool m_fallo = false;
    QString m_error;
};
