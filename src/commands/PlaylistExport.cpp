#include "commands/PlaylistExport.h"

#include "plugin/TextBuffer.h"

#include <stdlib.h>
#include <string.h>

namespace {

const char kPLSHeader[] = "[playlist]\r\n";
const char kPLSSection[] = "[playlist]";
const unsigned char kUtf8Bom[] = {0xEF, 0xBB, 0xBF};
// Entry numbers read from a file stop growing here, so adding to them never
// overflows whatever digits the file holds.
constexpr unsigned long long kNumberLimit = 1000000000000000ULL;

// Writes into a buffer of known capacity or, given none, only counts: the
// same composition runs once to measure and once to write.
class ByteWriter {
 public:
  ByteWriter() = default;
  ByteWriter(unsigned char* out, size_t capacity) : out_(out), capacity_(capacity) {}

  void Put(const void* bytes, size_t n) {
    if (n == 0 || failed_) return;
    if (n > static_cast<size_t>(-1) - size_ || (out_ != nullptr && n > capacity_ - size_)) {
      failed_ = true;
      return;
    }
    if (out_ != nullptr) memcpy(out_ + size_, bytes, n);
    size_ += n;
  }
  void Text(const char* text) { Put(text, strlen(text)); }
  // Decimal, without leading zeros; written by hand because an export of
  // many entries formats three numbers per entry.
  void Unsigned(unsigned long long value) {
    char digits[24];
    size_t at = sizeof digits;
    do {
      digits[--at] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value != 0);
    Put(digits + at, sizeof digits - at);
  }
  void Signed(long long value) {
    if (value < 0) Put("-", 1);
    Unsigned(value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                       : static_cast<unsigned long long>(value));
  }
  // Text inside one line: a CR, LF or NUL in it would end the line (and let
  // a tag's title add lines of its own), so each becomes a blank.
  void LineText(const char* text, size_t n) {
    if (text == nullptr) return;
    size_t at = size_;
    Put(text, n);
    if (out_ == nullptr || failed_) return;
    for (size_t i = at; i < size_; ++i)
      if (out_[i] == '\r' || out_[i] == '\n' || out_[i] == '\0') out_[i] = ' ';
  }

  size_t Size() const { return size_; }
  bool Failed() const { return failed_; }

