// Until the Winamp link module is part of this build, the panel tests link
// against these minimal versions of its operations: the player is found by
// window class, the registry names its program, and there is no waiting.
// They vanish as soon as the link module's headers exist.
#if !__has_include("link/PlayerVersion.h")

#include "link/PlayerMessages.h"
#include "panel/MELVOXPanel.h"
#include "plugin/TextBuffer.h"

#include <stdio.h>
#include <string.h>

bool MELVOXPanel::FindPlayer() {
  PlayerWindow = FindWindowA(PLAYER_WINDOW_CLASS, nullptr);
  PlayerVersion = PlayerWindow ? static_cast<DWORD>(SendPlayerIpc(PlayerWindow, IPC_GETVERSION))
                               : 0;
  return PlayerWindow != nullptr;
}

bool MELVOXPanel::WaitForPlayer() { return FindPlayer() && PlayerVersion != 0; }

int MELVOXPanel::LoadWinAMP() { return WaitForPlayer() ? 1 : 0; }

char* MELVOXPanel::FormatSongLength(char* buffer) {
  int s = static_cast<int>(SendPlayerIpc(PlayerWindow, IPC_GETOUTPUTTIME, 1));
  snprintf(buffer, 15, "%d:%02d", s / 60, s % 60);
  return buffer;
}

int MELVOXPanel::GetWinAMPPath() {
  PlayerPath[0] = PlaylistPath[0] = '\0';
  char value[MAX_PATH] = {};
  LONG size = sizeof value;
  if (RegQueryValueA(HKEY_CLASSES_ROOT, "Winamp.File\\DefaultIcon", value, &size) !=
      ERROR_SUCCESS)
    return 0;
  char* comma = strrchr(value, ',');
  if (comma) *comma = '\0';
  CopyText(PlayerPath, sizeof PlayerPath, value);
  CopyText(PlaylistPath, sizeof PlaylistPath, value);
  char* slash = strrchr(PlaylistPath, '\\');
  if (slash) *slash = '\0';
  AppendText(PlaylistPath, sizeof PlaylistPath, "\\WINAMP.M3U");
  return 1;
}

void FormatPlayerVersion(DWORD version, char* buf, size_t size) {
  if (version == 0)
    CopyText(buf, size, "???");
  else {
    char minor[8];
    FormatText(minor, sizeof minor, "%x", static_cast<unsigned>(version & 0xFFF));
    minor[2] = '\0';
    FormatText(buf, size, "%x.%s (0x%lx)", static_cast<unsigned>(version >> 12), minor,
               static_cast<unsigned long>(version));
  }
}

#endif
