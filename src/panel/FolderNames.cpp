#include "panel/FolderNames.h"

#include <algorithm>

namespace {

bool IsAscii(NameUnit u) { return u < 0x80; }

NameUnit FoldAscii(NameUnit u) {
  return u >= 'a' && u <= 'z' ? static_cast<NameUnit>(u - 'a' + 'A') : u;
}

bool AllAscii(const NameUnit* units, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (!IsAscii(units[i])) return false;
  return true;
}

bool IsSeparator(NameUnit u) { return u == '\\'; }

// Characters no name the search takes literally holds: wildcards (the wide
// search reads "<", ">" and '"' as DOS wildcards), "/" (a separator to the
// search), "|", and control characters.
bool IsSpecial(NameUnit u) {
  return u < 0x20 || u == '*' || u == '?' || u == '<' || u == '>' || u == '"' || u == '/' ||
         u == '|';
}

bool IsLetter(NameUnit u) { return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z'); }

bool SameAsciiText(const NameUnit* units, size_t length, const char* upper) {
  for (size_t i = 0; i < length; ++i)
    if (upper[i] == '\0' || FoldAscii(units[i]) != static_cast<NameUnit>(upper[i])) return false;
  return upper[length] == '\0';
}

// CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$, before any extension
// and blanks: names the search may take for a device.
bool IsDeviceName(const NameUnit* name, size_t length) {
  size_t base = 0;
  while (base < length && name[base] != '.') ++base;
  while (base > 0 && name[base - 1] == ' ') --base;
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices)
    if (SameAsciiText(name, base, device)) return true;
  // Newer systems take the superscript digits 1, 2 and 3 too.
  if (base == 4 && (SameAsciiText(name, 3, "COM") || SameAsciiText(name, 3, "LPT")))
    return (name[3] >= '0' && name[3] <= '9') || name[3] == 0xB9 || name[3] == 0xB2 ||
           name[3] == 0xB3;
  return false;
}

// Whether the search takes the last name literally.
bool IsLiteralName(const NameUnit* name, size_t length) {
  if (length == 0 || name[length - 1] == '.' || name[length - 1] == ' ') return false;
  for (size_t i = 0; i < length; ++i)
    if (name[i] == '~') return false;
  return !IsDeviceName(name, length);
}

// The folder names of a path from `from` on: none empty (a doubled
// backslash), "." or "..".
bool PlainSteps(const NameUnit* path, size_t from, size_t end) {
  size_t start = from;
  for (size_t i = from; i <= end; ++i) {
    if (i < end && !IsSeparator(path[i])) continue;
    size_t n = i - start;
    if (n == 0) return false;
    if (path[start] == '.' && (n == 1 || (n == 2 && path[start + 1] == '.'))) return false;
    start = i + 1;
  }
  return true;
}

// Where the folders of an absolute path start (after "X:\" or after
// "\\server\share\"), or 0 for any other path.
size_t RootLength(const NameUnit* path, size_t length) {
  if (length >= 3 && IsLetter(path[0]) && path[1] == ':' && IsSeparator(path[2])) return 3;
  if (length < 3 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return 0;
  // "\\server\share\": two plain names; "\\?\" and "\\.\" fail here.
  size_t at = 2;
  for (int part = 0; part < 2; ++part) {
    size_t start = at;
    while (at < length && !IsSeparator(path[at])) ++at;
    if (at == start || at == length) return 0;
    if (path[start] == '.' || (at - start == 1 && path[start] == '?')) return 0;
    ++at;
  }
  return at;
}

bool IsWild(const FolderName& n) { return !AllAscii(n.Units, n.Length); }

// Names in order of: ASCII ones first, then by length, then (ASCII ones) by
// their units folded to upper case, (others) by their units.
int Compare(const NameUnit* a, size_t aLength, bool aWild, const NameUnit* b, size_t bLength,
            bool bWild) {
  if (aWild != bWild) return aWild ? 1 : -1;
  if (aLength != bLength) return aLength < bLength ? -1 : 1;
  for (size_t i = 0; i < aLength; ++i) {
    NameUnit x = aWild ? a[i] : FoldAscii(a[i]);
    NameUnit y = bWild ? b[i] : FoldAscii(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

enum Match { NoMatch, MayMatch, SureMatch };

Match MatchUnits(const NameUnit* a, const NameUnit* b, size_t length) {
  Match match = SureMatch;
  for (size_t i = 0; i < length; ++i) {
    if (a[i] == b[i]) continue;
    bool ascii = IsAscii(a[i]) && IsAscii(b[i]);
    if (ascii && FoldAscii(a[i]) == FoldAscii(b[i])) continue;
    if (ascii) return NoMatch;
    match = MayMatch;
  }
  return match;
}

// The first name at or after which names sort, by (wild, length) and, when
// units is given, its folded units.
size_t LowerBound(const FolderName* names, size_t count, bool wild, size_t length,
                  const NameUnit* units, bool upper) {
  size_t low = 0;
  size_t high = count;
  while (low < high) {
    size_t mid = low + (high - low) / 2;
    const FolderName& n = names[mid];
    bool nWild = IsWild(n);
    int c;
    if (nWild != wild)
      c = nWild ? 1 : -1;
    else if (n.Length != length)
      c = n.Length < length ? -1 : 1;
    else
      c = units != nullptr ? Compare(n.Units, n.Length, nWild, units, length, wild) : 0;
    if (c < 0 || (upper && c == 0))
      low = mid + 1;
    else
      high = mid;
  }
  return low;
}

}  // namespace

size_t DecidableFolderLength(const NameUnit* path, size_t length) {
  size_t root = RootLength(path, length);
  if (root == 0) return 0;
  // Past a drive's ":" a colon names a stream, or nothing.
  for (size_t i = 0; i < length; ++i)
    if (IsSpecial(path[i]) || (path[i] == ':' && i != 1)) return 0;
  size_t last = length;
  while (last > root && !IsSeparator(path[last - 1])) --last;
  if (last == length || !IsLiteralName(path + last, length - last)) return 0;
  // The folder part: the root alone, or the root and plain folder names.
  size_t folderEnd = last - 1;
  if (folderEnd == root - 1) return folderEnd;  // the root's own folder
  return PlainSteps(path, root, folderEnd) ? folderEnd : 0;
}

void SortFolderNames(FolderName* names, size_t count) {
  std::sort(names, names + count, [](const FolderName& a, const FolderName& b) {
    return Compare(a.Units, a.Length, IsWild(a), b.Units, b.Length, IsWild(b)) < 0;
  });
}

FolderAnswer FindFolderName(const FolderName* names, size_t count, const NameUnit* name,
                            size_t length, size_t* entry) {
  bool found = false;
  bool sure = false;
  size_t candidate = 0;
  // Names of other lengths never match; ASCII names only with equal folded
  // units when the name is ASCII too.
  bool asciiName = AllAscii(name, length);
  size_t ranges[2][2] = {
      {LowerBound(names, count, false, length, asciiName ? name : nullptr, false),
       LowerBound(names, count, false, length, asciiName ? name : nullptr, true)},
      {LowerBound(names, count, true, length, nullptr, false),
       LowerBound(names, count, true, length, nullptr, true)}};
  for (const auto& range : ranges) {
    for (size_t i = range[0]; i < range[1]; ++i) {
      Match match = MatchUnits(names[i].Units, name, length);
      if (match == NoMatch) continue;
      if (found && names[i].Entry != candidate) return FolderUndecided;
      found = true;
      candidate = names[i].Entry;
      sure = sure || match == SureMatch;
    }
  }
  if (!found) return FolderMissing;
  if (!sure) return FolderUndecided;
  *entry = candidate;
  return FolderFound;
}

namespace {

bool SameFolder(const FolderSong& a, const FolderSong& b) {
  return a.FolderLength == b.FolderLength &&
         std::equal(a.Path, a.Path + a.FolderLength, b.Path);
}

}  // namespace

void SortSongsByFolder(FolderSong* songs, size_t count) {
  std::sort(songs, songs + count, [](const FolderSong& a, const FolderSong& b) {
    if (SameFolder(a, b)) return a.Song < b.Song;
    return std::lexicographical_compare(a.Path, a.Path + a.FolderLength, b.Path,
                                        b.Path + b.FolderLength);
  });
}

size_t FolderRun(const FolderSong* songs, size_t count, size_t from) {
  size_t end = from;
  while (end < count && SameFolder(songs[from], songs[end])) ++end;
  return end - from;
}

// Measured under Wine (scripts/bench.sh, and a probe of the two calls): a
// search by name costs about as much as opening a folder for a read (some
// 250 microseconds each), and every name the read gives about a twentieth of
// that. Reading a folder pays from about three songs; a read that has given
// sixteen names per song costs as much as searching them (three songs: 300 +
// 48 x 11 against 3 x 250), so it is given up there: a folder much larger
// than the songs taken from it costs at most about twice the searches, and
// one song alone in its folder is searched as it always was.
size_t FolderReadLimit(size_t songs) {
  constexpr size_t kMinSongs = 3;
  constexpr size_t kNamesPerSong = 16;
  return songs < kMinSongs ? 0 : songs * kNamesPerSong;
}
