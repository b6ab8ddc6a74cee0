// Small non-copyable owners for Win32 handles, so every path releases them.
#pragma once

#include <windows.h>

// A file (or search-free kernel) handle; INVALID_HANDLE_VALUE and null are "none".
class ScopedFile {
 public:
  explicit ScopedFile(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~ScopedFile() { Close(); }
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;

  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE Get() const { return handle_; }
  // Closes the handle held, then holds handle.
  void Reset(HANDLE handle) {
    Close();
    handle_ = handle;
  }
  void Close() {
    if (IsOpen()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

// A read-only view of a whole file: the mapping and the view are released
// together. An empty file maps to no view (Data() null, Size() 0).
class ScopedFileView {
 public:
  ScopedFileView() = default;
  ~ScopedFileView() { Close(); }
  ScopedFileView(const ScopedFileView&) = delete;
  ScopedFileView& operator=(const ScopedFileView&) = delete;

  // Maps the whole open file read-only; false when the mapping or view fails.
  bool Map(HANDLE file, unsigned long long size) {
    Close();
    if (size == 0) return true;
    if (size > static_cast<unsigned long long>(static_cast<SIZE_T>(-1))) return false;
    mapping_ = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping_ == nullptr) return false;
    view_ = static_cast<const unsigned char*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
    if (view_ == nullptr) {
      Close();
      return false;
    }
    size_ = static_cast<size_t>(size);
    return true;
  }
  const unsigned char* Data() const { return view_; }
  size_t Size() const { return size_; }
  void Close() {
    if (view_ != nullptr) UnmapViewOfFile(view_);
    if (mapping_ != nullptr) CloseHandle(mapping_);
    view_ = nullptr;
    mapping_ = nullptr;
    size_ = 0;
  }

 private:
  HANDLE mapping_ = nullptr;
  const unsigned char* view_ = nullptr;
  size_t size_ = 0;
};
