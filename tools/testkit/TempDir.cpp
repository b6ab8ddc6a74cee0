#include "TempDir.h"

#include <cstdio>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace testkit {

char PathSeparator() {
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}

std::string WinePath(const std::string& unixPath) {
    std::string path = !unixPath.empty() && unixPath[0] == '/' ? "Z:" + unixPath : unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

namespace {

// Names must not collide between tests of one run nor between programs
// running at once, hence a counter plus random bits seeded from the clock.
std::string UniqueName(const std::string& tag) {
    static std::atomic<unsigned> counter{0};
    std::random_device device;
    std::mt19937_64 random(device() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    // Fixed-width numbers: a folder's name, and so every path below it, has the
    // same length on every run, which transcripts that show sizes rely on.
    char unique[32];
    snprintf(unique, sizeof unique, "-%04u-%08u", counter++ % 10000u,
             static_cast<unsigned>(random() % 100000000u));
    return tag + unique;
}

}  // namespace

TempDir::TempDir(const std::string& tag) {
    std::error_code error;
    fs::path base = fs::temp_directory_path(error);
    if (error) throw std::runtime_error("TempDir: no temporary folder: " + error.message());
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = base / UniqueName(tag);
        if (fs::create_directory(candidate, error)) {
            path_ = candidate.string();
            return;
        }
    }
    throw std::runtime_error("TempDir: cannot create a folder under " + base.string());
}

TempDir::~TempDir() {
    // Tests make read-only files (to see writes refused); Windows will not
    // delete those, so every entry is made writable first.
    std::error_code error;
    for (fs::recursive_directory_iterator it(path_, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code ignored;
        fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, error);  // A destructor must not throw; leftovers are rare.
}

std::string TempDir::File(const std::string& name) const {
    return path_ + PathSeparator() + name;
}

std::string TempDir::MakeDir(const std::string& name) const {
    std::string dir = File(name);
    std::error_code error;
    fs::create_directories(dir, error);
    if (error) throw std::runtime_error("TempDir: cannot create " + dir);
    return dir;
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteText(const std::string& path, const std::string& text) {
    WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::string& path) {
    std::vector<std::uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

}  // namespace testkit
