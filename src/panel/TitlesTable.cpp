#include "panel/TitlesTable.h"

#include "plugin/DebugLog.h"
#include "plugin/TextBuffer.h"
#include "tags/TagRecord.h"

#include <stdlib.h>
#include <string.h>

namespace {

int CompareEntries(const void* a, const void* b) {
  return CompareBytes(static_cast<const TitleEntry*>(a)->FileName,
                      static_cast<const TitleEntry*>(b)->FileName);
}

// A copy of count bytes as a NUL-ended text; null when memory is short.
char* CopyBytes(const unsigned char* bytes, size_t count) {
  char* text = static_cast<char*>(malloc(count + 1));
  if (text == nullptr) return nullptr;
  if (count > 0) memcpy(text, bytes, count);
  text[count] = '\0';
  return text;
}

void Empty(char* text) {
  if (text != nullptr) text[0] = '\0';
}

}  // namespace

TitleEntry* TitlesTable::AppendEntry() {
  if (static_cast<size_t>(Count) == capacity_) {
    size_t grown = capacity_ < 16 ? 16 : capacity_ * 2;
    void* moved = realloc(Entries, grown * sizeof(TitleEntry));
    if (moved == nullptr) return nullptr;
    Entries = static_cast<TitleEntry*>(moved);
    capacity_ = grown;
  }
  TitleEntry* entry = &Entries[Count++];
  memset(entry, 0, sizeof *entry);
  return entry;
}

TitleEntry* TitlesTable::FindTitle(const char* name) {
  if (Count <= 0 || name == nullptr) return nullptr;
  if (Sorted) {
    size_t low = 0;
    size_t high = static_cast<size_t>(Count);
    while (low < high) {
      size_t mid = low + (high - low) / 2;
      int order = CompareBytes(name, Entries[mid].FileName);
      if (order == 0) return &Entries[mid];
      if (order < 0)
        high = mid;
      else
        low = mid + 1;
    }
    return nullptr;
  }
  for (int i = 0; i < Count; ++i)
    if (CompareBytes(name, Entries[i].FileName) == 0) return &Entries[i];
  return nullptr;
}

CachedTitle TitlesTable::AddTitle(const char* name, char* title, char* length) {
  TitleEntry* known = name != nullptr ? FindTitle(name) : nullptr;
  char* key = name != nullptr && known == nullptr ? DupText(name) : nullptr;
  TitleEntry* entry = key != nullptr ? AppendEntry() : nullptr;
  if (entry == nullptr) {
    // The first title of a name stays; and what cannot be kept is released
    // here, as the caller no longer owns it.
    free(key);
    free(title);
    free(length);
    if (known == nullptr) return {nullptr, nullptr, 0};
    return {known->Title, known->Length, 0};
  }
  entry->FileName = key;
  entry->Title = title;
  entry->Length = length;
  entry->State = TITLE_ADDED;
  Sorted = 0;
  return {title, length, 1};
}

void TitlesTable::DropTitle(const char* name) {
  TitleEntry* entry = FindTitle(name);
  if (entry == nullptr) return;
  Empty(entry->FileName);
  Empty(entry->Title);
  Empty(entry->Length);
  entry->State = TITLE_DROPPED;
  Sorted = 0;
  Rewrite = 1;
}

void TitlesTable::SortTitles() {
  if (!Sorted && Count > 1) qsort(Entries, static_cast<size_t>(Count), sizeof(TitleEntry),
                                  CompareEntries);
  Sorted = 1;
}

void TitlesTable::DropLastEntry() {
  TitleEntry& last = Entries[--Count];
  free(last.FileName);
  free(last.Title);
  free(last.Length);
  memset(&last, 0, sizeof last);
}

