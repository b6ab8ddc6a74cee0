#include "panel/NamePool.h"

#include <stdlib.h>
#include <string.h>

namespace {

// Handles are offsets + 1; the pool stays below 4 GB in either build.
constexpr size_t kMaxPoolSize = 0xFFFFFFF0u;

}  // namespace

NamePool::~NamePool() { free(bytes_); }

uintptr_t NamePool::Add(const char* text, size_t length) {
  if (text == nullptr || length >= kMaxPoolSize - size_) return 0;
  size_t needed = size_ + length + 1;
  if (needed > capacity_) {
    size_t grown = capacity_ < 4096 ? 4096 : capacity_;
    while (grown < needed) grown = grown <= kMaxPoolSize / 2 ? grown * 2 : kMaxPoolSize;
    void* moved = realloc(bytes_, grown);
    if (moved == nullptr) return 0;
    bytes_ = static_cast<char*>(moved);
    capacity_ = grown;
  }
  size_t at = size_;
  if (length > 0) memcpy(bytes_ + at, text, length);
  bytes_[at + length] = '\0';
  size_ = needed;
  return static_cast<uintptr_t>(at + 1);
}

const char* NamePool::Find(uintptr_t handle) const {
  if (handle == 0) return nullptr;
  size_t at = handle - 1;
  // A text starts at the block's start or right after another's NUL; the
  // block's last byte in use is always a NUL, so the text ends inside it.
  if (at >= size_ || (at > 0 && bytes_[at - 1] != '\0')) return nullptr;
  return bytes_ + at;
}

namespace {

uintptr_t HandleAt(const unsigned char* at) {
  uintptr_t handle;
  memcpy(&handle, at, sizeof handle);
  return handle;
}

}  // namespace

bool NamePool::Compact(void* first, size_t count, size_t stride) {
  unsigned char* handles = static_cast<unsigned char*>(first);
  if (count > 0 && (handles == nullptr || stride < sizeof(uintptr_t))) return false;
  size_t live = 0;
  for (size_t i = 0; i < count; ++i) {
    const char* text = Find(HandleAt(handles + i * stride));
    if (text != nullptr) live += strlen(text) + 1;
  }
  // Rebuilding only when the dead part outweighs the live one keeps the cost
  // of a removal constant on average.
  size_t dead = size_ - live;
  if (dead <= live || dead < kCompactSlack) return true;
  size_t grown = 4096;
  while (grown < live) grown *= 2;
  char* kept = static_cast<char*>(malloc(grown));
  if (kept == nullptr) return false;
  size_t used = 0;
  for (size_t i = 0; i < count; ++i) {
    unsigned char* at = handles + i * stride;
    const char* text = Find(HandleAt(at));
    uintptr_t moved = 0;
    if (text != nullptr) {
      size_t length = strlen(text) + 1;
      memcpy(kept + used, text, length);
      moved = static_cast<uintptr_t>(used + 1);
      used += length;
    }
    memcpy(at, &moved, sizeof moved);
  }
  free(bytes_);
  bytes_ = kept;
  size_ = used;
  capacity_ = grown;
  return true;
}
