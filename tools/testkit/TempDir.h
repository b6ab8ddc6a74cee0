// A per-test temporary folder and small file helpers. Portable: no windows.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testkit {

// Creates a fresh, empty folder under the system's temporary folder; the
// destructor removes it with everything inside. Throws std::runtime_error when
// the folder cannot be made. Not copyable, so it is removed exactly once.
class TempDir {
public:
    explicit TempDir(const std::string& tag = "melvox");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder's absolute path, without a trailing separator.
    const std::string& Path() const { return path_; }
    // Path() joined with a relative name (the platform's separator).
    std::string File(const std::string& name) const;
    // Makes a sub-folder (and its parents) and returns its path.
    std::string MakeDir(const std::string& name) const;

private:
    std::string path_;
};

// The platform's path separator: '\\' on Windows, '/' elsewhere.
char PathSeparator();

// A path of the build (a Unix path) as Windows programs under Wine see it:
// the Unix root is drive Z: and the separators are backslashes.
std::string WinePath(const std::string& unixPath);

// Whole-file writers and readers; the writers replace the file and throw
// std::runtime_error on failure, the readers return empty on a missing file.
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);
std::vector<std::uint8_t> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace testkit
