// Handing the store's songs to the player. One IPC_PLAYFILE makes the player
// append one file, so sending a playlist song by song costs one cross-process
// round trip per song (and, for a real player, one file read per song). The
// songs go instead into one temporary M3U playlist, with the titles and
// lengths the titles cache knows, which the player loads with one message;
// what it holds afterwards is checked, and the songs are sent one by one
// when the file cannot be written or the player's list did not come out as
// the store says.
#include "commands/CommandSteps.h"

#include "commands/PlaylistExport.h"
#include "link/PlayerMessages.h"
#include "link/SongLength.h"
#include "panel/TitlesCache.h"
#include "plugin/DebugLog.h"
#include "plugin/ScopedHandles.h"
#include "plugin/TextBuffer.h"

#include <stdlib.h>
#include <string.h>

namespace {

constexpr size_t kWriteBufferSize = 64 * 1024;
// Titles longer than this go without: the player then reads the song.
constexpr size_t kLongestTitle = 1024;
constexpr int kNameAttempts = 16;

// A playlist file in the user's temporary folder under a name of its own
// ("MELVOX-<process>-<number>.m3u": the player tells a playlist by its
// extension), deleted by Remove or the destructor, whatever happened.
class TemporaryPlaylist {
 public:
  TemporaryPlaylist() = default;
  ~TemporaryPlaylist() { Remove(); }
  TemporaryPlaylist(const TemporaryPlaylist&) = delete;
  TemporaryPlaylist& operator=(const TemporaryPlaylist&) = delete;

  // Writes the player's names of entries from..ItemsNumber-1 with their
  // titles; false, and no file left, when a name is one an M3U line cannot
  // carry, the file cannot be made, or a write fails.
  bool Write(const MELVOXPanel& panel, int from) {
    if (!Create()) {
      Remove();
      return false;
    }
    // Titles of entries that have none are looked up: not one by one in an
    // unsorted cache.
    if (TitlesCacheObject != nullptr) TitlesCacheObject->SortTitles();
    unsigned char* buffer = static_cast<unsigned char*>(malloc(kWriteBufferSize));
    bool written = buffer != nullptr && WriteSongs(panel, from, buffer);
    free(buffer);
    file_.Close();
    if (!written) Remove();
    return written;
  }

  // The file's path in the player's code page.
  const char* AnsiPath() const { return ansiPath_; }

  void Remove() {
    file_.Close();
    if (made_) DeleteFileW(path_);
    made_ = false;
  }

