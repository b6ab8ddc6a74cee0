// Owns a Win32 file handle and closes it on every path. Not copyable.
#pragma once

#include <string>
#include <windows.h>

namespace fakeamp {

class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() {
        if (h_ != INVALID_HANDLE_VALUE && h_ != nullptr) CloseHandle(h_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return h_; }
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }

private:
    HANDLE h_;
};

// Replaces (or, with append, extends) a file with text. False on any failure.
bool WriteTextFile(const std::string& path, const std::string& text, bool append);

}  // namespace fakeamp
