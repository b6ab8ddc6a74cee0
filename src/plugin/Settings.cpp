#include "plugin/Settings.h"

#include "plugin/HostInfo.h"
#include "plugin/Options.h"
#include "plugin/TextBuffer.h"

#include <stdlib.h>
#include <string.h>

char SettingsKeyPath[kSettingsKeyPathSize];

namespace {

constexpr int kMinWaitTime = 5;
constexpr int kMaxWaitTime = 99;
constexpr int kDefaultWaitTime = 10;

// Holds an open key and closes it on every path out.
class SettingsKey {
 public:
  explicit SettingsKey(HKEY key) : key_(key) {}
  ~SettingsKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  SettingsKey(const SettingsKey&) = delete;
  SettingsKey& operator=(const SettingsKey&) = delete;
  HKEY Get() const { return key_; }

 private:
  HKEY key_;
};

void WriteSettingValue(HKEY hive, const char* subkey, const char* name, DWORD type,
                       const void* data, DWORD size) {
  SettingsKey key(CreateSettingsKey(hive, subkey));
  if (key.Get() == nullptr) return;
  RegSetValueExA(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size);
}

// Queries at most *size bytes; true when the whole value fit. *type gets
// the value's registry type when given.
bool QuerySettingValue(HKEY hive, const char* subkey, const char* name, void* data, DWORD* size,
                       DWORD* type = nullptr) {
  SettingsKey key(OpenSettingsKey(hive, subkey));
  if (key.Get() == nullptr) return false;
  DWORD found = REG_NONE;
  bool read = RegQueryValueExA(key.Get(), name, nullptr, &found, static_cast<BYTE*>(data), size) ==
              ERROR_SUCCESS;
  if (type != nullptr) *type = found;
  return read;
}

// A number may come as REG_DWORD or as up to four raw bytes (REG_BINARY, as
// a registry editor makes them); a text, or no bytes at all, is no number:
// "1" stored as text would otherwise read as 49.
bool IsNumberValue(DWORD type, DWORD size) {
  return size > 0 && (type == REG_DWORD || type == REG_BINARY);
}

// A text comes as REG_SZ or REG_EXPAND_SZ (taken as it is); a DWORD's four
// bytes would read as a text of control characters.
bool IsTextValue(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

}  // namespace

void MakeSettingsKeyPath(const char* rootKey) {
  FormatSettingsKeyPath(SettingsKeyPath, sizeof SettingsKeyPath, rootKey);
}

HKEY CreateSettingsKey(HKEY hive, const char* subkey) {
  char path[kComposedKeyPathSize];
  if (!ComposeSettingsKeyPath(path, sizeof path, SettingsKeyPath, subkey)) return nullptr;
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(hive, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                      &disposition) != ERROR_SUCCESS) {
    return nullptr;
  }
  return key;
}

