// The check whether a file's first bytes are an MPEG song that may carry a tag.
#include "FuzzCheck.h"
#include "tags/TagRecord.h"

#include <stdint.h>
#include <string.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The file layer reads at most a record's worth of the head.
  size_t head = size < kTagRecordSize ? size : kTagRecordSize;
  bool taggable = IsTaggableHead(data, head);
  FUZZ_CHECK(!taggable || data[0] == 0xFF || (head >= 15 && memcmp(data, "RIFF", 4) == 0));
  // However far the head goes, an MPEG frame at the start is taggable.
  FUZZ_CHECK(size == 0 || data[0] != 0xFF || IsTaggableHead(data, size));
  FUZZ_CHECK(!IsTaggableHead(nullptr, size));
  return 0;
}
