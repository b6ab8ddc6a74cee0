#include "commands/SongPaths.h"

#include <string.h>

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EndsWithIgnoringCase(const char* name, size_t length, const char* lowerEnd) {
  size_t n = strlen(lowerEnd);
  if (length < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (LowerAscii(name[length - n + i]) != lowerEnd[i]) return false;
  return true;
}

}  // namespace

bool IsPlaylistFileName(const char* name) {
  if (name == nullptr) return false;
  size_t length = strlen(name);
  return EndsWithIgnoringCase(name, length, ".m3u") || EndsWithIgnoringCase(name, length, ".pls");
}

bool IsDotsName(const char* name, size_t size) {
  if (name == nullptr || size == 0 || name[0] != '.') return false;
  if (size == 1 || name[1] == '\0') return true;
  return name[1] == '.' && (size == 2 || name[2] == '\0');
}

bool JoinSongPath(const char* directory, const char* name, char* path, size_t size) {
  if (size == 0) return false;
  path[0] = '\0';
  size_t dirLength = directory != nullptr ? strlen(directory) : 0;
  size_t nameLength = name != nullptr ? strlen(name) : 0;
  if (nameLength > kMaxSongPathLength || dirLength > kMaxSongPathLength - nameLength ||
      dirLength + nameLength >= size)
    return false;
  if (dirLength > 0) memcpy(path, directory, dirLength);
  if (nameLength > 0) memcpy(path + dirLength, name, nameLength);
  path[dirLength + nameLength] = '\0';
  return true;
}
