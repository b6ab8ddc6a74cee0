#include "link/PlayerLocation.h"

#include "plugin/TextBuffer.h"

#include <string.h>

bool ParsePlayerLocation(const char* data, size_t size, char* playerPath, size_t playerPathSize) {
  if (playerPathSize == 0) return false;
  playerPath[0] = '\0';
  size_t length = BoundedLength(data, size);
  size_t comma = length;
  while (comma > 0 && data[comma - 1] != ',') --comma;
  if (comma == 0) return false;  // no "," at all
  size_t pathLength = comma - 1;
  if (pathLength == 0 || pathLength >= playerPathSize) return false;
  CopyTextN(playerPath, playerPathSize, data, pathLength);
  return true;
}

bool MakePlaylistPath(const char* playerPath, char* out, size_t size) {
  if (size == 0) return false;
  out[0] = '\0';
  const char* slash = strrchr(playerPath, '\\');
  size_t folderLength = slash != nullptr ? static_cast<size_t>(slash - playerPath) : 0;
  if (folderLength + strlen(PLAYLIST_FILE_NAME) >= size) return false;
  CopyTextN(out, size, playerPath, folderLength);
  AppendText(out, size, PLAYLIST_FILE_NAME);
  return true;
}
