#include "plugin/DebugLog.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string>

namespace {

std::string WriteThrough(void (*writer)(LogStream&)) {
  char* data = nullptr;
  size_t size = 0;
  FILE* mem = open_memstream(&data, &size);
  LogStream log;
  log.Attach(mem);
  writer(log);
  log.Close();
  std::string text(data, size);
  free(data);
  return text;
}

}  // namespace

TEST(DebugLog, ValuesFollowTheConvention) {
  std::string text = WriteThrough([](LogStream& log) {
    log << "\nOpenPlugin: StartCount=" << 2 << LogFlush;
    log << "\nClosePlugin: handle=" << reinterpret_cast<const void*>(0xABCDEF) << " }";
    log << "\nX: " << -17 << " " << 4000000000ul << " " << static_cast<const void*>(nullptr);
  });
  EXPECT_EQ(
      "\nOpenPlugin: StartCount=2\nClosePlugin: handle=0xabcdef }\nX: -17 4000000000 0x0", text);
}

TEST(DebugLog, UnopenedStreamSwallowsEverything) {
  LogStream log;
  log << "\ntext" << 5 << static_cast<const void*>(&log) << LogFlush;
  EXPECT_FALSE(log.IsOpen());
}

TEST(DebugLog, HeaderAndTimestampForm) {
  char stamp[64];
  FormatLogTimestamp(stamp, sizeof stamp, 1, 11, 7, 9, 5, 2, 2026);
  EXPECT_STREQ("Mon Dec  7 09:05:02 2026\n", stamp);
  FormatLogTimestamp(stamp, sizeof stamp, 6, 0, 31, 23, 59, 59, 2027);
  EXPECT_STREQ("Sat Jan 31 23:59:59 2027\n", stamp);
  char header[256];
  FormatLogHeader(header, sizeof header, stamp, "C:\\Far\\Plugins\\MELVOX\\");
  EXPECT_STREQ(
      "MELVOX v1.06a builded on 07.01.Y2k at 03:40:22\n"
      "SetStartupInfo: debug log file started on Sat Jan 31 23:59:59 2027\n"
      "SetStartupInfo: LogPath=C:\\Far\\Plugins\\MELVOX\\",
      header);
}
