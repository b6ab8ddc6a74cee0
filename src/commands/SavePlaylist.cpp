// Shift+F5: the selected entries saved as an M3U or PLS playlist into the
// passive panel's folder (or one the user types), new or added to an
// existing file. The bytes come from AllocPlaylistFile; this layer asks, reads
// the old file, and writes the new one so that a failure never leaves the
// user's playlist half-written.
#include "commands/CommandSteps.h"

#include "commands/PlaylistExport.h"
#include "link/SongLength.h"
#include "panel/ScopedWaitMessage.h"
#include "plugin/DebugLog.h"
#include "plugin/DialogTemplate.h"
#include "plugin/EntryPoints.h"
#include "plugin/LangMessages.h"
#include "plugin/Options.h"
#include "plugin/PathText.h"
#include "plugin/ScopedHandles.h"
#include "plugin/Settings.h"
#include "plugin/TextBuffer.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace {

// The save dialog's items that carry the user's choices.
enum SaveItem {
  kSaveFolder = 2,
  kSaveName = 4,
  kSaveAsPls = 6,
  kSaveExtInfo = 7,
  kSaveAppend = 8,
  kSaveRemember = 9,
  kSaveButton = 11,
  kSaveItemCount = 13,
};
constexpr DWORD kPlaylistNameSize = MAX_PATH;  // "PlaylistName" holds up to 260 bytes
constexpr int kDialogWidth = 76;
constexpr int kDialogHeight = 15;
// A playlist the plug-in reads back whole: bigger ones are not touched.
constexpr unsigned long long kMaxExistingSize = 256ull * 1024 * 1024;
constexpr DWORD kWriteChunk = 1u << 20;

const char kFolderHistory[] = "Copy";
const char kNameHistory[] = "MVPlaylistName";
const char kNoText[] = "";

const DialogItemTemplate kSaveItems[kSaveItemCount] = {
    {DI_DOUBLEBOX, 3, 1, 72, 13, 0, 0, 0, 0, MSaveTitle},
    {DI_TEXT, 5, 2, 0, 0, 0, 0, 0, 0, MSaveFolder},
    {DI_EDIT, 5, 3, 70, 3, 0, TemplateHistory(kFolderHistory), DIF_HISTORY, 0, TemplateText(kNoText)},
    {DI_TEXT, 5, 4, 0, 0, 0, 0, 0, 0, MSaveName},
    {DI_EDIT, 5, 5, 70, 3, 1, TemplateHistory(kNameHistory), DIF_HISTORY, 0, TemplateText(kNoText)},
    {DI_TEXT, 5, 6, 0, 0, 0, 0, DIF_SEPARATOR | DIF_BOXCOLOR, 0, TemplateText(kNoText)},
    {DI_CHECKBOX, 5, 7, 0, 0, 0, 0, 0, 0, MSaveAsPls},
    {DI_CHECKBOX, 5, 8, 0, 0, 0, 0, 0, 0, MSaveExtInfo},
    {DI_CHECKBOX, 5, 9, 0, 0, 0, 0, 0, 0, MSaveAppend},
    {DI_CHECKBOX, 5, 10, 0, 0, 0, 0, 0, 0, MSaveRemember},
    {DI_TEXT, 5, 11, 0, 0, 0, 0, DIF_SEPARATOR | DIF_BOXCOLOR, 0, TemplateText(kNoText)},
    {DI_BUTTON, 0, 12, 0, 0, 0, 0, DIF_CENTERGROUP, 1, MOk},
    {DI_BUTTON, 0, 12, 0, 0, 0, 0, DIF_CENTERGROUP, 0, MGiveUp},
};

// Texts kept one after another; an offset stays valid as the block grows.
class TextArena {
 public:
  TextArena() = default;
  ~TextArena() { free(bytes_); }
  TextArena(const TextArena&) = delete;
  TextArena& operator=(const TextArena&) = delete;

  // Appends n bytes; their offset, or SIZE_MAX when memory is short.
  size_t Add(const char* text, size_t n) {
    if (n > SIZE_MAX / 2 - size_) return SIZE_MAX;
    if (size_ + n > capacity_) {
      size_t grown = capacity_ < 4096 ? 4096 : capacity_;
      while (grown < size_ + n) grown *= 2;
      char* bigger = static_cast<char*>(realloc(bytes_, grown));
      if (bigger == nullptr) return SIZE_MAX;
      bytes_ = bigger;
      capacity_ = grown;
    }
    if (n > 0) memcpy(bytes_ + size_, text, n);
    size_t at = size_;
    size_ += n;
    return at;
  }
  char* At(size_t offset) const { return bytes_ + offset; }
  size_t Size() const { return size_; }

