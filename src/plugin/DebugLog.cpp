#include "plugin/DebugLog.h"

#include "plugin/TextBuffer.h"

#include <inttypes.h>
#include <stdint.h>

LogStream DebugLog;

void LogStream::Attach(FILE* file) {
  Close();
  file_ = file;
}

void LogStream::Close() {
  if (file_ != nullptr) {
    fclose(file_);
    file_ = nullptr;
  }
}

LogStream& LogStream::operator<<(const char* text) {
  if (file_ != nullptr && text != nullptr) fputs(text, file_);
  return *this;
}

LogStream& LogStream::operator<<(int value) { return *this << static_cast<long>(value); }

LogStream& LogStream::operator<<(long value) {
  if (file_ != nullptr) fprintf(file_, "%ld", value);
  return *this;
}

LogStream& LogStream::operator<<(unsigned value) {
  return *this << static_cast<unsigned long>(value);
}

LogStream& LogStream::operator<<(unsigned long value) {
  if (file_ != nullptr) fprintf(file_, "%lu", value);
  return *this;
}

LogStream& LogStream::operator<<(const void* handle) {
  if (file_ != nullptr) {
    fprintf(file_, "0x%" PRIxPTR, reinterpret_cast<uintptr_t>(handle));
  }
  return *this;
}

LogStream& LogStream::operator<<(LogFlushTag) {
  if (file_ != nullptr) fflush(file_);
  return *this;
}

size_t FormatLogTimestamp(char* buf, size_t size, int weekday, int month, int day, int hour,
                          int minute, int second, int year) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const char* dayName = weekday >= 0 && weekday < 7 ? kDays[weekday] : "???";
  const char* monthName = month >= 0 && month < 12 ? kMonths[month] : "???";
  return FormatText(buf, size, "%s %s %2d %02d:%02d:%02d %d\n", dayName, monthName, day, hour,
                    minute, second, year);
}

size_t FormatLogHeader(char* buf, size_t size, const char* timestamp, const char* logPath) {
  return FormatText(buf, size,
                    "MELVOX v1.06a builded on 07.01.Y2k at 03:40:22\n"
                    "SetStartupInfo: debug log file started on %sSetStartupInfo: LogPath=%s",
                    timestamp, logPath);
}