HKEY OpenSettingsKey(HKEY hive, const char* subkey) {
  char path[kComposedKeyPathSize];
  if (!ComposeSettingsKeyPath(path, sizeof path, SettingsKeyPath, subkey)) return nullptr;
  HKEY key = nullptr;
  if (RegOpenKeyExA(hive, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return nullptr;
  return key;
}

void WriteSettingString(HKEY hive, const char* subkey, const char* name, const char* text) {
  WriteSettingValue(hive, subkey, name, REG_SZ, text, static_cast<DWORD>(strlen(text) + 1));
}

void WriteSettingDword(HKEY hive, const char* subkey, const char* name, DWORD value) {
  WriteSettingValue(hive, subkey, name, REG_DWORD, &value, sizeof value);
}

void WriteSettingBinary(HKEY hive, const char* subkey, const char* name, const void* data,
                        DWORD size) {
  WriteSettingValue(hive, subkey, name, REG_BINARY, data, size);
}

int ReadSettingString(HKEY hive, const char* subkey, const char* name, char* buffer,
                      const char* defaultText, DWORD bufferSize) {
  if (bufferSize == 0) return 0;
  // The value lands in a scratch copy first: a failed query may leave the
  // buffer half-written, and a value stored without its NUL must not leave
  // the caller's text unterminated.
  char* scratch = static_cast<char*>(malloc(bufferSize));
  bool read = false;
  if (scratch != nullptr) {
    DWORD size = bufferSize;
    DWORD type = REG_NONE;
    if (QuerySettingValue(hive, subkey, name, scratch, &size, &type) && IsTextValue(type)) {
      if (size > 0 && scratch[size - 1] == '\0') {
        read = true;
      } else if (size < bufferSize) {
        scratch[size] = '\0';
        read = true;
      }
      // else: exactly bufferSize bytes without a NUL - too long, like any
      // value that does not fit.
    }
    if (read) memcpy(buffer, scratch, BoundedLength(scratch, bufferSize) + 1);
    free(scratch);
  }
  if (read) return 1;
  if (defaultText != nullptr) CopyText(buffer, bufferSize, defaultText);
  return 0;
}

int ReadSettingDword(HKEY hive, const char* subkey, const char* name, int* value,
                     int defaultValue) {
  DWORD data = 0;
  DWORD size = sizeof data;
  DWORD type = REG_NONE;
  if (QuerySettingValue(hive, subkey, name, &data, &size, &type) && IsNumberValue(type, size)) {
    *value = static_cast<int>(data);
    return 1;
  }
  *value = defaultValue;
  return 0;
}

int GetSettingDword(HKEY hive, const char* subkey, const char* name, int defaultValue) {
  int value = defaultValue;
  ReadSettingDword(hive, subkey, name, &value, defaultValue);
  return value;
}

int ReadSettingBinary(HKEY hive, const char* subkey, const char* name, void* buffer,
                      const void* defaults, DWORD size) {
  DWORD read = size;
  DWORD type = REG_NONE;
  if (QuerySettingValue(hive, subkey, name, buffer, &read, &type) && type == REG_BINARY) return 1;
  if (defaults != nullptr) {
    memcpy(buffer, defaults, size);
  } else {
    memset(buffer, 0, size);
  }
  return 0;
}

void NormalizeWaitTime(bool save) {
  if (Opt.WaitTime < kMinWaitTime || Opt.WaitTime > kMaxWaitTime) {
    Opt.WaitTime = kDefaultWaitTime;
    save = true;
  }
  if (save) {
    WriteSettingDword(HKEY_CURRENT_USER, "", "WaitTime", static_cast<DWORD>(Opt.WaitTime));
  }
}

void LoadLogSetting() {
  MakeSettingsKeyPath(HostInfo.RootKey);
  Opt.LogFile = GetSettingDword(HKEY_CURRENT_USER, "", "LogFile", kDefaultOptions.LogFile);
}

void LoadSettings() {
  const HKEY hive = HKEY_CURRENT_USER;
  const Options& d = kDefaultOptions;
  Opt.StartPanelMode = GetSettingDword(hive, "ViewModes", "StartPanelMode", d.StartPanelMode);
  Opt.ReadFileTitle = GetSettingDword(hive, "", "ReadFileTitle", d.ReadFileTitle);
  Opt.AddToDisksMenu = GetSettingDword(hive, "", "AddToDisksMenu", d.AddToDisksMenu);
  Opt.DisksMenuDigit = GetSettingDword(hive, "", "DisksMenuDigit", d.DisksMenuDigit);
  Opt.AddDots = GetSettingDword(hive, "", "AddDots", d.AddDots);
  Opt.ReadID3Tag = GetSettingDword(hive, "", "ReadID3Tag", d.ReadID3Tag);
  Opt.WaitTime = GetSettingDword(hive, "", "WaitTime", d.WaitTime);
  Opt.ToTmpPanel = GetSettingDword(hive, "", "ToTmpPanel", d.ToTmpPanel);
  Opt.LastButton = GetSettingDword(hive, "", "LastButton", d.LastButton);
  Opt.TitleColor = GetSettingDword(hive, "", "TitleColor", d.TitleColor);
  Opt.NoWinAMPStartup = GetSettingDword(hive, "", "NoWinAMPStartup", d.NoWinAMPStartup);
  Opt.UseHighLighting = GetSettingDword(hive, "", "UseHighLighting", d.UseHighLighting);
  Opt.UseAttrHighLighting =
      GetSettingDword(hive, "", "UseAttrHighLighting", d.UseAttrHighLighting);
  // Values the host or the dialogs could not use fall back to their defaults
  // (the registry keeps what it holds): a view mode other than "0".."9", a
  // disks-menu hotkey other than a digit.
  if (Opt.StartPanelMode < '0' || Opt.StartPanelMode > '9') Opt.StartPanelMode = d.StartPanelMode;
  if (Opt.DisksMenuDigit < 0 || Opt.DisksMenuDigit > 9) Opt.DisksMenuDigit = d.DisksMenuDigit;
  NormalizeWaitTime(true);
}
