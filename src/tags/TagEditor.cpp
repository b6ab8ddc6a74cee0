#include "tags/TagEditor.h"

#include "panel/TitlesCache.h"
#include "plugin/DebugLog.h"
#include "plugin/DialogTemplate.h"
#include "plugin/HostInfo.h"
#include "plugin/LangMessages.h"
#include "plugin/PathText.h"
#include "plugin/Settings.h"
#include "plugin/TextBuffer.h"
#include "tags/Id3Tag.h"
#include "tags/TagEditorText.h"

#include <windows.h>

#include <stdlib.h>
#include <string.h>

namespace {

const char kHelpTopic[] = "MELVOXID3TagEditor";
const char kNoText[] = "";

// Items of the dialog. The upper half is the file's own tag, the lower half
// the fixed values; a fixed field sits kFixedOffset items after its own.
enum TagItem {
  kFrame = 0,
  kFirstField = 1,  // title, artist, album, year, comment
  kGenreName = 6,
  kGenreButton = 12,
  kSaveButton = 14,
  kCancelButton = 15,
  kDeleteButton = 16,
  kFileLine = 17,
  kFileName = 18,
  kFirstFixedField = 25,
  kFixedGenreName = 30,
  kFixedGenreButton = 31,
  kFirstCheckBox = 32,  // five fields, then the genre
  kItemCount = 38,
};
constexpr int kFixedOffset = kFirstFixedField - kFirstField;
constexpr int kCheckBoxes = 6;
constexpr int kDialogWidth = 58;
constexpr int kDialogHeight = 20;

// A field's text as the editor holds it: wider than every field (30) and the
// year as typed (8).
constexpr size_t kFieldSize = 32;
// Registry sizes: 30 characters and the NUL; the year as typed, then its 4.
constexpr DWORD kFixedTextSize = 31;
constexpr DWORD kFixedYearSize = 9;
constexpr size_t kYearLength = 4;
constexpr size_t kFixedYearTyped = 8;
constexpr size_t kMenuTextSize = sizeof FarMenuItem::Text;

const DialogItemTemplate kTagItems[kItemCount] = {
    {DI_DOUBLEBOX, 3, 1, 54, 18, 0, 0, 0, 0, MTagTitle},
    {DI_FIXEDIT, 18, 3, 47, 0, 0, TemplateHistory("MVtitle"), DIF_HISTORY, 0, TemplateText(kNoText)},
    {DI_FIXEDIT, 18, 4, 47, 0, 0, TemplateHistory("MVArtist"), DIF_HISTORY, 0, TemplateText(kNoText)},
    {DI_FIXEDIT, 18, 5, 47, 0, 0, TemplateHistory("MVAlbum"), DIF_HISTORY, 0, TemplateText(kNoText)},
    {DI_FIXEDIT, 40, 6, 47, 0, 0, TemplateHistory("MVYear"), DIF_HISTORY, 0, TemplateText(kNoText)},
    {DI_FIXEDIT, 18, 7, 47, 0, 0, TemplateHistory("MVComm"), DIF_HISTORY, 0, TemplateText(kNoText)},
    {DI_TEXT, 18, 8, 47, 0, 0, 0, 0, 0, TemplateText(kNoText)},
    {DI_TEXT, 6, 3, 0, 0, 0, 0, 0, 0, MTagSongTitle},
    {DI_TEXT, 6, 4, 0, 0, 0, 0, 0, 0, MTagArtist},
    {DI_TEXT, 6, 5, 0, 0, 0, 0, 0, 0, MTagAlbum},
    {DI_TEXT, 6, 6, 0, 0, 0, 0, 0, 0, MTagYear},
    {DI_TEXT, 6, 7, 0, 0, 0, 0, 0, 0, MTagComment},
    {DI_BUTTON, 6, 8, 0, 0, 0, 0, DIF_NOBRACKETS, 0, MTagGenre},
    {DI_TEXT, 0, 9, 0, 0, 0, 0, DIF_SEPARATOR | DIF_BOXCOLOR, 0, TemplateText(kNoText)},
    {DI_BUTTON, 0, 17, 0, 0, 0, 0, DIF_CENTERGROUP, 1, MOk},
    {DI_BUTTON, 0, 17, 0, 0, 0, 0, DIF_CENTERGROUP, 0, MCancel},
    {DI_BUTTON, 0, 17, 0, 0, 0, 0, DIF_CENTERGROUP, 0, MKeyRemove},
    {DI_TEXT, 6, 2, 0, 0, 0, 0, DIF_NOBRACKETS, 0, TemplateText(kNoText)},
    {DI_TEXT, 18, 2, 0, 0, 0, 0, 0, 0, TemplateText(kNoText)},
    {DI_TEXT, 0, 16, 0, 0, 0, 0, DIF_SEPARATOR | DIF_BOXCOLOR, 0, TemplateText(kNoText)},
    {DI_TEXT, 6, 10, 0, 0, 0, 0, 0, 0, MTagSongTitle},
    {DI_TEXT, 6, 11, 0, 0, 0, 0, 0, 0, MTagArtist},
    {DI_TEXT, 6, 12, 0, 0, 0, 0, 0, 0, MTagAlbum},
    {DI_TEXT, 6, 13, 0, 0, 0, 0, 0, 0, MTagYear},
    {DI_TEXT, 6, 14, 0, 0, 0, 0, 0, 0, MTagComment},
    {DI_FIXEDIT, 18, 10, 47, 0, 0, TemplateHistory("MP3_Title"), DIF_HISTORY, 0, TemplateText(kNoText)},
    {DI_FIXEDIT, 18, 11, 47, 0, 0, TemplateHistory("MP3_Artist"), DIF_HISTORY, 0, TemplateText(kNoText)},
    {DI_FIXEDIT, 18, 12, 47, 0, 0, TemplateHistory("MP3_Album"), DIF_HISTORY, 0, TemplateText(kNoText)},
    {DI_FIXEDIT, 40, 13, 47, 0, 0, TemplateHistory("MP3_Year"), DIF_HISTORY, 0, TemplateText(kNoText)},
    {DI_FIXEDIT, 18, 14, 47, 0, 0, TemplateHistory("MP3_Comment"), DIF_HISTORY, 0, TemplateText(kNoText)},
    {DI_TEXT, 18, 15, 47, 0, 0, 0, 0, 0, TemplateText(kNoText)},
    {DI_BUTTON, 6, 15, 0, 0, 0, 0, DIF_NOBRACKETS, 0, MTagGenre},
    {DI_CHECKBOX, 50, 10, 0, 0, 0, 0, 0, 0, TemplateText(kNoText)},
    {DI_CHECKBOX, 50, 11, 0, 0, 0, 0, 0, 0, TemplateText(kNoText)},
    {DI_CHECKBOX, 50, 12, 0, 0, 0, 0, 0, 0, TemplateText(kNoText)},
    {DI_CHECKBOX, 50, 13, 0, 0, 0, 0, 0, 0, TemplateText(kNoText)},
    {DI_CHECKBOX, 50, 14, 0, 0, 0, 0, 0, 0, TemplateText(kNoText)},
    {DI_CHECKBOX, 50, 15, 0, 0, 0, 0, 0, 0, TemplateText(kNoText)},
};

const char* const kFixedNames[kTagTextFields] = {"FixedTitle", "FixedArtist", "FixedAlbum",
                                                 "FixedYear", "FixedComment"};

// The fixed values of the lower half, as the registry keeps them.
struct FixedValues {
  char Texts[kTagTextFields][kFieldSize];
  unsigned Genre;
  unsigned char Checked[kCheckBoxes];
};

// One taggable file of the run.
struct EditorFile {
  const char* Name;       // the caller's name (OEM)
  unsigned char* Backup;  // its tag when the run started (owned), or null
  bool Touched;           // the run wrote to it or cut it: Cancel puts it back
  bool Changed;           // the run changed it: its cached title is dropped
};

// The file shown: what its tag showed, and what the user has made of it so
// far; kept while genre menus come and go.
struct FilePage {
  bool HasTag;
  char Shown[kTagTextFields][kFieldSize];
  char Edited[kTagTextFields][kFieldSize];
  unsigned ShownGenre;
  unsigned Genre;
  int Focus;
};

void ConsoleTextToAnsi(const char* from, char* to, size_t toSize) {
  CopyText(to, toSize, from);
  OemToCharA(to, to);
}

long long SongFileLength(const char* path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// WriteTagRecord, read back: true when the file now ends in exactly record.
bool PutTagRecord(const char* path, const unsigned char* record) {
  WriteTagRecord(path, record);
  unsigned char* now = ReadTagRecord(path);
  bool ok = now != nullptr && memcmp(now, record, kTagRecordSize) == 0;
  free(now);
  return ok;
}

// RemoveTag, checked by the length: true when the file became one record shorter.
bool CutTagRecord(const char* path) {
  long long before = SongFileLength(path);
  if (before < static_cast<long long>(kTagRecordSize)) return false;
  RemoveTag(path);
  return SongFileLength(path) == before - static_cast<long long>(kTagRecordSize);
}

void ReportFile(int msgId, const char* path) {
  DebugLog << "\nDoID3Tag: Can't change the file " << path << LogFlush;
  if (HostInfo.Message == nullptr) return;
  const char* lines[] = {GetMsg(MTagTitle), GetMsg(msgId), path, GetMsg(MOk)};
  HostInfo.Message(HostInfo.ModuleNumber, FMSG_WARNING, kHelpTopic, lines, 4, 1);
}

void ReadFixedValues(FixedValues* fixed) {
  memset(fixed, 0, sizeof *fixed);
  for (int f = 0; f < kTagTextFields; ++f) {
    DWORD size = f == TagFieldYear ? kFixedYearSize : kFixedTextSize;
    ReadSettingString(HKEY_CURRENT_USER, "", kFixedNames[f], fixed->Texts[f], "", size);
  }
  fixed->Texts[TagFieldYear][kYearLength] = '\0';
  fixed->Genre =
      static_cast<unsigned>(GetSettingDword(HKEY_CURRENT_USER, "", "FixedGenre", NO_GENRE)) & 0xFF;
  const unsigned char none[kCheckBoxes] = {};
  ReadSettingBinary(HKEY_CURRENT_USER, "", "FixedChecked", fixed->Checked, none, kCheckBoxes);
}

// Takes the fixed texts and check boxes the user left in the dialog and stores them.
void StoreFixedValues(const FarDialogItem* items, FixedValues* fixed) {
  for (int f = 0; f < kTagTextFields; ++f) {
    const char* typed = items[kFirstFixedField + f].Data;
    if (f == TagFieldYear) {
      CopyTextN(fixed->Texts[f], kFieldSize, typed, kFixedYearTyped);
    } else {
      CopyText(fixed->Texts[f], kFieldSize, typed);
    }
    WriteSettingString(HKEY_CURRENT_USER, "", kFixedNames[f], fixed->Texts[f]);
  }
  for (int k = 0; k < kCheckBoxes; ++k)
    fixed->Checked[k] = items[kFirstCheckBox + k].Selected != 0 ? 1 : 0;
  WriteSettingBinary(HKEY_CURRENT_USER, "", "FixedChecked", fixed->Checked, kCheckBoxes);
}

// Reads the file's tag into a fresh page; the focus goes to focus.
void LoadPage(const char* path, int focus, FilePage* page) {
  memset(page, 0, sizeof *page);
  page->Focus = focus;
  page->ShownGenre = NO_GENRE;
  unsigned char* record = ReadTagRecord(path);
  page->HasTag = record != nullptr;
  if (record != nullptr) {
    char* texts[kTagTextFields] = {TagTitle(record), TagArtist(record), TagAlbum(record),
                                   TagYear(record), TagComment(record)};
    for (int f = 0; f < kTagTextFields; ++f) {
      CopyText(page->Shown[f], kFieldSize, texts[f]);
      free(texts[f]);
    }
    page->ShownGenre = record[kTagGenreOffset];
    free(record);
  }
  memcpy(page->Edited, page->Shown, sizeof page->Edited);
  page->Genre = page->ShownGenre;
}

// Fills the dialog's items afresh: the host writes its decorations back into
// the items it was given, so none may be shown twice.
void BuildItems(FarDialogItem* items, const FilePage& page, const FixedValues& fixed,
                const char* path, bool severalFiles) {
  memset(items, 0, kItemCount * sizeof(FarDialogItem));
  ExpandDialogItems(kTagItems, items, kItemCount);
  for (int f = 0; f < kTagTextFields; ++f) {
    CopyText(items[kFirstField + f].Data, sizeof items[0].Data, page.Edited[f]);
    CopyText(items[kFirstFixedField + f].Data, sizeof items[0].Data, fixed.Texts[f]);
  }
  CopyText(items[kGenreName].Data, sizeof items[0].Data, GenreName(page.Genre));
  CopyText(items[kFixedGenreName].Data, sizeof items[0].Data, GenreName(fixed.Genre));
  if (severalFiles) items[kFileLine].Type = DI_BUTTON;
  FormatTagFileLabel(items[kFileLine].Data, sizeof items[0].Data, GetMsg(MTagFile), severalFiles,
                     page.HasTag);
  FormatTagFileName(items[kFileName].Data, sizeof items[0].Data, path);
  for (int k = 0; k < kCheckBoxes; ++k) items[kFirstCheckBox + k].Selected = fixed.Checked[k];
  if (page.Focus >= 0 && page.Focus < kItemCount) items[page.Focus].Focus = 1;
}

void TakeEdits(const FarDialogItem* items, FilePage* page) {
  for (int f = 0; f < kTagTextFields; ++f)
    CopyText(page->Edited[f], kFieldSize, items[kFirstField + f].Data);
}

// The genre menu for *genre: entry 0 is "no genre", the others the genre
// table in name order. Esc leaves *genre as it was.
void ChooseGenre(unsigned* genre) {
  int count = GenreCount + 1;
  FarMenuItem* entries = static_cast<FarMenuItem*>(calloc(static_cast<size_t>(count), sizeof(FarMenuItem)));
  if (entries == nullptr || HostInfo.Menu == nullptr) {
    free(entries);
    return;
  }
  CopyText(entries[0].Text, kMenuTextSize, GetMsg(MNoGenre));
  for (int i = 1; i < count; ++i) {
    CopyText(entries[i].Text, kMenuTextSize, GenreTable[i - 1].Name);
    entries[i].Selected = GenreTable[i - 1].Number == *genre ? 1 : 0;
  }
  char bottom[16];
  FormatText(bottom, sizeof bottom, "%d", static_cast<int>(GenreCount));
  int chosen = HostInfo.Menu(HostInfo.ModuleNumber, -1, -1, 0,
                             FMENU_SHOWAMPERSAND | FMENU_WRAPMODE, GetMsg(MTagGenre), bottom,
                             kHelpTopic, nullptr, nullptr, entries, count);
  if (chosen == 0) {
    *genre = NO_GENRE;
  } else if (chosen > 0 && chosen < count) {
    *genre = GenreTable[chosen - 1].Number;
  }
  free(entries);
}

// The file menu; the index of the file to go on with (current on Esc).
int ChooseFile(const EditorFile* files, int count, int current) {
  FarMenuItem* entries = static_cast<FarMenuItem*>(calloc(static_cast<size_t>(count), sizeof(FarMenuItem)));
  if (entries == nullptr || HostInfo.Menu == nullptr) {
    free(entries);
    return current;
  }
  for (int k = 0; k < count; ++k) {
    CopyText(entries[k].Text, kMenuTextSize, NameAfterPath(files[k].Name));
    entries[k].Selected = k == current ? 1 : 0;
  }
  char bottom[16];
  FormatText(bottom, sizeof bottom, "%d", count);
  int chosen = HostInfo.Menu(HostInfo.ModuleNumber, -1, -1, 0,
                             FMENU_SHOWAMPERSAND | FMENU_WRAPMODE, GetMsg(MTagFile), bottom,
                             kHelpTopic, nullptr, nullptr, entries, count);
  free(entries);
  return chosen >= 0 && chosen < count ? chosen : current;
}

// Save: the file's own bytes with what the user changed or a checked fixed
// value replaces; nothing is written when nothing differs.
void SaveFile(EditorFile* file, const FilePage& page, const FixedValues& fixed) {
  unsigned char* own = ReadTagRecord(file->Name);
  TagSave save;
  save.Record = own;
  for (int f = 0; f < kTagTextFields; ++f) {
    save.Fields[f].Shown = page.Shown[f];
    save.Fields[f].Edited = page.Edited[f];
    save.Fields[f].Fixed = fixed.Texts[f];
    save.Fields[f].UseFixed = fixed.Checked[f] != 0;
  }
  save.ShownGenre = page.ShownGenre;
  save.FileGenre = page.Genre;
  save.FixedGenre = fixed.Genre;
  save.UseFixedGenre = fixed.Checked[kCheckBoxes - 1] != 0;
  unsigned char record[kTagRecordSize];
  bool write = BuildSavedRecord(save, ConsoleTextToAnsi, record);
  bool hadTag = own != nullptr;
  free(own);
  if (!write) {
    DebugLog << "\nDoID3Tag: Nothing to save..." << LogFlush;
    return;
  }
  DebugLog << (hadTag ? "\nDoID3Tag: Adding (+) Tag..." : "\nDoID3Tag: Adding (-) Tag...")
           << LogFlush;
  file->Touched = true;
  if (PutTagRecord(file->Name, record)) {
    file->Changed = true;
  } else {
    ReportFile(MTagNotChanged, file->Name);
  }
}

void DeleteFileTag(EditorFile* file) {
  DebugLog << "\nDoID3Tag: Deleting Tag..." << LogFlush;
  unsigned char* own = ReadTagRecord(file->Name);
  if (own == nullptr) {
    // Nothing to cut; the file still counts, so its cached title is read again.
    file->Changed = true;
    return;
  }
  free(own);
  file->Touched = true;
  if (CutTagRecord(file->Name)) {
    file->Changed = true;
  } else {
    ReportFile(MTagNotChanged, file->Name);
  }
}

// Cancel: every file the run wrote gets back its earlier tag, or loses the
// one the run added.
void RestoreFiles(const EditorFile* files, int count) {
  DebugLog << "\nDoID3Tag: Cancel..." << LogFlush;
  for (int i = 0; i < count; ++i) {
    const EditorFile& file = files[i];
    if (!file.Touched) continue;
    bool ok = true;
    if (file.Backup != nullptr) {
      ok = PutTagRecord(file.Name, file.Backup);
    } else {
      unsigned char* now = ReadTagRecord(file.Name);
      if (now != nullptr) ok = CutTagRecord(file.Name);
      free(now);
    }
    if (!ok) ReportFile(MTagNotRestored, file.Name);
  }
  DebugLog << "\nDoId3Tag: Closing ID3 Tag Editor" << LogFlush;
}

void ReleaseFiles(EditorFile* files, int count) {
  for (int i = 0; i < count; ++i) free(files[i].Backup);
  free(files);
}

// What the dialog's result means once the genre buttons are dealt with.
enum PageResult { kNextFile, kSaved, kDeleted, kSavedChooseFile, kCancelled };

// Shows the file's dialog until it is left other than by a genre button.
PageResult ShowPage(FarDialogItem* items, FilePage* page, FixedValues* fixed, const char* path,
                    bool severalFiles) {
  for (;;) {
    BuildItems(items, *page, *fixed, path, severalFiles);
    int result = HostInfo.Dialog(HostInfo.ModuleNumber, -1, -1, kDialogWidth, kDialogHeight,
                                 kHelpTopic, items, kItemCount);
    TakeEdits(items, page);
    if (result >= 0 && result != kCancelButton) StoreFixedValues(items, fixed);
    switch (result) {
      case kGenreButton:
      case kFixedGenreButton:
        ChooseGenre(result == kGenreButton ? &page->Genre : &fixed->Genre);
        WriteSettingDword(HKEY_CURRENT_USER, "", "FixedGenre", fixed->Genre);
        page->Focus = result;
        continue;  // the same file again, as the user left it
      case kCancelButton: return kCancelled;
      case kDeleteButton: return kDeleted;
      case kSaveButton: return kSaved;
      case kFileLine: return severalFiles ? kSavedChooseFile : kNextFile;
      default: return kNextFile;
    }
  }
}

}  // namespace

const char** DoID3Tag(const char* const* names, int count) {
  DebugLog << "\nDoID3Tag: ID3 Tag editor started\nDoID3Tag: Saving ID3 Tag information..."
           << LogFlush;
  if (names == nullptr || count <= 0 || HostInfo.Dialog == nullptr) return nullptr;
  EditorFile* files = static_cast<EditorFile*>(calloc(static_cast<size_t>(count), sizeof(EditorFile)));
  if (files == nullptr) return nullptr;
  int taggable = 0;
  for (int i = 0; i < count; ++i) {
    if (names[i] == nullptr) continue;
    if (IsTaggableFile(names[i])) {
      files[taggable++].Name = names[i];
    } else if (GetFileAttributesA(names[i]) == INVALID_FILE_ATTRIBUTES) {
      // Gone since the panel listed it: the user chose it, so say that its
      // tag was not changed rather than skip it as a file without one.
      ReportFile(MTagNotChanged, names[i]);
    }
  }
  if (taggable == 0) {
    free(files);
    return nullptr;
  }
  for (int i = 0; i < taggable; ++i) files[i].Backup = ReadTagRecord(files[i].Name);
  FixedValues fixed;
  ReadFixedValues(&fixed);
  FarDialogItem* items = static_cast<FarDialogItem*>(calloc(kItemCount, sizeof(FarDialogItem)));
  if (items == nullptr) {
    ReleaseFiles(files, taggable);
    return nullptr;
  }

  bool severalFiles = taggable > 1;
  int focus = kFirstField;
  int current = 0;
  bool cancelled = false;
  while (current < taggable && !cancelled) {
    EditorFile* file = &files[current];
    FilePage page;
    LoadPage(file->Name, focus, &page);
    DebugLog << "\nDoID3Tag: Work file=" << file->Name << (page.HasTag ? "+" : "-") << LogFlush;
    int next = current + 1;
    switch (ShowPage(items, &page, &fixed, file->Name, severalFiles)) {
      case kCancelled:
        RestoreFiles(files, taggable);
        cancelled = true;
        break;
      case kDeleted:
        DeleteFileTag(file);
        focus = kDeleteButton;
        break;
      case kSaved:
        SaveFile(file, page, fixed);
        focus = kFirstField;
        break;
      case kSavedChooseFile:
        SaveFile(file, page, fixed);
        next = ChooseFile(files, taggable, current);
        break;
      case kNextFile:
        break;
    }
    current = next;
  }
  free(items);
  if (cancelled) {
    ReleaseFiles(files, taggable);
    return nullptr;
  }

  int changed = 0;
  for (int i = 0; i < taggable; ++i) {
    if (!files[i].Changed) continue;
    ++changed;
    if (TitlesCacheObject != nullptr) TitlesCacheObject->DropTitle(files[i].Name);
  }
  if (TitlesCacheObject != nullptr) TitlesCacheObject->SortTitles();
  const char** result = nullptr;
  if (changed > 0) {
    result = static_cast<const char**>(calloc(static_cast<size_t>(changed) + 1, sizeof(const char*)));
    if (result != nullptr) {
      int n = 0;
      for (int i = 0; i < taggable; ++i)
        if (files[i].Changed) result[n++] = files[i].Name;
    }
  }
  ReleaseFiles(files, taggable);
  DebugLog << "\nDoId3Tag: Closing ID3 Tag Editor" << LogFlush;
  return result;
}
