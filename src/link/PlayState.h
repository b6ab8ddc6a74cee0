// The player's answers to IPC_ISPLAYING, as plain numbers so that text logic
// can take them without windows.h.
#pragma once

enum PlayState : long {
  PLAYER_STOPPED = 0,
  PLAYER_PLAYING = 1,
  PLAYER_PAUSED = 3,
};