 private:
  char* bytes_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

// The file's whole bytes (malloc'd; the caller frees them); false when it
// cannot be read.
bool AllocFileBytes(const char* path, unsigned char** bytes, size_t* size) {
  *bytes = nullptr;
  *size = 0;
  ScopedFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER length = {};
  if (!file.IsOpen() || !GetFileSizeEx(file.Get(), &length) || length.QuadPart < 0 ||
      static_cast<unsigned long long>(length.QuadPart) > kMaxExistingSize)
    return false;
  ScopedFileView view;
  if (!view.Map(file.Get(), static_cast<unsigned long long>(length.QuadPart))) return false;
  if (view.Size() == 0) return true;
  *bytes = static_cast<unsigned char*>(malloc(view.Size()));
  if (*bytes == nullptr) return false;
  memcpy(*bytes, view.Data(), view.Size());
  *size = view.Size();
  return true;
}

// Writes bytes into the temporary file GetTempFileName made. 0, or the
// system's error code.
DWORD WriteTemporaryFile(const char* temporary, const unsigned char* bytes, size_t size) {
  ScopedFile file(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsOpen()) return GetLastError();
  for (size_t done = 0; done < size;) {
    DWORD chunk = size - done < kWriteChunk ? static_cast<DWORD>(size - done) : kWriteChunk;
    DWORD put = 0;
    if (!WriteFile(file.Get(), bytes + done, chunk, &put, nullptr) || put != chunk) {
      DWORD error = GetLastError();
      return error != 0 ? error : ERROR_WRITE_FAULT;
    }
    done += put;
  }
  return 0;
}

bool IsFile(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Where a save that failed left the playlists when neither is under the
// playlist's own name any more: the earlier content, and the new.
struct KeptPlaylists {
  char Old[MAX_PATH];
  char New[MAX_PATH];
};

// Writes the whole new content of path: into a temporary file beside it,
// which takes the file's place only once it is complete, so a write that
// fails (a full disk, a lost share) leaves the old playlist as it was. The
// file keeps its attributes. 0, or the system's error code; then the old
// playlist is at path, unless kept names where both are (never neither).
DWORD WritePlaylistFile(const char* path, const unsigned char* bytes, size_t size, bool existed,
                        DWORD attributes, KeptPlaylists* kept) {
  kept->Old[0] = '\0';
  kept->New[0] = '\0';
  char folder[MAX_PATH];
  CopyText(folder, sizeof folder, path);
  *NameAfterPath(folder) = '\0';
  if (folder[0] == '\0') CopyText(folder, sizeof folder, ".");
  char temporary[MAX_PATH];
  if (GetTempFileNameA(folder, "mvx", 0, temporary) == 0) return GetLastError();
  DWORD error = WriteTemporaryFile(temporary, bytes, size);
  if (error == 0 && !existed && !MoveFileA(temporary, path)) error = GetLastError();
  if (error != 0 || !existed) {
    if (error != 0) DeleteFileA(temporary);
    return error;
  }

  // Windows may move the old file away and then fail to move the new one
  // in (ERROR_UNABLE_TO_MOVE_REPLACEMENT_2); the old one is then under the
  // backup name, so there must be one, in the same folder, of our making.
  char backup[MAX_PATH];
  if (GetTempFileNameA(folder, "mvb", 0, backup) == 0) {
    error = GetLastError();
    DeleteFileA(temporary);
    return error;
  }
  if (ReplacePlaylistFile(path, temporary, backup, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                          nullptr)) {
    if (!DeleteFileA(backup))
      DebugLog << "\nMELVOXPanel::ProcessKey: Can't remove " << backup << LogFlush;
    SetFileAttributesA(path, attributes);
    return 0;
  }
  error = GetLastError();
  if (IsFile(path)) {
    // The old playlist is where it was. A plain rename over it still does
    // where the file system cannot replace.
    bool placed = MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING) != 0;
    if (placed)
      SetFileAttributesA(path, attributes);
    else
      DeleteFileA(temporary);
    DeleteFileA(backup);
    return placed ? 0 : error;
  }
  // Moved away: put back, or else the new one in its place. When neither
  // moves, both stay where they are, and the user is told where.
  if (MoveFileA(backup, path)) {
    DeleteFileA(temporary);
    return error;
  }
  if (MoveFileA(temporary, path)) {
    DeleteFileA(backup);
    SetFileAttributesA(path, attributes);
    return 0;
  }
  CopyText(kept->Old, sizeof kept->Old, backup);
  CopyText(kept->New, sizeof kept->New, temporary);
  return error;
}

void ReportNotWritten(const char* path, const KeptPlaylists& kept) {
  if (kept.Old[0] == '\0') {
    const char* items[] = {GetMsg(MSaveTitle), GetMsg(MFileNotWritten), path, GetMsg(MOk)};
    ShowMessage(FMSG_WARNING, items, 4, 1);
    return;
  }
  const char* items[] = {GetMsg(MSaveTitle),   GetMsg(MFileNotWritten), path,
                         GetMsg(MSaveOldKept), kept.Old,                GetMsg(MSaveNewKept),
                         kept.New,             GetMsg(MOk)};
  ShowMessage(FMSG_WARNING, items, 8, 1);
}

int DialogCheck(const FarDialogItem& item) { return item.Selected != 0 ? 1 : 0; }

}  // namespace

