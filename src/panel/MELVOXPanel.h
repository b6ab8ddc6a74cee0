// One open panel of the plug-in: its link to the player, its item store (the
// host reads the store in place after GetFindData) and the flags through which
// the key, event and listing handlers pass work to the next host call.
#pragma once

#include "host/FarApi.h"

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

 private:
  enum StoreResult { StoreOk, StoreNoMemory, StoreNoLock };
  // Makes room for count entries plus the spare zeroed record, growing
  // geometrically (or to exactly that when exact); Items is locked afterwards
  // (also on failure, when the block existed).
  StoreResult ReserveItems(int count, bool exact = false);
  // Releases every entry's columns and zeroes the records; ItemsNumber 0.
  void ClearItems();
  // Titles for the built entries: from the cache only, or fetched by stepping
  // the stopped player through the uncached songs (startTime from PanelClock).
  void TitlesFromCache();
  void FetchTitles(DWORD startTime);
};

// Hundredths of a second since a fixed moment; the progress of a long title
// fetch is timed with it. Tests put their own clock here.
extern DWORD (*PanelClock)();