bool TitlesTable::LoadFrom(const unsigned char* bytes, size_t size) {
  size_t start = 0;
  size_t groupStart = 0;  // where the group being read began
  int field = 0;          // 0 FileName, 1 Length, 2 Title
  TitleEntry* entry = nullptr;
  while (start < size) {
    const void* nul = memchr(bytes + start, 0, size - start);
    if (nul == nullptr) break;
    size_t end = static_cast<size_t>(static_cast<const unsigned char*>(nul) - bytes);
    char* text = CopyBytes(bytes + start, end - start);
    if (text == nullptr || (field == 0 && (entry = AppendEntry()) == nullptr)) {
      // Only whole entries stay, so a later rewrite cannot write a short one.
      free(text);
      if (field != 0) DropLastEntry();
      return false;
    }
    if (field == 0) {
      groupStart = start;
      Sorted = 0;
      entry->FileName = text;
      DebugLog << "\nTitlesCache::TitlesCache: Readed FileName[" << Count << "]=" << text;
    } else if (field == 1) {
      entry->Length = text;
      DebugLog << "\nTitlesCache::TitlesCache: Readed file lenght [" << Count << "]=" << text;
    } else {
      entry->Title = text;
      DebugLog << "\nTitlesCache::TitlesCache: Readed Title[" << Count << "]=" << text;
    }
    field = (field + 1) % 3;
    start = end + 1;
  }
  if (field == 0 && start >= size) return true;
  // The file ends inside an entry (a write cut short, or outside damage).
  // Titles appended behind such a tail would be read under the wrong names,
  // so the entry is dropped and the next save rewrites the whole file.
  if (field != 0) {
    DropLastEntry();
  } else {
    groupStart = start;
  }
  DebugLog << "\nTitlesCache::TitlesCache: Incomplete last entry dropped ("
           << static_cast<unsigned long>(size - groupStart)
           << " bytes), the file will be rewritten";
  Rewrite = 1;
  return true;
}

bool TitlesTable::SaveBytes(unsigned char** bytes, size_t* size, bool* fromStart) {
  *bytes = nullptr;
  *size = 0;
  *fromStart = Rewrite != 0;
  if (Rewrite) SortTitles();
  size_t total = 0;
  for (int i = 0; i < Count; ++i) {
    const TitleEntry& e = Entries[i];
    bool written = Rewrite ? e.State != TITLE_DROPPED : e.State == TITLE_ADDED;
    if (!written) continue;
    total += strlen(e.FileName) + strlen(e.Length ? e.Length : "") +
             strlen(e.Title ? e.Title : "") + 3;
  }
  if (total == 0) return true;
  unsigned char* out = static_cast<unsigned char*>(malloc(total));
  if (out == nullptr) return false;
  size_t at = 0;
  for (int i = 0; i < Count; ++i) {
    const TitleEntry& e = Entries[i];
    bool written = Rewrite ? e.State != TITLE_DROPPED : e.State == TITLE_ADDED;
    if (!written) continue;
    const char* texts[3] = {e.FileName, e.Length ? e.Length : "", e.Title ? e.Title : ""};
    for (const char* text : texts) {
      size_t n = strlen(text) + 1;  // with its NUL
      memcpy(out + at, text, n);
      at += n;
    }
  }
  *bytes = out;
  *size = at;
  return true;
}

void TitlesTable::Release() {
  for (int i = 0; i < Count; ++i) {
    free(Entries[i].FileName);
    free(Entries[i].Title);
    free(Entries[i].Length);
  }
  free(Entries);
  Entries = nullptr;
  Count = 0;
  capacity_ = 0;
  Sorted = 0;
  Rewrite = 0;
}

CachedTitle CacheTitle(TitlesTable* cache, const char* name, char* title, char* length) {
  if (cache != nullptr) return cache->AddTitle(name, title, length);
  free(title);
  free(length);
  return {nullptr, nullptr, 0};
}

char* TitlesCacheFileName(const char* moduleName) {
  size_t length = strlen(moduleName);
  size_t keep = length >= 3 ? length - 3 : 0;
  char* name = static_cast<char*>(malloc(keep + 4));
  if (name == nullptr) return nullptr;
  memcpy(name, moduleName, keep);
  memcpy(name + keep, "fc0", 4);
  return name;
}
