#include "panel/TitlesTable.h"

#include "plugin/DebugLog.h"
#include "plugin/TextBuffer.h"
#include "tags/TagRecord.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace {

int CompareEntries(const void* a, const void* b) {
  return CompareBytes(static_cast<const TitleEntry*>(a)->FileName,
                      static_cast<const TitleEntry*>(b)->FileName);
}

constexpr size_t kGuessedEntryBytes = 32;  // a short path, a length, a short title
constexpr int kKeyBytes = 16;
constexpr size_t kSmallRun = 32;  // insertion sort up to this many items

// One name's place in the sort: sixteen of its bytes from the depth being
// sorted, and the record they belong to. Small, as the sort moves it often.
struct SortItem {
  unsigned char Key[kKeyBytes];
  uint32_t Index;  // into Entries, whose Count is an int
};

// A stretch of items whose names agree up to Depth and are sorted from there.
struct SortRun {
  size_t Start;
  size_t Count;
  size_t Depth;
};

// Negative, 0 or positive as a's key orders before, with or after b's.
int CompareKeys(const SortItem& a, const SortItem& b) {
  for (int i = 0; i < kKeyBytes; ++i)
    if (a.Key[i] != b.Key[i]) return a.Key[i] < b.Key[i] ? -1 : 1;
  return 0;
}

// The name ends inside the key, so names with equal keys are equal.
bool KeyEnds(const SortItem& item) { return item.Key[kKeyBytes - 1] == 0; }

const unsigned char* NameOf(const TitleEntry* entries, const SortItem& item) {
  const char* name = entries[item.Index].FileName;
  return reinterpret_cast<const unsigned char*>(name != nullptr ? name : "");
}

// The key of the name's bytes from depth on: bytes after its NUL count as 0,
// so a name sorts before every longer name it begins. The name holds at
// least depth bytes before its NUL.
void SetKey(SortItem* item, const TitleEntry* entries, size_t depth) {
  const unsigned char* text = NameOf(entries, *item) + depth;
  int i = 0;
  for (; i < kKeyBytes && text[i] != 0; ++i) item->Key[i] = text[i];
  for (; i < kKeyBytes; ++i) item->Key[i] = 0;
}

// The offset of the first NUL at or after start; bytes[used - 1] is a NUL.
// A word at a time: a cache file is mostly long paths.
size_t TextEnd(const char* bytes, size_t start, size_t used) {
  constexpr size_t kWord = sizeof(size_t);
  constexpr size_t kOnes = ~static_cast<size_t>(0) / 0xFF;  // 0x0101...
  constexpr size_t kHighs = kOnes << 7;                      // 0x8080...
  size_t at = start;
  while (at < used && reinterpret_cast<uintptr_t>(bytes + at) % kWord != 0) {
    if (bytes[at] == 0) return at;
    ++at;
  }
  while (used - at >= kWord) {
    size_t word;
    memcpy(&word, bytes + at, kWord);
    if (((word - kOnes) & ~word & kHighs) != 0) break;  // a zero byte in it
    at += kWord;
  }
  while (bytes[at] != 0) ++at;
  return at;
}

// How many bytes past depth all names of the run share (never past a NUL).
size_t SharedBytes(const SortItem* items, size_t count, const TitleEntry* entries, size_t depth) {
  const unsigned char* first = NameOf(entries, items[0]) + depth;
  size_t shared = 0;
  while (first[shared] != 0) ++shared;
  for (size_t i = 1; i < count && shared > 0; ++i) {
    const unsigned char* name = NameOf(entries, items[i]) + depth;
    size_t n = 0;
    while (n < shared && name[n] == first[n]) ++n;
    shared = n;
  }
  return shared;
}

