// The player's version as the information panel shows it.
#pragma once

#include <stddef.h>

// The answer to IPC_GETVERSION as text: its first hexadecimal digit, ".", the
// first two hexadecimal digits of its low twelve bits, then the whole number
// in hexadecimal: 0x1551 gives "1.55 (0x1551)", 0x2006 "2.6 (0x2006)". 0 (no
// player) gives "???". version is the DWORD answer (unsigned long, the type
// DWORD names, so callers pass PlayerVersion as it is).
void FormatPlayerVersion(unsigned long version, char* buf, size_t size);
