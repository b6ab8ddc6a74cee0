#include "commands/StoreOrder.h"

#include <string.h>

bool OrderShownFirst(const int* shown, size_t shownNumber, size_t entries, size_t* order,
                     unsigned char* seen) {
  if (entries == 0) return false;
  memset(seen, 0, entries);
  size_t next = 0;
  for (size_t i = 0; i < shownNumber; ++i) {
    int index = shown[i];
    if (index < 0 || static_cast<size_t>(index) >= entries || seen[index]) continue;
    seen[index] = 1;
    order[next++] = static_cast<size_t>(index);
  }
  for (size_t i = 0; i < entries; ++i)
    if (!seen[i]) order[next++] = i;
  for (size_t i = 0; i < entries; ++i)
    if (order[i] != i) return true;
  return false;
}

void ApplyOrder(void* records, size_t size, size_t count, const size_t* order,
                unsigned char* done, void* spare) {
  unsigned char* bytes = static_cast<unsigned char*>(records);
  if (count > 0) memset(done, 0, count);
  for (size_t start = 0; start < count; ++start) {
    if (done[start] || order[start] == start) continue;
    memcpy(spare, bytes + start * size, size);
    size_t j = start;
    for (;;) {
      done[j] = 1;
      size_t from = order[j];
      if (from == start) {
        memcpy(bytes + j * size, spare, size);
        break;
      }
      memcpy(bytes + j * size, bytes + from * size, size);
      j = from;
    }
  }
}
