// Texts kept one after another in one growable block, each reached through a
// handle the width of a panel entry's UserData (a pointer's width: 32 bits in
// the 32-bit host's records, 64 in the x64 host's). The panel keeps
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
  uintptr_t Add(const char* text, size_t length);

  // The text of handle; null for 0 and for any number that is not the handle
  // of a text kept since the last Clear. Lent: valid until the next Add or
  // Clear (the block may move).
  const char* Find(uintptr_t handle) const;

  // Forgets every text (the block is kept for the next ones). Handles given
  // out before may afterwards find a later text or none.
  void Clear() { size_ = 0; }

  // Bytes in use, each text with its NUL (texts no handle reaches included).
  size_t Size() const { return size_; }

  // The texts of removed entries stay until Clear: a store that lives long
  // and gains and loses entries would grow without end. Given the handles
  // still in use (count uintptr_t values, stride bytes apart from first),
  // drops every other text once they take more bytes than the live ones and
  // at least kCompactSlack, and rewrites each handle to its text's new one
  // (a number that finds nothing becomes 0). False, nothing changed, when
  // memory is short. Texts lent before move.
  bool Compact(void* first, size_t count, size_t stride);
  static constexpr size_t kCompactSlack = 4096;

 private:
  char* bytes_ = nullptr;  // owned
  size_t size_ = 0;        // bytes in use, each text with its NUL
  size_t capacity_ = 0;
};
