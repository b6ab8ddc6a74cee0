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
