// The player's version as the information panel shows it.
#pragma once

#include <stddef.h>
#include <stdint.h>

// The answer to IPC_GETVERSION as text: its first hexadecimal digit, ".", the
// first two hexadecimal digits of its low twelve bits, then the whole number
// in hexadecimal: 0x1551 gives "1.55 (0x1551)", 0x2006 "2.6 (0x2006)". 0 (no
// player) gives "???". Returns the length of the text.
size_t FormatPlayerVersion(uint32_t version, char* buf, size_t size);
