// Bounded text operations for fixed-size character buffers. Every function
// takes the buffer's full size, never writes past it and always leaves the
// buffer terminated (when its size is not 0). Results that did not fit are cut.
#pragma once

#include <stdarg.h>
#include <stddef.h>

// Copies src into dst; returns the number of characters copied.
size_t CopyText(char* dst, size_t dstSize, const char* src);

// Copies at most count characters of src (fewer if src ends earlier).
size_t CopyTextN(char* dst, size_t dstSize, const char* src, size_t count);

// Appends src to the text in dst; returns the new length of dst.
size_t AppendText(char* dst, size_t dstSize, const char* src);

// printf-style formatting into dst; returns the length of the text written.
size_t FormatText(char* dst, size_t dstSize, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
size_t FormatTextV(char* dst, size_t dstSize, const char* format, va_list args);

// Length of a text that may lack its terminator within size bytes.
size_t BoundedLength(const char* text, size_t size);

// Releasable copy of a text (malloc); null when memory is short. The caller frees.
char* DupText(const char* text);
