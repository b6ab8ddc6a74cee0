// Names and paths the host hands over (files put onto the panel, the
// plug-in's RootKey, a song's path for the tag editor's file line): every
// text built from them fits its buffer, stays terminated, and is either the
// whole join or nothing - never a cut name that would name another file.
//
// Input: one byte choosing the buffer size, then a folder text, a NUL and a
// name text (the host's texts end at their NUL).
#include "FuzzCheck.h"
#include "commands/SongPaths.h"
#include "plugin/PathText.h"
#include "plugin/SettingsPath.h"
#include "tags/TagEditorText.h"

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

bool EndsWithIgnoringCase(const std::string& text, const char* suffix) {
  size_t n = strlen(suffix);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    char c = text[text.size() - n + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != suffix[i]) return false;
  }
  return true;
}

// A buffer of exactly size bytes, so a write past it is caught.
struct Buffer {
  explicit Buffer(size_t size) : bytes(size, '\x5a') {}
  char* Data() { return bytes.data(); }
  bool Terminated() const { return memchr(bytes.data(), 0, bytes.size()) != nullptr; }
  std::vector<char> bytes;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  size_t bufferSize = 1 + data[0] * 2;  // 1..511: around MAX_PATH and the key's 80
  std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string folder = rest.c_str();
  std::string name = folder.size() < rest.size() ? rest.substr(folder.size() + 1).c_str() : "";

  // The exact bytes of the name, without a NUL.
  std::vector<char> exact(name.begin(), name.end());
  bool dots = IsDotsName(exact.empty() ? "" : exact.data(), exact.size());
  FUZZ_CHECK(dots == (name == "." || name == ".."));
  FUZZ_CHECK(IsPlaylistFileName(name.c_str()) ==
             (EndsWithIgnoringCase(name, ".m3u") || EndsWithIgnoringCase(name, ".pls")));

  Buffer path(bufferSize);
  std::string joined = folder + name;
  if (JoinSongPath(folder.c_str(), name.c_str(), path.Data(), bufferSize)) {
    FUZZ_CHECK(joined.size() <= kMaxSongPathLength && joined.size() < bufferSize);
    FUZZ_CHECK(joined == path.Data());
  } else {
    FUZZ_CHECK(path.Data()[0] == '\0');
    FUZZ_CHECK(joined.size() > kMaxSongPathLength || joined.size() >= bufferSize);
  }

  const char* after = NameAfterPath(joined.c_str());
  FUZZ_CHECK(after >= joined.c_str() && after <= joined.c_str() + joined.size());
  FUZZ_CHECK(strpbrk(after, "\\/:") == nullptr);

  Buffer slashed(bufferSize);
  memcpy(slashed.Data(), folder.c_str(), folder.size() < bufferSize ? folder.size() : bufferSize - 1);
  slashed.Data()[folder.size() < bufferSize ? folder.size() : bufferSize - 1] = '\0';
  std::string before = slashed.Data();
  AppendBackslash(slashed.Data(), bufferSize);
  FUZZ_CHECK(slashed.Terminated());
  std::string now = slashed.Data();
  if (before.empty() || before.back() != '\\') {
    FUZZ_CHECK(now == before + "\\" || (now == before && before.size() + 1 >= bufferSize));
  } else {
    FUZZ_CHECK(now == before);
  }

  Buffer key(bufferSize);
  std::string expectedKey = folder + "\\Tessaryn Software\\MELVOX";
  if (FormatSettingsKeyPath(key.Data(), bufferSize, folder.c_str())) {
    FUZZ_CHECK(!folder.empty() && expectedKey == key.Data());
    Buffer sub(bufferSize);
    if (ComposeSettingsKeyPath(sub.Data(), bufferSize, key.Data(), name.c_str())) {
      FUZZ_CHECK((name.empty() ? expectedKey : expectedKey + "\\" + name) == sub.Data());
    } else {
      FUZZ_CHECK(sub.Data()[0] == '\0');
    }
  } else {
    FUZZ_CHECK(key.Data()[0] == '\0');
    FUZZ_CHECK(folder.empty() || expectedKey.size() >= bufferSize);
  }

  Buffer shown(bufferSize);
  FormatTagFileName(shown.Data(), bufferSize, joined.c_str());
  FUZZ_CHECK(shown.Terminated());
  return 0;
}
