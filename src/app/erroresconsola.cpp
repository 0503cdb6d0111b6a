#include "app/erroresconsola.h"

#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

ErroresConsola::ErroresConsola() {
    std::fflush(stderr);
#ifdef Q_OS_UNIX
    const int nulo = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    m_guardado = nulo < 0 ? -1 : ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    if (m_guardado >= 0 && ::dup2(nulo, STDERR_FILENO) < 0) {
        ::close(m_guardado);
        m_guardado = -1;
    }
    if (nulo >= 0)
        ::close(nulo);
#endif
    if (m_guardado < 0 || !m_salida.open(m_guardado, QIODevice::WriteOnly | QIODevice::Unbuffered))
        (void)m_salida.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    m_flujo.setDevice(&m_salida);
}

ErroresConsola::~ErroresConsola() {
    m_flujo.flush();
    m_salida.close();
#ifdef Q_OS_UNIX
    if (m_guardado >= 0) {
        std::fflush(stderr);
        ::dup2(m_guardado, STDERR_FILENO);
        ::close(m_guardado);
    }
#endif
}
