#include "host/FarApi.h"
#include "plugin/HostInfo.h"

#include <gtest/gtest.h>

TEST(FarApi, FindDataCopyKeepsEveryField) {
  WIN32_FIND_DATAA from = {};
  from.dwFileAttributes = FILE_ATTRIBUTE_ARCHIVE;
  from.ftLastWriteTime.dwLowDateTime = 0x11223344;
  from.ftLastWriteTime.dwHighDateTime = 0x55667788;
  from.nFileSizeLow = 12345;
  from.nFileSizeHigh = 1;
  strcpy(from.cFileName, "song.mp3");
  strcpy(from.cAlternateFileName, "SONG~1.MP3");
  FarFindData to;
  memset(&to, 0xAB, sizeof to);
  CopyFindData(&to, from);
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE), to.dwFileAttributes);
  EXPECT_EQ(0x11223344u, to.ftLastWriteTime.dwLowDateTime);
  EXPECT_EQ(0x55667788u, to.ftLastWriteTime.dwHighDateTime);
  EXPECT_EQ(12345u, to.nFileSizeLow);
  EXPECT_EQ(1u, to.nFileSizeHigh);
  EXPECT_STREQ("song.mp3", to.cFileName);
  EXPECT_STREQ("SONG~1.MP3", to.cAlternateFileName);
}

TEST(FarApi, StartupInfoCopiesOnlyWhatTheHostAnnounces) {
  PluginStartupInfo info;
  memset(&info, 0x5A, sizeof info);
  info.StructSize = offsetof(PluginStartupInfo, Menu);  // a host without services
  TakeStartupInfo(&info);
  EXPECT_EQ(info.ModuleNumber, HostInfo.ModuleNumber);
  EXPECT_EQ(nullptr, HostInfo.Menu);
  EXPECT_EQ(nullptr, HostInfo.ViewerControl);
  EXPECT_STREQ("", GetMsg(3));  // no GetMsg service: an empty text, never a crash
  info.StructSize = 100000;     // longer than ours: cut to our size
  TakeStartupInfo(&info);
  EXPECT_EQ(info.ViewerControl, HostInfo.ViewerControl);
}
