#include "plugin/DebugLog.h"
#include "plugin/Options.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

std::string ReadFile(const std::string& path) {
  std::string text;
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) return "<missing>";
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, file)) > 0) text.append(buf, n);
  fclose(file);
  return text;
}

std::string CurrentDirectory() {
  char dir[MAX_PATH];
  GetCurrentDirectoryA(sizeof dir, dir);
  return dir;
}

// A module folder in the temporary folder; the log and the folder are removed
// afterwards, and the log stream is closed.
class DebugLogFile : public ::testing::Test {
 protected:
  DebugLogFile() {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    folder_ = std::string(base) + "melvox-log-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder_.c_str(), nullptr);
    module_ = folder_ + "\\melvox.dll";
    log_ = folder_ + "\\melvox.log";
    savedLogFile_ = Opt.LogFile;
    Opt.LogFile = 1;
  }
  ~DebugLogFile() override {
    DebugLog.Close();
    DeleteFileA(log_.c_str());
    RemoveDirectoryA(folder_.c_str());
    Opt.LogFile = savedLogFile_;
  }

  std::string folder_, module_, log_;
  int savedLogFile_;
};

bool IsOneOf(const std::string& word, const char* const* list, int count) {
  for (int i = 0; i < count; ++i) {
    if (word == list[i]) return true;
  }
  return false;
}

// "Mon Dec  7 22:05:11 2026" with today's day and year.
void ExpectTimestamp(const std::string& stamp) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  ASSERT_EQ(24u, stamp.size()) << stamp;
  EXPECT_TRUE(IsOneOf(stamp.substr(0, 3), kDays, 7)) << stamp;
  EXPECT_TRUE(IsOneOf(stamp.substr(4, 3), kMonths, 12)) << stamp;
  const char* shape = "aaa aaa dd dd:dd:dd dddd";
  for (size_t i = 0; i < stamp.size(); ++i) {
    if (shape[i] == 'd' && !(i == 8 && stamp[i] == ' ')) {
      EXPECT_TRUE(isdigit(static_cast<unsigned char>(stamp[i]))) << stamp << " at " << i;
    } else if (shape[i] != 'a' && shape[i] != 'd') {
      EXPECT_EQ(shape[i], stamp[i]) << stamp << " at " << i;
    }
  }
  SYSTEMTIME now;
  GetLocalTime(&now);
  EXPECT_EQ(std::to_string(now.wYear), stamp.substr(20));
  EXPECT_EQ(now.wDay, atoi(stamp.substr(8, 2).c_str()));
}

}  // namespace

TEST_F(DebugLogFile, HeaderThenMessagesWithDosLineEnds) {
  std::string before = CurrentDirectory();
  StartDebugLog(module_.c_str());
  ASSERT_TRUE(DebugLog.IsOpen());
  EXPECT_EQ(before, CurrentDirectory());
  DebugLog << "\nSetStartupInfo: StartCount=" << 3 << ", handle=" << static_cast<void*>(nullptr)
           << LogFlush;

  // Flushed messages are on disk while the log is still open.
  std::string text = ReadFile(log_);
  const std::string head =
      "MELVOX v1.06a builded on 07.01.Y2k at 03:40:22\r\n"
      "SetStartupInfo: debug log file started on ";
  ASSERT_EQ(head, text.substr(0, head.size()));
  ExpectTimestamp(text.substr(head.size(), 24));
  EXPECT_EQ("\r\nSetStartupInfo: LogPath=" + folder_ + "\\" +
                "\r\nSetStartupInfo: StartCount=3, handle=0x0",
            text.substr(head.size() + 24));
}

TEST_F(DebugLogFile, EachStartReplacesThePreviousLog) {
  StartDebugLog(module_.c_str());
  DebugLog << "\nfirst run: " << std::string(500, 'x').c_str() << LogFlush;
  DebugLog.Close();
  StartDebugLog(module_.c_str());
  DebugLog << "\nsecond run" << LogFlush;
  DebugLog.Close();
  std::string text = ReadFile(log_);
  EXPECT_EQ(0u, text.find("MELVOX v1.06a"));
  EXPECT_EQ(std::string::npos, text.find("first run"));
  EXPECT_EQ(text.size() - strlen("\r\nsecond run"), text.find("\r\nsecond run"));
}

TEST_F(DebugLogFile, OffOrUnreachableMeansNoLogAndTheSameCurrentDirectory) {
  std::string before = CurrentDirectory();
  Opt.LogFile = 0;
  StartDebugLog(module_.c_str());
  EXPECT_FALSE(DebugLog.IsOpen());
  DebugLog << "\nnowhere" << LogFlush;
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(log_.c_str()));

  Opt.LogFile = 1;
  std::string missing = folder_ + "\\no such folder\\melvox.dll";
  StartDebugLog(missing.c_str());
  EXPECT_FALSE(DebugLog.IsOpen());
  EXPECT_EQ(before, CurrentDirectory());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(log_.c_str()));
}
