#include "plugin/ColumnTitles.h"

#include "plugin/LangMessages.h"

namespace {

struct TitledType {
  const char* Name;
  int Message;
};

// In the order of the title messages.
constexpr TitledType kTitledTypes[] = {
    {"N", MColName},       {"S", MColSize},          {"P", MColPacked},
    {"D", MColDate},       {"T", MColTime},          {"DM", MColModified},
    {"DC", MColCreated},   {"DA", MColAccessed},     {"A", MColAttributes},
    {"Z", MColTitle},      {"O", MColLength},        {"LN", MColNumber},
    {"C0", MColTagTitle},  {"C1", MColTagArtist},    {"C2", MColTagAlbum},
    {"C3", MColTagYear},   {"C4", MColTagComment},   {"C5", MColTagGenre},
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Length of name when the field starts with it (ASCII case ignored), else 0.
size_t PrefixMatch(const char* field, size_t length, const char* name) {
  size_t n = 0;
  for (; name[n] != '\0'; ++n)
    if (n >= length || UpperAscii(field[n]) != name[n]) return 0;
  return n;
}

}  // namespace

size_t CountColumnFields(const char* columnTypes) {
  if (columnTypes == nullptr) return 0;
  size_t fields = 1;
  bool any = false;
  for (const char* p = columnTypes; *p != '\0'; ++p) {
    if (*p == ',') ++fields;
    if (!IsBlank(*p)) any = true;
  }
  // A comma alone already makes two (empty) columns for the host.
  return any ? fields : 0;
}

int ColumnTitleMessage(const char* field, size_t length) {
  if (field == nullptr) return MUnknownColumn;
  while (length > 0 && IsBlank(*field)) {
    ++field;
    --length;
  }
  while (length > 0 && IsBlank(field[length - 1])) --length;
  int message = MUnknownColumn;
  size_t longest = 0;
  for (const TitledType& type : kTitledTypes) {
    size_t matched = PrefixMatch(field, length, type.Name);
    if (matched > longest) {
      longest = matched;
      message = type.Message;
    }
  }
  return message;
}

size_t ColumnTitleMessages(const char* columnTypes, int* messages, size_t capacity) {
  size_t fields = CountColumnFields(columnTypes);
  if (fields == 0) return 0;
  const char* start = columnTypes;
  size_t index = 0;
  for (const char* p = columnTypes;; ++p) {
    if (*p == ',' || *p == '\0') {
      if (index < capacity && messages != nullptr)
        messages[index] = ColumnTitleMessage(start, static_cast<size_t>(p - start));
      ++index;
      if (*p == '\0') break;
      start = p + 1;
    }
  }
  return fields;
}
