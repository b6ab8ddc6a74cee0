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
