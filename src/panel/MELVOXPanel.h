// One open panel of the plug-in: its link to the player, its item store (the
// host reads the store in place after GetFindData) and the flags through which
// the key, event and listing handlers pass work to the next host call.
#pragma once

#include "host/FarApi.h"
#include "panel/NamePool.h"

#include <windows.h>

// OpenFrom value with which OpenFilePlugin creates a panel on a playlist file.
constexpr int OPEN_PLAYLISTFILE = 666;

// Bit 0 of an entry's Flags: the entry is dropped by the next RemoveEmptyItems.
constexpr DWORD EmptyMark = 0x1;

// RedrawCountdown: where putting the cursor on the current song stands. A
// rebuild of the entries arms it; the listing that hands the rebuilt store to
// the host moves it on; the first redraw after that listing places the cursor
// (once the host holds entries). Counting redraws instead would place it
// under the user's hands: hosts send a varying number of them (the 1.x host
// two after every opening, more while dialogs are open).
constexpr int kCursorPlaced = 0;         // nothing pending
constexpr int kCursorAwaitsRedraw = 1;   // the host has the rebuilt store
constexpr int kCursorAwaitsListing = 2;  // rebuilt; the host has not listed it yet

// Tells the user that the player did not take a playlist (it was gone, or
// ended while it was sent): the panel shows the change, the player may hold
// other songs.
void ReportPlaylistNotSent();

class MELVOXPanel {
 public:
  // OpenFrom: the host's origin (0..6) or OPEN_PLAYLISTFILE with Item the
  // playlist file's name (OEM). Opened from the editor, the viewer or the first
  // plug-ins-menu entry the instance runs the control dialog and is no panel
  // (ItemsMemory 0).
  MELVOXPanel(int OpenFrom, INT_PTR Item);
  ~MELVOXPanel();
  MELVOXPanel(const MELVOXPanel&) = delete;
  MELVOXPanel& operator=(const MELVOXPanel&) = delete;

  // --- player link ---
  // Looks the player's window up and asks its version; true when a window exists.
  bool FindPlayer();
  // Waits (one-second polls, then the wait dialog) until the player is online.
  bool WaitForPlayer();
  // The current song's length as text into buffer (at least 15 bytes).
  char* FormatSongLength(char* buffer);
  // The current song's length text in a new block for the titles cache; null
  // when memory is short.
  char* AllocSongLength();
  // The title at caption[start, start + length), converted to OEM, and the
  // current song's length text, in new blocks for the titles cache; false,
  // with nothing left allocated, when memory is short.
  bool AllocCaptionTitle(const char* caption, size_t start, size_t length, char** title,
                         char** songLength);
  // The title the player's caption gives song (1-based) by the rule of
  // FindSongCaptionTitle, converted to OEM, and the current song's length
  // text, in new blocks for the titles cache; false, with nothing
  // allocated, when the caption gives none or memory is short.
  bool AllocSongTitleFromCaption(int song, char** title, char** songLength);
  // Hands title and songLength to the titles cache (which owns them from here
  // on, in every case) and points item's title and length columns at the
  // texts it keeps; false when it keeps none.
  static bool KeepTitle(PluginPanelItem* item, char* title, char* songLength);
  // Fills PlayerPath and PlaylistPath from the registry; 1 when both were found.
  int GetWinAMPPath();
  // Makes sure a player window exists, starting the player when allowed.
  int LoadWinAMP();

  // --- control dialog ---
  // The player's transport buttons and the current song in a host dialog,
  // shown again with fresh status after every command until Esc, or until
  // the player cannot be reached. Run by the constructor of an instance opened
  // from the editor, the viewer or the first plug-ins-menu entry; such an
  // instance is no panel (ItemsMemory 0) and is destroyed right after.
  void MELVOXcontrol();

  // --- item store ---
  // Replaces the player's playlist with the panel's entries; 1 on success.
  int MakeWinAMPPlayList();
  // Sends the player the entries from `from` on, in store order: after
  // IPC_DELETE for a rewrite, else appended to what it holds. They go in one
  // temporary playlist file loaded with one IPC_PLAYFILE, checked with
  // MatchPlayerList; one by one (IPC_PLAYFILE each, as the songs were always
  // sent) when the file cannot be written or the player's list did not come
  // out as the store says, after taking back what it appended. Song follows
  // the player's answer. False when the player ended before it had taken
  // them all (for a rewrite: its count is not the store's).
  bool HandSongsToPlayer(int from, bool rewrite);
  // Rebuilds the store from the player's playlist file (or the opened one).
  int MakeMELVOXPanelItems(bool fromOpenedFile);
  // The host's listing: brings the entries up to date and hands out the store.
  int GetFindData(PluginPanelItem** pPanelItem, int* pItemsNumber, int OpMode);
  void UpdateItems();
  void RemoveEmptyItems();