// A least significant byte first radix sort on the key; only the key bytes
// that differ somewhere (differs) take a pass.
void RadixByKey(SortItem* items, SortItem* spare, size_t count, const unsigned char* differs) {
  int passes[kKeyBytes];
  int passCount = 0;
  for (int b = kKeyBytes - 1; b >= 0; --b)
    if (differs[b] != 0) passes[passCount++] = b;
  uint32_t counts[kKeyBytes][256];
  memset(counts, 0, static_cast<size_t>(passCount) * sizeof counts[0]);
  for (size_t i = 0; i < count; ++i)
    for (int p = 0; p < passCount; ++p) ++counts[p][items[i].Key[passes[p]]];
  SortItem* from = items;
  SortItem* to = spare;
  for (int p = 0; p < passCount; ++p) {
    int b = passes[p];
    uint32_t* slots = counts[p];
    uint32_t at = 0;
    for (int v = 0; v < 256; ++v) {
      uint32_t n = slots[v];
      slots[v] = at;
      at += n;
    }
    for (size_t i = 0; i < count; ++i) to[slots[from[i].Key[b]]++] = from[i];
    SortItem* swap = from;
    from = to;
    to = swap;
  }
  if (from != items) memcpy(items, from, count * sizeof *items);
}

// Sorts items by key; spare holds as many items.
void SortByKey(SortItem* items, SortItem* spare, size_t count) {
  if (count <= kSmallRun) {
    for (size_t i = 1; i < count; ++i) {
      SortItem item = items[i];
      size_t j = i;
      for (; j > 0 && CompareKeys(item, items[j - 1]) < 0; --j) items[j] = items[j - 1];
      items[j] = item;
    }
    return;
  }
  // Which key bytes differ somewhere: paths share most of their bytes.
  uint32_t differ[kKeyBytes / 4] = {};
  uint32_t first[kKeyBytes / 4];
  memcpy(first, items[0].Key, sizeof first);
  for (size_t i = 1; i < count; ++i) {
    uint32_t words[kKeyBytes / 4];
    memcpy(words, items[i].Key, sizeof words);
    for (int w = 0; w < kKeyBytes / 4; ++w) differ[w] |= words[w] ^ first[w];
  }
  unsigned char differs[kKeyBytes];
  memcpy(differs, differ, sizeof differs);
  RadixByKey(items, spare, count, differs);
}

void Empty(char* text) {
  if (text != nullptr) text[0] = '\0';
}

}  // namespace

struct TitlesTable::TextBlock {
  TextBlock* Next;
  size_t Size;  // bytes after the header
  char* Bytes() { return reinterpret_cast<char*>(this + 1); }
};

bool TitlesTable::Reserve(size_t entries) {
  if (entries <= capacity_) return true;
  if (entries > SIZE_MAX / sizeof(TitleEntry)) return false;
  void* moved = realloc(Entries, entries * sizeof(TitleEntry));
  if (moved == nullptr) return false;
  Entries = static_cast<TitleEntry*>(moved);
  capacity_ = entries;
  return true;
}

void TitlesTable::FreeText(char* text) const {
  uintptr_t at = reinterpret_cast<uintptr_t>(text);
  for (TextBlock* block = blocks_; block != nullptr; block = block->Next) {
    uintptr_t start = reinterpret_cast<uintptr_t>(block->Bytes());
    if (at >= start && at - start < block->Size) return;
  }
  free(text);
}

