// Saving entries as M3U or PLS over whatever the existing file holds: with
// "add", no existing entry is lost, changed or renumbered.
//
// Input: one byte of choices (bit 0 PLS, 1 titles, 2 add, 3 the file
// existed, bits 4-5 the number of entries), then the existing file's bytes.
#include "FuzzCheck.h"
#include "commands/PlaylistExport.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const ExportEntry kEntries[] = {
    {"C:\\MP3\\a.mp3", 12, "Artist - Song", 13, 225},
    {"C:\\MP3\\b.mp3", 12, nullptr, 0, 0},
    {"C:\\MP3\\c.mp3", 12, "Two\r\nlines", 10, -1},
};

std::string Build(const ExportRequest& request, bool* replaces = nullptr,
                  size_t* kept = nullptr) {
  ExportResult result;
  FUZZ_CHECK(AllocPlaylistFile(request, &result));
  std::string bytes(reinterpret_cast<const char*>(result.Bytes), result.Size);
  free(result.Bytes);
  if (replaces != nullptr) *replaces = result.ReplacesContent;
  if (kept != nullptr) *kept = result.KeptBytes;
  return bytes;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t lf = text.find('\n', at);
    size_t end = lf == std::string::npos ? text.size() : lf + 1;
    lines.push_back(text.substr(at, end - at));
    at = end;
  }
  return lines;
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// The key of an "a = b" line, blanks around it dropped, in lower case.
std::string Key(const std::string& line) {
  size_t eq = line.find('=');
  if (eq == std::string::npos) return std::string();
  size_t from = line.find_first_not_of(" \t");
  size_t to = line.find_last_not_of(" \t", eq - 1);
  if (from >= eq || to == std::string::npos || to < from) return std::string();
  return Lower(line.substr(from, to + 1 - from));
}

constexpr long long kHuge = 1000000000000000LL;  // numbers beyond are not compared

// N of a "FileN=" line (at most kHuge), or -1.
long long FileNumber(const std::string& line) {
  std::string key = Key(line);
  if (key.size() <= 4 || key.compare(0, 4, "file") != 0) return -1;
  long long n = 0;
  for (size_t i = 4; i < key.size(); ++i) {
    if (key[i] < '0' || key[i] > '9') return -1;
    n = n * 10 + (key[i] - '0');
    if (n > kHuge) n = kHuge;
  }
  return n;
}

void CheckPath(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.c_str();
  std::string dir = text.substr(0, text.size() / 2);
  std::string name = text.substr(text.size() / 2);
  char path[260];
  if (ComposePlaylistPath(dir.c_str(), name.c_str(), PlaylistPLS, path, sizeof path)) {
    std::string made = path;
    FUZZ_CHECK(made.size() <= kMaxPlaylistPath && made.compare(0, dir.size(), dir) == 0);
    FUZZ_CHECK(made.size() >= 4 && made.compare(made.size() - 4, 4, ".pls") == 0);
  } else {
    FUZZ_CHECK(path[0] == '\0' && dir.size() + name.size() + 4 >= kMaxPlaylistPath);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  unsigned choices = data[0];
  std::string existing(reinterpret_cast<const char*>(data + 1), size - 1);
  ExportRequest request{};
  request.Form = choices & 1 ? PlaylistPLS : PlaylistM3U;
  request.ExtInfo = (choices & 2) != 0;
  request.AddToFile = (choices & 4) != 0;
  request.Existed = (choices & 8) != 0;
  request.Existing = reinterpret_cast<const unsigned char*>(existing.data());
  request.ExistingSize = existing.size();
  request.Entries = kEntries;
  request.EntriesNumber = (choices >> 4) & 3;

  CheckPath(data + 1, size - 1);

  bool replaces = false;
  size_t kept = 0;
  std::string out = Build(request, &replaces, &kept);
  size_t before = request.Existed ? existing.size() : 0;
  FUZZ_CHECK(kept <= out.size() && kept <= before && out.compare(0, kept, existing, 0, kept) == 0);
  bool adding = request.AddToFile && request.Existed;
  size_t bom = existing.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  bool isPls = Lower(existing.substr(bom, 10)) == "[playlist]";
  bool keeps = adding && (request.Form == PlaylistM3U || isPls);
  FUZZ_CHECK(replaces == (before > 0 && !keeps));

  // What the entries alone give, in a new file.
  ExportRequest fresh = request;
  fresh.AddToFile = false;
  fresh.Existed = false;
  std::string alone = Build(fresh);

  if (request.Form == PlaylistM3U) {
    if (!adding) {
      FUZZ_CHECK(out == alone);
      return 0;
    }
    // [byte-order mark] [header] the existing bytes [CR LF] the entries.
    std::string header = request.ExtInfo ? "#EXTM3U\r\n" : "";
    std::string entries = alone.substr(header.size());
    bool hasHeader = request.ExtInfo && (existing.size() <= bom || existing[bom] != '#');
    std::string expected = existing.substr(0, bom) + (hasHeader ? header : "") +
                           existing.substr(bom);
    if (existing.size() > bom && existing.back() != '\n') expected += "\r\n";
    FUZZ_CHECK(out == expected + entries);
    return 0;
  }

  std::vector<std::string> outLines = Lines(out);
  FUZZ_CHECK(!outLines.empty());
  size_t counts = 0;
  for (const std::string& line : outLines) counts += Key(line) == "numberofentries";
  FUZZ_CHECK(counts == 1);  // one trailer, whatever the file held
  if (!keeps) {
    FUZZ_CHECK(out == alone);
    return 0;
  }
  // Every existing File line is still there, in order, and the new entries
  // are numbered after all of them.
  long long highest = 0;
  size_t next = 0;
  for (const std::string& line : Lines(existing)) {
    long long n = FileNumber(line);
    if (n < 0) continue;
    if (n > highest) highest = n;
    std::string want = line.back() == '\n' ? line : line + "\r\n";
    while (next < outLines.size() && outLines[next] != want) ++next;
    FUZZ_CHECK(next < outLines.size());
    ++next;
  }
  size_t added = 0;
  for (; next < outLines.size(); ++next) {
    long long n = FileNumber(outLines[next]);
    if (n < 0) continue;
    FUZZ_CHECK(n > highest || highest == kHuge);
    ++added;
  }
  FUZZ_CHECK(added == request.EntriesNumber);
  return 0;
}
