// The player's playlist file, line by line, as the panel reads it.
#include "FuzzCheck.h"
#include "panel/PlaylistText.h"

#include <stdint.h>
#include <string.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t lineEnds = 0;
  for (size_t i = 0; i < size; ++i) lineEnds += data[i] == '\n';

  PlaylistLines lines(data, size);
  const unsigned char* line = nullptr;
  size_t length = 0;
  size_t count = 0;
  const unsigned char* next = data;
  while (lines.Next(&line, &length)) {
    ++count;
    // Lines come in order, cover the bytes, and end just before their LF.
    FUZZ_CHECK(line == next && line + length < data + size && line[length] == '\n');
    FUZZ_CHECK(memchr(line, '\n', length) == nullptr);
    next = line + length + 1;
    size_t path = 12345;
    PlaylistLineKind kind = ClassifyPlaylistLine(line, length, &path);
    if (kind == PlaylistSong) {
      FUZZ_CHECK(path <= kMaxSongPath);
      FUZZ_CHECK(path == length || (path + 1 == length && line[path] == '\r'));
    } else {
      FUZZ_CHECK(path == 0);
      FUZZ_CHECK(kind != PlaylistComment || line[0] == '#');
      FUZZ_CHECK(kind != PlaylistTooLong || length > kMaxSongPath);
    }
  }
  FUZZ_CHECK(count == lineEnds);
  FUZZ_CHECK(!lines.Next(&line, &length));
  return 0;
}
