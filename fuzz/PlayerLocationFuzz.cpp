// The player's location as its installer registers it ("<path>,<icon>").
#include "FuzzCheck.h"
#include "link/PlayerLocation.h"

#include <stdint.h>
#include <string.h>

#include <initializer_list>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* value = reinterpret_cast<const char*>(data);
  size_t text = strnlen(value, size);
  const char* comma = nullptr;
  for (size_t i = 0; i < text; ++i)
    if (value[i] == ',') comma = value + i;

  for (size_t pathSize : {size_t{1}, size_t{16}, size_t{260}, size + 1}) {
    char path[300];
    if (pathSize > sizeof path) pathSize = sizeof path;
    memset(path, 'x', sizeof path);
    bool found = ParsePlayerLocation(value, size, path, pathSize);
    size_t length = strnlen(path, pathSize);
    FUZZ_CHECK(length < pathSize);
    if (!found) {
      FUZZ_CHECK(length == 0);
      continue;
    }
    // The text before the last ",", never empty, never cut.
    FUZZ_CHECK(comma != nullptr && length == static_cast<size_t>(comma - value) && length > 0);
    FUZZ_CHECK(memcmp(path, value, length) == 0);

    char playlist[260];
    memset(playlist, 'x', sizeof playlist);
    if (MakePlaylistPath(path, playlist, sizeof playlist)) {
      size_t n = strlen(playlist);
      size_t suffix = strlen(PLAYLIST_FILE_NAME);
      FUZZ_CHECK(n >= suffix && strcmp(playlist + n - suffix, PLAYLIST_FILE_NAME) == 0);
      FUZZ_CHECK(memcmp(playlist, path, n - suffix) == 0);
    } else {
      FUZZ_CHECK(playlist[0] == '\0');
    }
  }
  return 0;
}
