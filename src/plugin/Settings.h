// The settings store: one registry key below the host's key for plug-ins,
// "<RootKey>\Tessaryn Software\MELVOX" in HKEY_CURRENT_USER. Every operation
// names a subkey below it ("" for the key itself), opens and closes the key
// around its single value, and logs nothing. Reads fall back to defaults;
// writes fail silently. A key path that would not fit 79 characters is never
// cut: the operation is refused, so reads give their defaults and writes
// store nothing.
#pragma once

#include "plugin/SettingsPath.h"

#include <windows.h>

// "<RootKey>\Tessaryn Software\MELVOX"; empty when the host's RootKey was
// missing or too long, which refuses every operation.
extern char SettingsKeyPath[kSettingsKeyPathSize];

// Builds SettingsKeyPath from the host's RootKey text.
void MakeSettingsKeyPath(const char* rootKey);

// The key, created with its missing parents when needed, open for writing;
// null on failure. The caller closes it.
HKEY CreateSettingsKey(HKEY hive, const char* subkey);
// The existing key open for queries; null on any failure. The caller closes it.
HKEY OpenSettingsKey(HKEY hive, const char* subkey);

// REG_SZ with the text and its NUL.
void WriteSettingString(HKEY hive, const char* subkey, const char* name, const char* text);
// REG_DWORD.
void WriteSettingDword(HKEY hive, const char* subkey, const char* name, DWORD value);
// REG_BINARY of exactly size bytes.
void WriteSettingBinary(HKEY hive, const char* subkey, const char* name, const void* data,
                        DWORD size);

// Reads a text of at most bufferSize bytes (its NUL included) into buffer:
// 1 when read. Otherwise (no key or value, or a value that does not fit with
// its NUL) 0, and buffer gets a copy of defaultText, or keeps its content when
// defaultText is null. The buffer is always terminated after a read; a value
// that is not REG_SZ or REG_EXPAND_SZ counts as missing.
int ReadSettingString(HKEY hive, const char* subkey, const char* name, char* buffer,
                      const char* defaultText, DWORD bufferSize);
// Reads 4 bytes into *value: 1 when read, else *value = defaultValue and 0.
// Only REG_DWORD and REG_BINARY values of 1 to 4 bytes are read (a shorter
// one is zero-extended); a text or a longer value counts as missing.
int ReadSettingDword(HKEY hive, const char* subkey, const char* name, int* value,
                     int defaultValue);
// The value read, or defaultValue.
int GetSettingDword(HKEY hive, const char* subkey, const char* name, int defaultValue);
// Reads at most size bytes of a REG_BINARY value into buffer: 1 when read
// (bytes beyond a shorter value are left alone). Otherwise 0, and buffer gets size bytes of defaults,
// or size zero bytes when defaults is null.
int ReadSettingBinary(HKEY hive, const char* subkey, const char* name, void* buffer,
                      const void* defaults, DWORD size);

// Keeps Opt.WaitTime within 5..99: an outside value becomes 10 and is stored
// as "WaitTime" whatever save says; a value in range is stored only with save.
void NormalizeWaitTime(bool save);

// Start-up, first step (before the debug log opens): builds SettingsKeyPath
// from HostInfo.RootKey and reads Opt.LogFile.
void LoadLogSetting();
// Start-up, second step (after the log opened): reads every other Opt field
// (a StartPanelMode other than "0".."9" or a DisksMenuDigit other than 0..9
// gives the default), then NormalizeWaitTime(true), so "WaitTime" exists
// after the first start.
void LoadSettings();
