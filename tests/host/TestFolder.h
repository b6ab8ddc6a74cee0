// Helpers shared by the host self-tests: a temporary folder with files, and
// the test plug-in's path as Windows sees it.
#pragma once

#include <windows.h>

#include <string>

namespace hosttest {

// "/a/b" -> "Z:\a\b": Wine shows the Unix root as drive Z.
inline std::string WinPath(const std::string& unixPath) {
  std::string p = "Z:" + unixPath;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

inline std::string TestPluginDll() { return WinPath(TESTPLUGIN_DIR) + "\\testplugin.dll"; }

// A fresh folder under %TEMP%, removed with its contents at the end.
class TestFolder {
 public:
  TestFolder() {
    char temp[MAX_PATH];
    DWORD n = GetTempPathA(sizeof temp, temp);
    static int counter = 0;
    path_ = std::string(n > 0 && n < sizeof temp ? temp : ".\\") + "farhost-" +
            std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TestFolder() { Remove(path_); }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string Write(const std::string& relative, const std::string& content) const {
    std::string full = path_ + "\\" + relative;
    HANDLE f = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(f, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
      CloseHandle(f);
    }
    return full;
  }
  std::string Mkdir(const std::string& relative) const {
    std::string full = path_ + "\\" + relative;
    CreateDirectoryA(full.c_str(), nullptr);
    return full;
  }
  static bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

 private:
  static void Remove(const std::string& dir) {
    WIN32_FIND_DATAA f;
    HANDLE s = FindFirstFileA((dir + "\\*").c_str(), &f);
    if (s != INVALID_HANDLE_VALUE) {
      do {
        std::string name = f.cFileName;
        if (name == "." || name == "..") continue;
        std::string full = dir + "\\" + name;
        if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Remove(full);
        else DeleteFileA(full.c_str());
      } while (FindNextFileA(s, &f));
      FindClose(s);
    }
    RemoveDirectoryA(dir.c_str());
  }
  std::string path_;
};

}  // namespace hosttest