  // --- what the host asks of an open panel (the forwarding exports) ---
  // The panel's description for the host, filled on every call (Info may be
  // null): flags, title, key bar, view modes, information lines. Only while
  // InfoRefresh is set are the information lines recomputed from the player;
  // otherwise the call sends the player nothing. When the current song
  // changed and its entry had no title, the entry takes one (from the titles
  // cache or, while playing, the player's caption) and the panel is listed
  // again and redrawn so the title shows: at once when the host called
  // directly, else (before the first listing, or nested in another call of
  // this plug-in) at the next event that may.
  void GetOpenPluginInfo(OpenPluginInfo* Info);
  // The host's panel events; always 0, so the host goes on with its own
  // handling. FE_REDRAW places the cursor on the current song after a
  // rebuild; FE_IDLE, and FE_REDRAW or FE_GOTFOCUS from a host that sends no
  // idle events, keep the information lines current. Param is not used.
  int ProcessEvent(int Event, void* Param);
  // A key on the panel: Key is the virtual-key code, ControlState the PKF_*
  // state. 1 = handled, the host does nothing more; 0 = the host runs its
  // own command. The host's advance notice (PKF_PREPROCESS in Key) and its
  // "no key" code 0x1001 return 0 and change nothing, so each key acts once.
  // Keys that change the entries mark the next listing's work in the flags
  // below and ask the host to update the panel with this panel's handle.
  int ProcessKey(int Key, unsigned int ControlState);
  // Files copied (Move 0) or moved (Move 1) onto the panel: the host's records
  // with bare names, relative to the current folder; folders stand for all
  // the files below them (GetDirList, in the host's order), playlist files
  // and ".." are left out, and a name that would be longer than 259
  // characters is refused (the user is told how many). The songs are
  // appended to the player's playlist and become entries (with player's
  // names, SetPlayerNameFromOem). 1 when any was added, 0 when none was
  // (nothing changed; also when a folder cannot be listed: the whole call is
  // undone). The host lists the panel afterwards.
  int PutFiles(PluginPanelItem* PanelItem, int ItemsNumber, int Move, int OpMode);
  // The results of the host's Find File (full paths, in result order) for a
  // panel opened with OPEN_FINDLIST, before its first listing: their songs
  // replace the player's playlist and the entries (folders and playlist
  // files left out). 1 = the panel shows them; 0 = refused, and the host
  // closes the instance again.
  int SetFindList(const PluginPanelItem* PanelItem, int ItemsNumber);
  // --- store helpers ---
  // A new zeroed entry at the end of the store (ItemsNumber grows by one), or
  // null when the store cannot grow (nothing changes then).
  PluginPanelItem* AddItem();
  // Releases the column array and texts C0-C4 an entry owns (only when its
  // CustomColumnNumber is 6; C5 is a language text) and clears both fields.
  static void ReleaseColumns(PluginPanelItem* item);
  // Gives an entry without columns the six tag columns of its song when the
  // song file carries an ID3v1 tag; otherwise (or when memory is short) it
  // stays without.
  static void ReadTagColumns(PluginPanelItem* item);

  // --- the player's names of the entries ---
  // An entry's FindData.cFileName is OEM, and that conversion loses every
  // character the console's code page lacks ("\x80", the euro sign of 1252,
  // becomes "?" under 437; "\x8a", S with caron, becomes "S"): it is not a
  // name the player knows, and often not one the file system knows. So each
  // entry keeps the exact ANSI path the player knows it by in PlayerNames,
  // reached through the entry's UserData: a pool handle (0 = none), which the
  // host copies into the items it reports and which moves with the record
  // when the store is compacted or reordered. PPIF_USERDATA stays clear, so
  // hosts take UserData as a plain number.
  // Entries built from the player's playlist get the playlist line's bytes.
  // Entries made later from OEM names (files put onto the panel, the find
  // list) must get theirs from SetPlayerNameFromOem when they are made: a
  // copied host record brings along the UserData of the panel it came from.
  //
  // Gives item a copy of the length bytes of ansiPath as its player's name;
  // false when memory is short (the item then has none).
  bool SetPlayerName(PluginPanelItem* item, const char* ansiPath, size_t length);
  // SetPlayerName with the item's own cFileName converted to ANSI.
  bool SetPlayerNameFromOem(PluginPanelItem* item);
  // The ANSI path the player knows item by, into buffer (size bytes): its
  // pool name when it has one that still converts to its cFileName, else its
  // cFileName converted to ANSI. Send this, never a conversion of the OEM name.
  void PlayerName(const PluginPanelItem& item, char* buffer, size_t size) const;
  // The entry's pool name when it converts to the entry's own cFileName, else
  // null. Lent from PlayerNames.
  const char* CheckedPlayerName(const PluginPanelItem& item) const;

