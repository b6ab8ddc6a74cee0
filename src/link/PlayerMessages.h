// Every message the plug-in sends to the player, in one place. The player is
// reached only through its main window: WM_USER with an IPC code in lParam and
// its argument in wParam, WM_COMMAND with a button id, WM_COPYDATA for files.
// A window that has vanished answers 0 to everything, and callers read that 0
// like any other answer.
#pragma once

#include <windows.h>

#include <stdint.h>

// Class name of the player's main window.
#define PLAYER_WINDOW_CLASS "Winamp v1.x"

enum PlayerIpc {
  IPC_GETVERSION = 0,        // non-zero = online; the player's version
  IPC_PLAYFILE = 100,        // COPYDATASTRUCT.dwData: append a file or playlist file
  IPC_DELETE = 101,          // empty the playlist
  IPC_STARTPLAY = 102,       // start playback
  IPC_ISPLAYING = 104,       // 1 playing, 3 paused, 0 stopped
  IPC_GETOUTPUTTIME = 105,   // arg 0: position in ms (<= 0: nothing plays); 1: length in s
  IPC_JUMPTOTIME = 106,      // arg: time in ms
  IPC_WRITEPLAYLIST = 120,   // writes WINAMP.M3U; answers the current 0-based position
  IPC_SETPLAYLISTPOS = 121,  // arg: 0-based position; does not start playback
  IPC_GETLISTLENGTH = 124,   // number of songs
  IPC_GETLISTPOS = 125,      // current 0-based position
  IPC_GETINFO = 126,         // arg 0: sample rate kHz; 1: bit rate kbps; 2: channels
};

enum PlayerCommand {
  WINAMP_BUTTON1 = 40044,       // previous song
  WINAMP_BUTTON2 = 40045,       // play (restarts a playing song)
  WINAMP_BUTTON3 = 40046,       // pause / resume
  WINAMP_BUTTON4 = 40047,       // stop
  WINAMP_BUTTON5 = 40048,       // next song
  WINAMP_BUTTON1_CTRL = 40154,  // first song
  WINAMP_BUTTON2_CTRL = 40155,  // Ctrl+play: the player's box for opening a location
  WINAMP_FFWD5S = 40060,        // 5 seconds forward
  WINAMP_REW5S = 40061,         // 5 seconds back
  WINAMP_FILE_PLAY = 40029,     // the player's own box for loading files
};

// Sends IPC code with its argument; returns the player's answer (0 when the
// window is gone). The player is a 32-bit program whose answers are 32-bit
// numbers (-1 for "none" among them); a 64-bit plug-in gets them in a wider
// LRESULT, so only its low 32 bits are the answer, whichever way they were
// extended.
inline int SendPlayerIpc(HWND player, PlayerIpc code, WPARAM arg = 0) {
  return static_cast<int>(static_cast<uint32_t>(SendMessageA(player, WM_USER, arg, static_cast<LPARAM>(code))));
}

inline LRESULT SendPlayerCommand(HWND player, PlayerCommand command) {
  return SendMessageA(player, WM_COMMAND, static_cast<WPARAM>(command), 0);
}

// Posts a command without waiting for the player: for commands that open a
// box of the player's own, which a sent message would wait for until the
// user closed it.
inline void PostPlayerCommand(HWND player, PlayerCommand command) {
  PostMessageA(player, WM_COMMAND, static_cast<WPARAM>(command), 0);
}

// True when the player's window still answers: one that does after a run of
// messages has handled them all (a window's messages are handled in order).
// WM_NULL does nothing in the player.
inline bool PlayerAnswers(HWND player) {
  DWORD_PTR result = 0;
  return player != nullptr && IsWindow(player) &&
         SendMessageTimeoutA(player, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

// IPC_PLAYFILE: the player appends the file (or loads the playlist file) whose
// ANSI path is given; the ending NUL is part of the data.
inline void SendPlayerPlayFile(HWND player, const char* ansiPath) {
  COPYDATASTRUCT data;
  data.dwData = IPC_PLAYFILE;
  data.cbData = static_cast<DWORD>(lstrlenA(ansiPath) + 1);
  data.lpData = const_cast<char*>(ansiPath);
  SendMessageA(player, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}