 private:
  unsigned char* out_ = nullptr;
  size_t capacity_ = 0;
  size_t size_ = 0;
  bool failed_ = false;
};

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t'; }

unsigned char LowerAscii(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Whether n bytes equal the lower-case ASCII text, letter case ignored.
bool EqualsIgnoringCase(const unsigned char* bytes, size_t n, const char* lower) {
  size_t length = strlen(lower);
  if (n != length) return false;
  for (size_t i = 0; i < n; ++i)
    if (LowerAscii(bytes[i]) != static_cast<unsigned char>(lower[i])) return false;
  return true;
}

size_t BomLength(const unsigned char* bytes, size_t size) {
  return size >= sizeof kUtf8Bom && memcmp(bytes, kUtf8Bom, sizeof kUtf8Bom) == 0
             ? sizeof kUtf8Bom
             : 0;
}

// Whether new lines may follow the bytes as they are: nothing, or a complete
// last line. A bare LF counts as a line end; adding CR LF after it would put
// an empty line into the playlist, which line readers take for a song.
bool EndsLine(const unsigned char* bytes, size_t size) {
  return size == 0 || bytes[size - 1] == '\n';
}

// The decimal number at the start of bytes (after blanks), as far as its
// digits go; no digits or a sign give 0.
unsigned long long LeadingNumber(const unsigned char* bytes, size_t n) {
  size_t i = 0;
  while (i < n && IsBlank(bytes[i])) ++i;
  unsigned long long value = 0;
  for (; i < n && bytes[i] >= '0' && bytes[i] <= '9'; ++i) {
    value = value * 10 + (bytes[i] - '0');
    if (value > kNumberLimit) value = kNumberLimit;
  }
  return value;
}

enum PlsLineKind { PlsOtherLine, PlsFileLine, PlsCountLine, PlsVersionLine };

// What a PLS line (its bytes, line end included or not) is, by its key: the
// text before "=", blanks around it and letter case ignored. *number is N
// of "FileN=" or the value of "NumberOfEntries=".
PlsLineKind ClassifyPlsLine(const unsigned char* line, size_t n, unsigned long long* number) {
  *number = 0;
  const void* eq = memchr(line, '=', n);
  if (eq == nullptr) return PlsOtherLine;
  size_t keyEnd = static_cast<size_t>(static_cast<const unsigned char*>(eq) - line);
  size_t keyStart = 0;
  while (keyStart < keyEnd && IsBlank(line[keyStart])) ++keyStart;
  while (keyEnd > keyStart && IsBlank(line[keyEnd - 1])) --keyEnd;
  const unsigned char* key = line + keyStart;
  size_t keyLength = keyEnd - keyStart;
  const unsigned char* value = static_cast<const unsigned char*>(eq) + 1;
  size_t valueLength = n - (value - line);
  if (EqualsIgnoringCase(key, keyLength, "numberofentries")) {
    *number = LeadingNumber(value, valueLength);
    return PlsCountLine;
  }
  if (EqualsIgnoringCase(key, keyLength, "version")) return PlsVersionLine;
  if (keyLength > 4 && EqualsIgnoringCase(key, 4, "file")) {
    for (size_t i = 4; i < keyLength; ++i)
      if (key[i] < '0' || key[i] > '9') return PlsOtherLine;
    *number = LeadingNumber(key + 4, keyLength - 4);
    return PlsFileLine;
  }
  return PlsOtherLine;
}

// Calls visit(line, length, kind, number) for every line of bytes; the last
// line may lack its LF.
template <typename Visit>
void ForEachPlsLine(const unsigned char* bytes, size_t size, Visit visit) {
  size_t at = 0;
  while (at < size) {
    const void* lf = memchr(bytes + at, '\n', size - at);
    size_t end = lf ? static_cast<size_t>(static_cast<const unsigned char*>(lf) - bytes) + 1 : size;
    unsigned long long number = 0;
    PlsLineKind kind = ClassifyPlsLine(bytes + at, end - at, &number);
    visit(bytes + at, end - at, kind, number);
    at = end;
  }
}

// How the existing file's bytes enter the new content.
struct Layout {
  size_t leadSize = 0;      // existing bytes before the header (a byte-order mark)
  bool header = false;      // the form's header is written
  bool keep = false;        // the existing bytes after the lead follow
  bool dropPlsTrailer = false;  // ... without their count and version lines
  unsigned long long lastNumber = 0;  // PLS: entries are numbered after it
};

Layout PlanM3U(const ExportRequest& r, const unsigned char* existing, size_t size) {
  Layout plan;
  if (!r.AddToFile || !r.Existed) {
    plan.header = r.ExtInfo;
    return plan;
  }
  plan.keep = true;
  // The byte-order mark stays first; a file that holds nothing more is empty.
  plan.leadSize = BomLength(existing, size);
  plan.header = r.ExtInfo && (size == plan.leadSize || existing[plan.leadSize] != '#');
  return plan;
}

Layout PlanPLS(const ExportRequest& r, const unsigned char* existing, size_t size) {
  Layout plan;
  plan.header = true;
  if (!r.AddToFile || !r.Existed) return plan;
  size_t bom = BomLength(existing, size);
  size_t sectionLength = sizeof kPLSSection - 1;
  if (size - bom < sectionLength || !EqualsIgnoringCase(existing + bom, sectionLength, kPLSSection))
    return plan;  // not a PLS playlist: it is replaced
  plan.header = false;
  plan.keep = true;
  plan.dropPlsTrailer = true;
  unsigned long long highestFile = 0;
  unsigned long long lastCount = 0;
  bool countIsTrailer = false;
  ForEachPlsLine(existing, size,
                 [&](const unsigned char*, size_t, PlsLineKind kind, unsigned long long number) {
                   if (kind == PlsFileLine) {
                     if (number > highestFile) highestFile = number;
                     countIsTrailer = false;
                   } else if (kind == PlsCountLine) {
                     lastCount = number;
                     countIsTrailer = true;
                   }
                 });
  plan.lastNumber = countIsTrailer && lastCount > highestFile ? lastCount : highestFile;
  return plan;
}

void WriteExisting(const Layout& plan, const unsigned char* existing, size_t size,
                   ByteWriter* out) {
  const unsigned char* rest = existing + plan.leadSize;
  size_t restSize = size - plan.leadSize;
  if (!plan.dropPlsTrailer) {
    out->Put(rest, restSize);
    if (!EndsLine(rest, restSize)) out->Put("\r\n", 2);
    return;
  }
  const unsigned char* lastKept = nullptr;
  size_t lastKeptSize = 0;
  ForEachPlsLine(rest, restSize,
                 [&](const unsigned char* line, size_t n, PlsLineKind kind, unsigned long long) {
                   if (kind == PlsCountLine || kind == PlsVersionLine) return;
                   out->Put(line, n);
                   lastKept = line;
                   lastKeptSize = n;
                 });
  if (!EndsLine(lastKept, lastKeptSize)) out->Put("\r\n", 2);
}

void WriteM3UEntry(const ExportRequest& r, const ExportEntry& e, ByteWriter* out) {
  if (r.ExtInfo && e.Title != nullptr && e.TitleLength > 0) {
    out->Text("#EXTINF:");
    out->Signed(e.Seconds < 0 ? -1 : e.Seconds);
    out->Put(",", 1);
    out->LineText(e.Title, e.TitleLength);
    out->Put("\r\n", 2);
  }
  out->LineText(e.Name, e.NameLength);
  out->Put("\r\n", 2);
}

void WritePLSEntry(const ExportRequest& r, const ExportEntry& e, unsigned long long n,
                   ByteWriter* out) {
  out->Text("File");
  out->Unsigned(n);
  out->Put("=", 1);
  out->LineText(e.Name, e.NameLength);
  out->Put("\r\n", 2);
  if (r.ExtInfo && e.Title != nullptr && e.TitleLength > 0) {
    out->Text("Title");
    out->Unsigned(n);
    out->Put("=", 1);
    out->LineText(e.Title, e.TitleLength);
    out->Text("\r\nLength");
    out->Unsigned(n);
    out->Put("=", 1);
    out->Signed(e.Seconds < 0 ? -1 : e.Seconds);
    out->Put("\r\n", 2);
  }
}

void Compose(const ExportRequest& r, const Layout& plan, const unsigned char* existing,
             size_t size, ByteWriter* out) {
  bool pls = r.Form == PlaylistPLS;
  out->Put(existing, plan.leadSize);
  if (plan.header) out->Text(pls ? kPLSHeader : kExtM3UHeader);
  if (plan.keep) WriteExisting(plan, existing, size, out);
  unsigned long long number = plan.lastNumber;
  for (size_t i = 0; i < r.EntriesNumber; ++i) {
    if (pls)
      WritePLSEntry(r, r.Entries[i], ++number, out);
    else
      WriteM3UEntry(r, r.Entries[i], out);
  }
  if (pls) {
    out->Text("NumberOfEntries=");
    out->Unsigned(number);
    out->Text("\r\nVersion=2\r\n");
  }
}

}  // namespace

bool AllocPlaylistFile(const ExportRequest& request, ExportResult* result) {
  memset(result, 0, sizeof *result);
  const unsigned char* existing = request.Existed ? request.Existing : nullptr;
  size_t size = existing != nullptr ? request.ExistingSize : 0;
  if (request.Entries == nullptr && request.EntriesNumber != 0) return false;
  Layout plan = request.Form == PlaylistPLS ? PlanPLS(request, existing, size)
                                            : PlanM3U(request, existing, size);
  ByteWriter measure;
  Compose(request, plan, existing, size, &measure);
  if (measure.Failed()) return false;
  unsigned char* bytes = static_cast<unsigned char*>(malloc(measure.Size() + 1));
  if (bytes == nullptr) return false;
  ByteWriter writer(bytes, measure.Size());
  Compose(request, plan, existing, size, &writer);
  if (writer.Failed() || writer.Size() != measure.Size()) {
    free(bytes);
    return false;
  }
  size_t kept = 0;
  size_t common = writer.Size() < size ? writer.Size() : size;
  while (kept < common && bytes[kept] == existing[kept]) ++kept;
  result->Bytes = bytes;
  result->Size = writer.Size();
  result->KeptBytes = kept;
  result->ReplacesContent = size > 0 && !plan.keep;
  return true;
}

size_t WriteM3UEntryText(const ExportEntry& entry, unsigned char* out, size_t capacity) {
  ExportRequest request = {};
  request.Form = PlaylistM3U;
  request.ExtInfo = true;
  ByteWriter writer(out, capacity);
  WriteM3UEntry(request, entry, &writer);
  return writer.Failed() ? 0 : writer.Size();
}

bool M3ULineCarriesPath(const char* path, size_t length) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(path);
  bool drive = length >= 3 && ((p[0] | 0x20) >= 'a' && (p[0] | 0x20) <= 'z') && p[1] == ':' &&
               p[2] == '\\';
  bool share = length >= 3 && p[0] == '\\' && p[1] == '\\';
  if (!drive && !share) return false;
  for (size_t i = 0; i < length; ++i)
    if (p[i] < 0x20) return false;
  if (IsBlank(p[length - 1])) return false;
  static const char* const kPlaylistExtensions[] = {".m3u", ".m3u8", ".pls"};
  for (const char* extension : kPlaylistExtensions) {
    size_t n = strlen(extension);
    if (length >= n && EqualsIgnoringCase(p + length - n, n, extension)) return false;
  }
  return true;
}

bool ComposePlaylistPath(const char* directory, const char* name, PlaylistForm form, char* path,
                         size_t size) {
  if (size == 0) return false;
  path[0] = '\0';
  if (directory == nullptr) directory = "";
  if (name == nullptr) name = "";
  size_t dirLength = strlen(directory);
  char last = dirLength > 0 ? directory[dirLength - 1] : '\0';
  bool separator = last == '\\' || last == '/';
  const char* extension = form == PlaylistPLS ? ".pls" : ".m3u";
  size_t total = dirLength + (separator ? 0 : 1) + strlen(name) + strlen(extension);
  if (total > kMaxPlaylistPath || total >= size) return false;
  CopyText(path, size, directory);
  if (!separator) AppendText(path, size, "\\");
  AppendText(path, size, name);
  AppendText(path, size, extension);
  return true;
}