  HWND PlayerWindow = nullptr;
  int ItemsNumber = 0;
  int RedrawCountdown = 0;
  int Song = 0;
  int ItemsVerified = 0;
  int RemovePending = 0;
  int ReloadFromPlayer = 0;
  int InfoRefresh = 0;
  DWORD PlayerVersion = 0;
  char StartDir[MAX_PATH] = {};
  char PlayerPath[MAX_PATH] = {};      // ANSI
  char PlaylistPath[MAX_PATH] = {};    // ANSI; the player's folder + "\WINAMP.M3U"
  char OpenedPlaylist[MAX_PATH] = {};  // ANSI
  PluginPanelItem* Items = nullptr;    // the locked store; null when emptied
  HGLOBAL ItemsMemory = nullptr;       // movable block holding the store
  // Records the block holds. It grows geometrically and always keeps at least
  // one zeroed record beyond ItemsNumber.
  int ItemsCapacity = 0;
  // The entries' player's names (ANSI), by UserData; emptied with the store.
  NamePool PlayerNames;
  // 1 once a GetFindData handed the store to the host; ListedItems entries
  // went with the last one.
  int Listed = 0;
  int ListedItems = 0;
  // 1 = a title update (list again, redraw) waits for a moment that may send it.
  int UpdatePending = 0;
  // 1 while that update is being sent: the descriptions the host asks for
  // inside it recompute nothing.
  int SendingTitleUpdate = 0;
  // PanelClock() of the last recompute of the information lines.
  DWORD LastInfoRefresh = 0;

 private:
  enum StoreResult { StoreOk, StoreNoMemory, StoreNoLock };
  // Makes room for count entries plus the spare zeroed record, growing
  // geometrically (or to exactly that when exact); Items is locked afterwards
  // (also on failure, when the block existed).
  StoreResult ReserveItems(int count, bool exact = false);
  // Releases every entry's columns and zeroes the records; ItemsNumber 0,
  // PlayerNames empty.
  void ClearItems();
  // Titles for the built entries: from the cache only, or fetched by stepping
  // the stopped player through the uncached songs (startTime from PanelClock).
  void TitlesFromCache();
  void FetchTitles(DWORD startTime);
  // The listing's check of the song files (FindSongFiles, folders read
  // where that pays): an entry whose file is found takes the file's data and
  // loses its EmptyMark, one whose file is gone gets it. True when any file
  // was gone.
  bool CheckSongFiles();
  // GetOpenPluginInfo's recompute of the information lines from the player.
  void RefreshInfoLines();
  // Gives the entry of the current song a title when it has none: from the
  // titles cache, or from the caption while the player plays (status).
  // True when the entry got one.
  bool TitleCurrentSong(LRESULT status);
  // Lists the panel again and redraws it (this panel's own handle), now when
  // that is safe, else marks it pending; SendPendingUpdate sends a pending one
  // when it may.
  void RequestPanelUpdate();
  void SendPendingUpdate();
  // The cursor on the current song, when a rebuild asks for it (FE_REDRAW).
  void PlaceCursorOnSong();

  // --- the panel commands (src/commands) ---
  // The store entry (0-based) a host item stands for: its NumberOfLinks in
  // 1..ItemsNumber and the entry's name equal to the item's; -1 for any
  // other item (".." has 0; a copy from an older listing names another).
  int StoreIndexOf(const PluginPanelItem& hostItem) const;
  // How many of the host's selected items stand for store entries.
  int CountSelectedEntries(const PanelInfo& info) const;
  // Marks the store entries of the host's selected items for the next
  // RemoveEmptyItems and asks for fresh information lines.
  void MarkSelectedEntries(const PanelInfo& info);
  // Whether the player holds exactly the store's entries, in store order:
  // its list length, then every path of the playlist file it writes on
  // IPC_WRITEPLAYLIST against the entries' player's names (Song follows the
  // player's answer). PlayerUnknown when no player answers, or its file
  // cannot be read after the lengths agreed.
  enum PlayerCheck { PlayerHoldsStore, PlayerHoldsOther, PlayerUnknown };
  PlayerCheck CompareWithPlayer();
  // CompareWithPlayer's check of a player reached already, for the entries
  // from `from` on after the `held` songs the player listed before them:
  // *length gets the player's count; Song follows its answer when it holds
  // the entries. PlayerUnknown when its file cannot be read after the
  // counts agreed.
  PlayerCheck MatchPlayerList(int held, int from, int* length);
  // After a playlist file the player did not take as it is: its list
  // emptied and its first held songs (from its own playlist file) sent to it
  // again one by one. False when its file cannot be read.
  bool ResendPlayerHead(int held);
  // Before a command rewrites the player's playlist from the store or acts
  // on a position: true when it may go on. False when the player holds
  // another playlist (songs added, removed or moved in the player since the
  // last listing): the store is rebuilt from the player, the panel listed
  // again and redrawn, and the user told that nothing was done.
  bool StoreStillCurrent(const char* scope);
  // A player window to talk to: LoadWinAMP, then the window looked up when
  // none is known. False when there is none.
  bool ReachPlayer();
  // The keys (ProcessKey.cpp, Removal.cpp, SavePlaylist.cpp); each returns
  // ProcessKey's result.
  int PlayUnderCursor(int Key);
  int StopOrPause(int Key);
  int EditTags();
  int RemoveSelected(int Key);
  int MarkForHost(int Key, bool wipe);
  int ReorderFromPanel();
  int SavePlaylist();
};

// Hundredths of a second since a fixed moment; the progress of a long title
// fetch is timed with it. Tests put their own clock here.
extern DWORD (*PanelClock)();
