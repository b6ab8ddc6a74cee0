// The order Shift+F1 gives the store: the entries the host shows, in the
// order it shows them, then those it hides (a filter), in store order.
// Index logic only.
#pragma once

#include <stddef.h>

// shown: store indexes in the host's display order; an index outside
// 0..entries-1 (an item that stands for no entry, such as "..") or one seen
// before is passed over. order gets entries indexes: the shown ones first,
// then every other in store order. seen: entries bytes of scratch. Returns
// whether order differs from 0, 1, 2, ...
bool OrderShownFirst(const int* shown, size_t shownNumber, size_t entries, size_t* order,
                     unsigned char* seen);

// Moves count records of size bytes in place so that record j ends up holding
// what record order[j] held (order: every index below count once, as
// OrderShownFirst gives it). Each record moves once, along the cycles of the
// order, with one record held aside in spare (size bytes): no copy of the
// whole array. done: count bytes of scratch.
void ApplyOrder(void* records, size_t size, size_t count, const size_t* order,
                unsigned char* done, void* spare);
