// Helpers shared by the host self-tests: a temporary folder with files, and
// the test plug-in's path as Windows sees it.
#pragma once

#include "TempDir.h"

#include <windows.h>

#include <string>

namespace hosttest {

inline std::string TestPluginDll() { return testkit::WinePath(TESTPLUGIN_DIR) + "\\testplugin.dll"; }

// A fresh folder under %TEMP%, removed with its contents at the end.
class TestFolder : public testkit::TempDir {
 public:
  TestFolder() : TempDir("farhost") {}
  std::string Write(const std::string& relative, const std::string& content) const {
    std::string full = File(relative);
    testkit::WriteText(full, content);
    return full;
  }
  std::string Mkdir(const std::string& relative) const { return MakeDir(relative); }
  static bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
};

}  // namespace hosttest
