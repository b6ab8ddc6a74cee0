// The folder a test's plug-in module "lies" in when its code runs inside the
// host emulator: the host reads the language and help files beside the
// module, so the folder gets the files this build ships.
#pragma once

#include "TempDir.h"

#include <windows.h>

#include <string.h>

#include <string>

namespace plugintest {

// Copies the build's help files into folder, and its language files too when
// asked. The host finds help only as *.hlf; a help file the build still names
// otherwise is copied under that extension.
inline bool CopyBuiltPluginFiles(const std::string& folder, bool languageFiles) {
  std::string lang = testkit::WinePath(std::string(MELVOX_BINARY_DIR) + "/lang");
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((lang + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool copied = true;
  do {
    std::string name = found.cFileName;
    size_t dot = name.find_last_of('.');
    std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    std::string target;
    if (_stricmp(extension.c_str(), ".hlf") == 0 || _stricmp(extension.c_str(), ".hlp") == 0)
      target = name.substr(0, dot) + ".hlf";
    else if (languageFiles && _stricmp(extension.c_str(), ".lng") == 0)
      target = name;
    if (!target.empty())
      copied = CopyFileA((lang + "\\" + name).c_str(), (folder + "\\" + target).c_str(), FALSE) && copied;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return copied;
}

}  // namespace plugintest
