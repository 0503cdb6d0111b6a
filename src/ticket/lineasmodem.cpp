#include "ticket/lineasmodem.h"

LineasModem::~LineasModem() = default;
