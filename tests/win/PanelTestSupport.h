// Small helpers for the panel and tag tests: a temporary folder that removes
// itself, whole-file reads and writes, and a language table for GetMsg.
#pragma once

#include "plugin/HostInfo.h"
#include "TempDir.h"

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace paneltest {

// A temporary folder that removes itself with everything inside.
using TempFolder = testkit::TempDir;

inline bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  BOOL ok = bytes.empty() ||
            WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  CloseHandle(f);
  return ok && put == bytes.size();
}

inline bool WriteText(const std::string& path, const std::string& text) {
  return WriteBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}

inline std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::vector<unsigned char> bytes;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return bytes;
  DWORD size = GetFileSize(f, nullptr);
  bytes.resize(size);
  DWORD got = 0;
  if (size > 0 && !ReadFile(f, bytes.data(), size, &got, nullptr)) got = 0;
  bytes.resize(got);
  CloseHandle(f);
  return bytes;
}

inline std::string ReadText(const std::string& path) {
  std::vector<unsigned char> b = ReadBytes(path);
  return std::string(b.begin(), b.end());
}

inline long long FileLength(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

inline FILETIME WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

// MPEG frame bytes (128 kbps, 44.1 kHz) of the given length, no tag.
inline std::vector<unsigned char> MpegBytes(size_t length) {
  std::vector<unsigned char> b(length, 0x55);
  const unsigned char head[] = {0xFF, 0xFB, 0x90, 0x64};
  for (size_t i = 0; i < 4 && i < length; ++i) b[i] = head[i];
  return b;
}

// The language messages GetMsg answers while a LangTable lives; unknown
// numbers answer "#<n>" so a wrong number shows in a comparison.
class LangTable {
 public:
  LangTable() {
    saved_ = HostInfo;
    current_ = this;
    HostInfo.GetMsg = &LangTable::Get;
  }
  ~LangTable() {
    HostInfo = saved_;
    current_ = nullptr;
  }
  LangTable(const LangTable&) = delete;
  LangTable& operator=(const LangTable&) = delete;

  void Set(int id, const std::string& text) { texts_[id] = text; }

 private:
  static const char* WINAPI Get(INT_PTR, int id) {
    if (current_ == nullptr) return "";
    auto it = current_->texts_.find(id);
    if (it == current_->texts_.end()) {
      std::string& fallback = current_->texts_[id];
      fallback = "#" + std::to_string(id);
      return fallback.c_str();
    }
    return it->second.c_str();
  }
  static inline LangTable* current_ = nullptr;
  std::map<int, std::string> texts_;
  PluginStartupInfo saved_;
};

}  // namespace paneltest
