// Finding, waiting for and starting the player. The MELVOXPanel members of
// the same names forward here with their PlayerWindow and PlayerVersion
// fields; the work is done by free functions so that it can be driven without
// a whole panel.
//
// The player is online when its window was found and answered IPC_GETVERSION
// with a non-zero version.
#pragma once

#include <windows.h>

// The one-second sleep of the wait loops; the real Sleep unless a test
// replaces it.
extern void(WINAPI* PlayerSleep)(DWORD ms);

// Looks the player's window up by class into *window. When there is one, asks
// its version into *version and returns true (even when it answers 0); when
// there is none, *version = 0 and false.
bool FindPlayerWindow(HWND* window, DWORD* version);

// Polls once a second until the player is online: one extra second with
// Opt.NoWinAMPStartup, else Opt.WaitTime seconds per cycle, with WaitDialog
// asked after each cycle that ended without a player. True when online;
// false when the wait was given up.
bool WaitForPlayerWindow(HWND* window, DWORD* version);

// Asks whether to go on waiting, and for how long (Opt.WaitTime, stored).
// False at once with Opt.NoWinAMPStartup; true at once with a wait time of 99.
bool WaitDialog();

// Room for every length text FormatLengthText writes ("--:--" or minutes:seconds).
constexpr size_t kSongLengthTextSize = 15;

// The current song's length as FormatLengthText writes it; buffer holds at
// least kSongLengthTextSize bytes. Returns buffer.
char* FormatPlayerSongLength(HWND window, char* buffer);

// The player's program and playlist file from the registry (both MAX_PATH
// bytes, ANSI): 1 when both were found. On failure playlistPath is empty and
// so is playerPath, except when only the program file was missing.
int ReadPlayerPaths(char* playerPath, char* playlistPath);

// Makes sure a player window exists: 0 when playerPath is empty; 1 at once
// with Opt.NoWinAMPStartup or when the window is there; otherwise starts the
// program minimised behind a notice and waits for it: 1 when it came online,
// 0 when it could not be started or the wait was given up.
int StartPlayer(const char* playerPath, HWND* window, DWORD* version);