 private:
  bool Create() {
    DWORD folderLength = GetTempPathW(MAX_PATH, path_);
    if (folderLength == 0 || folderLength >= MAX_PATH) return false;
    static unsigned serial = 0;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
      char name[48];
      size_t nameLength = FormatText(name, sizeof name, "MELVOX-%lx-%x.m3u",
                                     static_cast<unsigned long>(GetCurrentProcessId()), ++serial);
      if (folderLength + nameLength >= MAX_PATH) return false;
      for (size_t i = 0; i <= nameLength; ++i) path_[folderLength + i] = static_cast<wchar_t>(name[i]);
      file_.Reset(CreateFileW(path_, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY, nullptr));
      if (file_.IsOpen()) break;
      DWORD error = GetLastError();
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
    }
    if (!file_.IsOpen()) return false;
    made_ = true;
    // The player opens it by its ANSI name: a folder that name cannot hold
    // exactly is no use.
    BOOL lost = FALSE;
    return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path_, -1, ansiPath_,
                               sizeof ansiPath_, nullptr, &lost) > 0 &&
           !lost;
  }

  bool Flush(const unsigned char* bytes, size_t size) {
    DWORD put = 0;
    return size == 0 ||
           (WriteFile(file_.Get(), bytes, static_cast<DWORD>(size), &put, nullptr) && put == size);
  }

  bool WriteSongs(const MELVOXPanel& panel, int from, unsigned char* buffer) {
    size_t used = CopyText(reinterpret_cast<char*>(buffer), kWriteBufferSize, kExtM3UHeader);
    char name[MAX_PATH];
    char title[kLongestTitle + 1];
    for (int i = from; i < panel.ItemsNumber; ++i) {
      const PluginPanelItem& entry = panel.Items[i];
      ExportEntry song = {};
      song.Name = panel.CheckedPlayerName(entry);
      if (song.Name == nullptr) {
        panel.PlayerName(entry, name, sizeof name);
        song.Name = name;
      }
      song.NameLength = strlen(song.Name);
      if (!M3ULineCarriesPath(song.Name, song.NameLength)) return false;
      SongTitle(entry, title, &song);
      size_t size = WriteM3UEntryText(song, buffer + used, kWriteBufferSize - used);
      if (size == 0) {
        if (!Flush(buffer, used)) return false;
        used = 0;
        size = WriteM3UEntryText(song, buffer, kWriteBufferSize);
        if (size == 0) return false;
      }
      used += size;
    }
    return Flush(buffer, used);
  }

  // The entry's title and length as the titles cache holds them (the
  // entry's own texts are the cache's), the title in ANSI; none when the
  // cache does not know the song.
  static void SongTitle(const PluginPanelItem& entry, char* title, ExportEntry* song) {
    const char* text = entry.Description;
    const char* length = entry.Owner;
    if ((text == nullptr || text[0] == '\0') && TitlesCacheObject != nullptr) {
      TitleEntry* cached = TitlesCacheObject->FindTitle(entry.FindData.cFileName);
      if (cached != nullptr) {
        text = cached->Title;
        length = cached->Length;
      }
    }
    size_t titleLength = text != nullptr ? BoundedLength(text, kLongestTitle + 1) : 0;
    if (titleLength == 0 || titleLength > kLongestTitle) return;
    // A "?" may stand for a letter the console's code page lacks: the
    // player would show that title instead of the song's own. It reads the
    // song itself then.
    if (memchr(text, '?', titleLength) != nullptr) return;
    OemToCharBuffA(text, title, static_cast<DWORD>(titleLength));
    song->Title = title;
    song->TitleLength = titleLength;
    song->Seconds = LengthTextToSeconds(length);
  }

  ScopedFile file_;
  wchar_t path_[MAX_PATH] = {};
  char ansiPath_[MAX_PATH] = {};
  bool made_ = false;
};

}  // namespace

bool MELVOXPanel::HandSongsToPlayer(int from, bool rewrite) {
  TemporaryPlaylist playlist;
  bool written = PlayerWindow != nullptr && from < ItemsNumber && Items != nullptr &&
                 playlist.Write(*this, from);
  int held = 0;
  if (rewrite)
    SendPlayerIpc(PlayerWindow, IPC_DELETE);
  else if (written)
    held = SendPlayerIpc(PlayerWindow, IPC_GETLISTLENGTH);
  if (written) {
    SendPlayerPlayFile(PlayerWindow, playlist.AnsiPath());
    playlist.Remove();
    if (!PlayerAnswers(PlayerWindow)) return false;
    int length = 0;
    PlayerCheck check = MatchPlayerList(held, from, &length);
    if (check == PlayerHoldsStore) return true;
    if (check == PlayerUnknown) {
      // Its count is right, its file unreadable: taken as the count says.
      Song = SendPlayerIpc(PlayerWindow, IPC_WRITEPLAYLIST) + 1;
      return true;
    }
    DebugLog << "\nMELVOXPanel::HandSongsToPlayer: WinAMP did not take the playlist file as it "
                "is, sending song by song"
             << LogFlush;
    // Whatever it appended goes again: a rewrite starts anew, an append
    // puts back the songs the player held before, then the store's follow.
    if (length != held) {
      if (rewrite)
        SendPlayerIpc(PlayerWindow, IPC_DELETE);
      else if (!ResendPlayerHead(held))
        return false;
    }
  }
  char path[MAX_PATH];
  for (int i = from; i < ItemsNumber && Items != nullptr; ++i) {
    PlayerName(Items[i], path, sizeof path);
    SendPlayerPlayFile(PlayerWindow, path);
  }
  // A player that ended on the way holds none or part of the songs: its
  // own count says whether it took every one of a rewrite.
  if (!PlayerAnswers(PlayerWindow) ||
      (rewrite && SendPlayerIpc(PlayerWindow, IPC_GETLISTLENGTH) != ItemsNumber))
    return false;
  Song = SendPlayerIpc(PlayerWindow, IPC_WRITEPLAYLIST) + 1;
  return true;
}
