// The debug log: one global text stream that every part of the plug-in writes
// to unconditionally. It is opened at start-up only when the LogFile setting
// is on; writes to an unopened stream do nothing.
//
// Convention: every message starts with "\n", then the scope ("OpenPlugin" or
// "MELVOXPanel::GetFindData"), ": " and the text; an operation's first message
// ends in "{", its last in "}"; each message or short group is flushed.
#pragma once

#include <stdio.h>

struct LogFlushTag {};
// Stream manipulator: forces everything written so far into the file.
constexpr LogFlushTag LogFlush{};

class LogStream {
 public:
  LogStream() = default;
  ~LogStream() { Close(); }
  LogStream(const LogStream&) = delete;
  LogStream& operator=(const LogStream&) = delete;

  // Takes over an open file (the stream closes it); null leaves it unopened.
  void Attach(FILE* file);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }

  LogStream& operator<<(const char* text);                 // as it is
  LogStream& operator<<(int value);                        // signed decimal
  LogStream& operator<<(long value);
  LogStream& operator<<(unsigned value);                   // decimal
  LogStream& operator<<(unsigned long value);
  LogStream& operator<<(const void* handle);               // "0x" and lower-case hex
  LogStream& operator<<(LogFlushTag);

 private:
  FILE* file_ = nullptr;
};

extern LogStream DebugLog;

// "Mon Dec  7 09:05:02 2026\n": weekday 0 = Sunday, month 0 = January.
// Out-of-range weekday or month are written as "???".
size_t FormatLogTimestamp(char* buf, size_t size, int weekday, int month, int day, int hour,
                          int minute, int second, int year);

// The header that starts every log file, up to and including "LogPath=" and the path.
size_t FormatLogHeader(char* buf, size_t size, const char* timestamp, const char* logPath);

#ifdef _WIN32
// Opens "melvox.log" in the module's folder and writes the header; the
// process's current directory is left as it was. Failures leave the log off.
void OpenDebugLog(const char* moduleName);
// The start-up step: OpenDebugLog when Opt.LogFile is on, nothing otherwise.
void StartDebugLog(const char* moduleName);
#endif
