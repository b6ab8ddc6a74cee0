// Texts kept one after another in one growable block, each reached through a
// handle small enough for a panel entry's 32-bit UserData. The panel keeps
// the exact names the player knows its songs by here (see MELVOXPanel.h).
#pragma once

#include <stddef.h>
#include <stdint.h>

class NamePool {
 public:
  NamePool() = default;
  ~NamePool();
  NamePool(const NamePool&) = delete;
  NamePool& operator=(const NamePool&) = delete;

  // Keeps a copy of the length bytes at text (a NUL is added); returns its
  // handle, never 0, or 0 when memory is short.
  uint32_t Add(const char* text, size_t length);

  // The text of handle; null for 0 and for any number that is not the handle
  // of a text kept since the last Clear. Lent: valid until the next Add or
  // Clear (the block may move).
  const char* Find(uint32_t handle) const;

  // Forgets every text (the block is kept for the next ones). Handles given
  // out before may afterwards find a later text or none.
  void Clear() { size_ = 0; }

 private:
  char* bytes_ = nullptr;  // owned
  size_t size_ = 0;        // bytes in use, each text with its NUL
  size_t capacity_ = 0;
};
