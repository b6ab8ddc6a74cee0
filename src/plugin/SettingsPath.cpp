#include "plugin/SettingsPath.h"

#include "plugin/TextBuffer.h"

#include <string.h>

bool FormatSettingsKeyPath(char* out, size_t size, const char* rootKey) {
  if (size == 0) return false;
  out[0] = '\0';
  if (rootKey == nullptr || rootKey[0] == '\0') return false;
  static const char kSuffix[] = "\\Tessaryn Software\\MELVOX";
  if (strlen(rootKey) + strlen(kSuffix) >= size) return false;
  CopyText(out, size, rootKey);
  AppendText(out, size, kSuffix);
  return true;
}

bool ComposeSettingsKeyPath(char* out, size_t size, const char* settingsPath, const char* subkey) {
  if (size == 0) return false;
  out[0] = '\0';
  if (settingsPath == nullptr || settingsPath[0] == '\0') return false;
  if (subkey == nullptr) subkey = "";
  size_t length = strlen(settingsPath) + (subkey[0] != '\0' ? 1 + strlen(subkey) : 0);
  if (length >= size) return false;
  CopyText(out, size, settingsPath);
  if (subkey[0] != '\0') {
    AppendText(out, size, "\\");
    AppendText(out, size, subkey);
  }
  return true;
}
