#include "tags/TagEditor.h"

const char** DoID3Tag(const char* const* /*names*/, int /*count*/) {
  // Not built yet: nothing is shown and nothing changes.
  return nullptr;
}