BOOL(WINAPI* ReplacePlaylistFile)(LPCSTR, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID) = ReplaceFileA;

int MELVOXPanel::SavePlaylist() {
  if (ItemsNumber == 0 || Items == nullptr || StartCount != 1) return 1;
  PanelInfo passive;
  PassivePanelInfo(this, &passive);
  if (passive.Plugin != 0) return 0;
  char directory[MAX_PATH];
  CopyTextN(directory, sizeof directory, passive.CurDir, sizeof passive.CurDir);
  DebugLog << "\nMELVOXPanel::ProcessKey: Key=SHIFT+VK_F5 {"
           << "\nMELVOXPanel::ProcessKey: Save playlist to: \"" << directory << "\"" << LogFlush;

  PanelInfo active;
  ActivePanelInfo(&active);
  if (active.SelectedItemsNumber <= 0) return 1;

  FarDialogItem items[kSaveItemCount];
  ExpandDialogItems(kSaveItems, items, kSaveItemCount);
  CopyText(items[kSaveFolder].Data, sizeof items[kSaveFolder].Data, directory);
  ReadSettingString(HKEY_CURRENT_USER, "", "PlaylistName", items[kSaveName].Data, "vok",
                    kPlaylistNameSize);
  items[kSaveAsPls].Selected = GetSettingDword(HKEY_CURRENT_USER, "", "SaveAsPLS", 0) != 0;
  items[kSaveExtInfo].Selected = GetSettingDword(HKEY_CURRENT_USER, "", "SaveExtInfo", 1) != 0;
  items[kSaveAppend].Selected = GetSettingDword(HKEY_CURRENT_USER, "", "AddToFile", 0) != 0;
  items[kSaveRemember].Selected = 0;
  if (HostInfo.Dialog == nullptr ||
      HostInfo.Dialog(HostInfo.ModuleNumber, -1, -1, kDialogWidth, kDialogHeight, "MELVOXSPL",
                      items, kSaveItemCount) != kSaveButton)
    return 1;

  ExportRequest request;
  memset(&request, 0, sizeof request);
  request.Form = DialogCheck(items[kSaveAsPls]) ? PlaylistPLS : PlaylistM3U;
  request.ExtInfo = DialogCheck(items[kSaveExtInfo]) != 0;
  request.AddToFile = DialogCheck(items[kSaveAppend]) != 0;
  char path[MAX_PATH];
  if (!ComposePlaylistPath(items[kSaveFolder].Data, items[kSaveName].Data, request.Form, path,
                           sizeof path)) {
    DebugLog << "\nMELVOXPanel::ProcessKey: playlist path too long }" << LogFlush;
    const char* lines[] = {GetMsg(MSaveTitle), GetMsg(MSavePathTooLong), GetMsg(MOk)};
    ShowMessage(FMSG_WARNING, lines, 3, 1);
    return 1;
  }

  // The entries, as the player knows them and in the code page every other
  // Windows program reads playlists in: the player's names, titles in ANSI.
  ActivePanelInfo(&active);
  size_t selectedNumber =
      active.SelectedItems != nullptr && active.SelectedItemsNumber > 0
          ? static_cast<size_t>(active.SelectedItemsNumber)
          : 0;
  ExportEntry* entries = static_cast<ExportEntry*>(calloc(selectedNumber + 1, sizeof(ExportEntry)));
  // Where each entry's name and title lie in texts (the block moves while
  // it grows, so the pointers are set once it is complete).
  size_t* offsets = static_cast<size_t*>(calloc(2 * selectedNumber + 1, sizeof(size_t)));
  TextArena texts;   // the names, ANSI already
  TextArena titles;  // the titles, OEM until converted all at once
  size_t entriesNumber = 0;
  bool memoryShort = entries == nullptr || offsets == nullptr;
  char name[MAX_PATH];
  for (size_t i = 0; !memoryShort && i < selectedNumber; ++i) {
    int index = StoreIndexOf(active.SelectedItems[i]);
    if (index < 0) continue;
    const PluginPanelItem& entry = Items[index];
    ExportEntry& out = entries[entriesNumber];
    size_t* at = &offsets[2 * entriesNumber];
    ++entriesNumber;
    PlayerName(entry, name, sizeof name);
    out.NameLength = strlen(name);
    at[0] = texts.Add(name, out.NameLength);
    if (entry.Description != nullptr && entry.Description[0] != '\0') {
      out.TitleLength = strlen(entry.Description);
      at[1] = titles.Add(entry.Description, out.TitleLength);
    }
    out.Seconds = LengthTextToSeconds(entry.Owner);
    memoryShort = at[0] == SIZE_MAX || at[1] == SIZE_MAX;
  }
  // One conversion for every title: byte for byte, as OemToCharBuff converts.
  if (!memoryShort && titles.Size() > 0 && titles.Size() <= MAXDWORD)
    OemToCharBuffA(titles.At(0), titles.At(0), static_cast<DWORD>(titles.Size()));
  for (size_t i = 0; !memoryShort && i < entriesNumber; ++i) {
    entries[i].Name = texts.At(offsets[2 * i]);
    entries[i].Title = entries[i].TitleLength > 0 ? titles.At(offsets[2 * i + 1]) : nullptr;
  }
  free(offsets);

  DWORD attributes = GetFileAttributesA(path);
  request.Existed = attributes != INVALID_FILE_ATTRIBUTES;
  unsigned char* existing = nullptr;
  size_t existingSize = 0;
  bool readable = !request.Existed ||
                  ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0 &&
                   AllocFileBytes(path, &existing, &existingSize));
  request.Existing = existing;
  request.ExistingSize = existingSize;
  request.Entries = entries;
  request.EntriesNumber = entriesNumber;
  ExportResult result;
  memset(&result, 0, sizeof result);
  bool composed = !memoryShort && readable && AllocPlaylistFile(request, &result);
  free(existing);
  free(entries);

  bool go = composed;
  if (composed && result.ReplacesContent) {
    const char* lines[] = {GetMsg(MSaveTitle), GetMsg(MSaveFileExists), path,
                           GetMsg(MSaveReplace), GetMsg(MCancel)};
    go = ShowMessage(FMSG_WARNING, lines, 5, 2) == 0;
    if (!go) DebugLog << "\nMELVOXPanel::ProcessKey: not replaced }" << LogFlush;
  }
  DWORD error = 0;
  KeptPlaylists kept;
  kept.Old[0] = '\0';
  if (go) {
    ScopedWaitMessage wait(MWaitSavingPlaylist);
    error = WritePlaylistFile(path, result.Bytes, result.Size, request.Existed, attributes, &kept);
  }
  free(result.Bytes);
  if (!composed || error != 0) {
    DebugLog << "\nMELVOXPanel::ProcessKey: Can't write " << path << ", error code=" << error;
    if (kept.Old[0] != '\0')
      DebugLog << "\nMELVOXPanel::ProcessKey: kept as " << kept.Old << " and " << kept.New;
    DebugLog << " }" << LogFlush;
    ReportNotWritten(path, kept);
    return 1;
  }
  if (!go) return 1;

  // The entries did not change: only the panel beside, which may show the
  // new file, is listed again; this one keeps the user's selection.
  HostControl(this, FCTL_UPDATEANOTHERPANEL, nullptr);
  HostControl(this, FCTL_REDRAWPANEL, nullptr);
  HostControl(this, FCTL_REDRAWANOTHERPANEL, nullptr);
  if (DialogCheck(items[kSaveRemember])) {
    WriteSettingDword(HKEY_CURRENT_USER, "", "SaveAsPLS", DialogCheck(items[kSaveAsPls]));
    WriteSettingString(HKEY_CURRENT_USER, "", "PlaylistName", items[kSaveName].Data);
    WriteSettingDword(HKEY_CURRENT_USER, "", "SaveExtInfo", DialogCheck(items[kSaveExtInfo]));
    WriteSettingDword(HKEY_CURRENT_USER, "", "AddToFile", DialogCheck(items[kSaveAppend]));
  }
  DebugLog << "\nMELVOXPanel::ProcessKey: Key=SHIFT+VK_F5 }" << LogFlush;
  return 1;
}
