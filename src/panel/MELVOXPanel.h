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
  // Fills PlayerPath and PlaylistPath from the registry; 1 when both were found.
  int GetWinAMPPath();
  // Makes sure a player window exists, starting the player when allowed.
  int LoadWinAMP();

  // --- control dialog ---
  // The player's transport buttons and the current song in a host dialog,
  // shown again with fresh status after every command until Esc, or until
  // the player cannot be reached.
  void MELVOXcontrol();

  // --- item store ---
  // Replaces the player's playlist with the panel's entries; 1 on success.
  int MakeWinAMPPlayList();
  // Rebuilds the store from the player's playlist file (or the opened one).
  int MakeMELVOXPanelItems(bool fromOpenedFile);
  // The host's listing: brings the entries up to date and hands out the store.
  int GetFindData(PluginPanelItem** pPanelItem, int* pItemsNumber, int OpMode);
  void UpdateItems();
  void RemoveEmptyItems();

  // --- store helpers ---
  // A new zeroed entry at the end of the store (ItemsNumber grows by one), or
  // null when the store cannot grow (nothing changes then).
  PluginPanelItem* AddItem();
  // Releases the column array and texts C0-C4 an entry owns (only when its
  // CustomColumnNumber is 6; C5 is a language text) and clears both fields.
  static void ReleaseColumns(PluginPanelItem* item);

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

 private:
  enum StoreResult { StoreOk, StoreNoMemory, StoreNoLock };
  // Makes room for count entries plus the spare zeroed record, growing
  // geometrically (or to exactly that when exact); Items is locked afterwards
  // (also on failure, when the block existed).
  StoreResult ReserveItems(int count, bool exact = false);
  // Releases every entry's columns and zeroes the records; ItemsNumber 0,
  // PlayerNames empty.
  void ClearItems();
  // The entry's pool name when it converts to the entry's own cFileName, else
  // null. Lent from PlayerNames.
  const char* CheckedPlayerName(const PluginPanelItem& item) const;
  // Titles for the built entries: from the cache only, or fetched by stepping
  // the stopped player through the uncached songs (startTime from PanelClock).
  void TitlesFromCache();
  void FetchTitles(DWORD startTime);
};

// Hundredths of a second since a fixed moment; the progress of a long title
// fetch is timed with it. Tests put their own clock here.
extern DWORD (*PanelClock)();
