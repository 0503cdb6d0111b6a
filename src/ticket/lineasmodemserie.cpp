#include "ticket/lineasmodemserie.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <termios.h>
#endif

bool LineasModemSerie::LeeEstado(bool& cts, bool& dsr) {
    cts = false;
    dsr = false;
#ifdef Q_OS_UNIX
    int estado = 0;
    if (m_fd < 0 || ::ioctl(m_fd, TIOCMGET, &estado) != 0)
        return false;
    cts = (estado & TIOCM_CTS) != 0;
    dsr = (estado & TIOCM_DSR) != 0;
    return true;
#else
    return false;
#endif
}

bool LineasModemSerie::PonDtr(bool activa) {
#ifdef Q_OS_UNIX
    int linea = TIOCM_DTR;
    return m_fd >= 0 && ::ioctl(m_fd, activa ? TIOCMBIS : TIOCMBIC, &linea) == 0;
#else
    Q_UNUSED(activa);
    return false;
#endif
}
