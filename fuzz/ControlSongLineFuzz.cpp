// The control dialog's song line from the player's window caption.
#include "FuzzCheck.h"
#include "control/ControlText.h"

#include <stdint.h>
#include <string.h>

#include <initializer_list>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* caption = reinterpret_cast<const char*>(data);
  for (long state : {0L, 1L, 3L}) {
    for (size_t outSize : {size_t{1}, size_t{20}, size_t{64}}) {
      char out[64];
      memset(out, 'x', sizeof out);
      size_t n = CutControlSongLine(caption, size, state, out, outSize);
      FUZZ_CHECK(n < outSize && out[n] == '\0' && strlen(out) == n && n <= 53);
      // The line is the caption's start, then nothing or (a start of) " ... ".
      bool shaped = false;
      for (size_t tail = 0; tail <= 5 && tail <= n && !shaped; ++tail) {
        size_t head = n - tail;
        shaped = head <= size && memcmp(out, caption, head) == 0 && memcmp(out + head, " ... ", tail) == 0;
      }
      FUZZ_CHECK(shaped);
    }
  }
  return 0;
}