TitleEntry* TitlesTable::AppendEntry() {
  if (static_cast<size_t>(Count) == capacity_ &&
      !Reserve(capacity_ < 16 ? 16 : capacity_ * 2))
    return nullptr;
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

namespace {

// The order of entries[0..count) by name: a malloc'd array of count items
// whose Index fields name the records in sorted order (the caller frees
// it), or null when memory for the work arrays is short. Stable: equal names
// keep their order, so the first of a name read stays the first.
SortItem* OrderByName(const TitleEntry* entries, size_t count) {
  if (count > UINT32_MAX || count > SIZE_MAX / sizeof(SortItem) / 2) return nullptr;
  SortItem* items = static_cast<SortItem*>(malloc(count * sizeof(SortItem)));
  SortItem* spare = static_cast<SortItem*>(malloc(count * sizeof(SortItem)));
  // Pending runs never overlap and hold two items at least.
  SortRun* runs = static_cast<SortRun*>(malloc((count / 2 + 1) * sizeof(SortRun)));
  if (items == nullptr || spare == nullptr || runs == nullptr) {
    free(items);
    free(spare);
    free(runs);
    return nullptr;
  }
  for (size_t i = 0; i < count; ++i) items[i].Index = static_cast<uint32_t>(i);
  // Each run is sorted on the sixteen bytes past what its names share;
  // names that agree in all of them, none ended, go on as a deeper run.
  // The first look at the names is in the order they were read, and paths
  // that share a long start cost one pass. A work list rather than
  // recursion, as a name may be very long.
  size_t pending = 1;
  runs[0] = {0, count, 0};
  while (pending > 0) {
    SortRun run = runs[--pending];
    SortItem* part = items + run.Start;
    size_t depth = run.Depth + SharedBytes(part, run.Count, entries, run.Depth);
    for (size_t i = 0; i < run.Count; ++i) SetKey(&part[i], entries, depth);
    SortByKey(part, spare, run.Count);
    for (size_t i = 0; i < run.Count;) {
      size_t j = i + 1;
      while (j < run.Count && CompareKeys(part[j], part[i]) == 0) ++j;
      if (j - i > 1 && !KeyEnds(part[i]))
        runs[pending++] = {run.Start + i, j - i, depth + kKeyBytes};
      i = j;
    }
  }
  free(spare);
  free(runs);
  return items;
}

bool After(const TitleEntry& a, const TitleEntry& b) {
  return CompareBytes(a.FileName, b.FileName) > 0;
}

// Where next goes among the sorted entries[0..end): the first of them whose
// name orders after next's (end when none), so next follows its equals.
// Searched from the end in growing steps: the tail is placed largest name
// first, so each record lands near where the one after it went.
size_t PlaceFromEnd(const TitleEntry* entries, size_t end, const TitleEntry& next) {
  size_t high = end;  // entries[high..end) order after next
  size_t low = 0;     // entries[0..low) do not
  for (size_t step = 1; high > 0; step *= 2) {
    size_t probe = high > step ? high - step : 0;
    if (!After(entries[probe], next)) {
      low = probe + 1;
      break;
    }
    high = probe;
  }
  while (low < high) {
    size_t mid = low + (high - low) / 2;
    if (After(entries[mid], next))
      high = mid;
    else
      low = mid + 1;
  }
  return high;
}

}  // namespace

bool TitlesTable::SortByName() {
  size_t count = static_cast<size_t>(Count);
  SortItem* items = OrderByName(Entries, count);
  if (items == nullptr) return false;
  // Entry i takes the record items[i] names, cycle by cycle, in place;
  // a placed item is marked by pointing at its own slot.
  for (size_t i = 0; i < count; ++i) {
    if (items[i].Index == i) continue;
    TitleEntry first = Entries[i];
    size_t at = i;
    while (items[at].Index != i) {
      size_t next = items[at].Index;
      Entries[at] = Entries[next];
      items[at].Index = static_cast<uint32_t>(at);
      at = next;
    }
    Entries[at] = first;
    items[at].Index = static_cast<uint32_t>(at);
  }
  free(items);
  return true;
}

bool TitlesTable::MergeTail(size_t sorted) {
  size_t count = static_cast<size_t>(Count);
  size_t tail = count - sorted;
  SortItem* items = OrderByName(Entries + sorted, tail);
  if (items == nullptr) return false;
  TitleEntry* aside = static_cast<TitleEntry*>(malloc(tail * sizeof(TitleEntry)));
  if (aside == nullptr) {
    free(items);
    return false;
  }
  for (size_t i = 0; i < tail; ++i) aside[i] = Entries[sorted + items[i].Index];
  free(items);
  // From the back: the tail's last record goes behind the sorted entries
  // that order after it, which move up as one block, and so on; a tail
  // record follows its equals there, as a full stable sort would put it.
  size_t end = sorted;  // entries[0..end) not yet placed
  size_t out = count;   // entries[out..count) in their final place
  for (size_t j = tail; j > 0; --j) {
    size_t from = PlaceFromEnd(Entries, end, aside[j - 1]);
    size_t moved = end - from;
    out -= moved;
    memmove(&Entries[out], &Entries[from], moved * sizeof(TitleEntry));
    Entries[--out] = aside[j - 1];
    end = from;
  }
  free(aside);
  return true;
}

void TitlesTable::SortTitles() {
  if (!Sorted && Count > 1) {
    // A file rewritten sorted and not added to since loads in order; one
    // appended to since is a sorted run and the entries of later sessions.
    size_t count = static_cast<size_t>(Count);
    size_t sorted = 1;
    while (sorted < count && !After(Entries[sorted - 1], Entries[sorted])) ++sorted;
    // A tail no longer than the run is sorted alone and merged in, with
    // work memory for the tail only. Otherwise, or without memory for that,
    // the whole sort; without memory for its work arrays, the slow sort in
    // place.
    if (sorted < count && !(count - sorted <= sorted && MergeTail(sorted)) && !SortByName())
      qsort(Entries, count, sizeof(TitleEntry), CompareEntries);
  }
  Sorted = 1;
}

void TitlesTable::DropLastEntry() {
  TitleEntry& last = Entries[--Count];
  FreeText(last.FileName);
  FreeText(last.Title);
  FreeText(last.Length);
  memset(&last, 0, sizeof last);
}

unsigned char* TitlesTable::FileBuffer(size_t size) {
  if (size == 0 || size > SIZE_MAX - sizeof(TextBlock)) return nullptr;
  TextBlock* block = static_cast<TextBlock*>(malloc(sizeof(TextBlock) + size));
  if (block == nullptr) return nullptr;
  block->Next = blocks_;
  block->Size = size;
  blocks_ = block;
  return reinterpret_cast<unsigned char*>(block->Bytes());
}

bool TitlesTable::LoadFrom(const unsigned char* bytes, size_t size) {
  if (size == 0) return true;
  unsigned char* buffer = FileBuffer(size);
  if (buffer == nullptr) return false;
  memcpy(buffer, bytes, size);
  return LoadFileBuffer(size);
}

bool TitlesTable::LoadFileBuffer(size_t size) {
  if (size == 0) return true;
  if (blocks_ == nullptr || size > blocks_->Size) return false;
  char* block = blocks_->Bytes();
  // Only the bytes up to the last NUL hold texts; what follows is a damaged
  // tail, dropped below.
  size_t used = size;
  while (used > 0 && block[used - 1] != 0) --used;
  // Room for the entries at once, guessed generously: pages of it never
  // written take no memory, while growing would copy what was read so far.
  if (used > 0 && !Reserve(static_cast<size_t>(Count) + used / kGuessedEntryBytes + 16))
    Reserve(static_cast<size_t>(Count) + 16);
  // Thousands of entries: the log lines are built only when someone reads them.
  const bool logging = DebugLog.IsOpen();
  size_t start = 0;
  size_t groupStart = 0;  // where the group being read began
  int field = 0;          // 0 FileName, 1 Length, 2 Title
  TitleEntry* entry = nullptr;
  while (start < used) {
    size_t end = TextEnd(block, start, used);
    char* text = block + start;
    if (field == 0) {
      // Only whole entries stay, so a later rewrite cannot write a short one.
      if ((entry = AppendEntry()) == nullptr) return false;
      groupStart = start;
      Sorted = 0;
      entry->FileName = text;
      if (logging)
        DebugLog << "\nTitlesCache::TitlesCache: Readed FileName[" << Count << "]=" << text;
    } else if (field == 1) {
      entry->Length = text;
      if (logging)
        DebugLog << "\nTitlesCache::TitlesCache: Readed file lenght [" << Count << "]=" << text;
    } else {
      entry->Title = text;
      if (logging)
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
    FreeText(Entries[i].FileName);
    FreeText(Entries[i].Title);
    FreeText(Entries[i].Length);
  }
  while (blocks_ != nullptr) {
    TextBlock* next = blocks_->Next;
    free(blocks_);
    blocks_ = next;
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
