// A private settings key for one test: RootKey "Software\MelvoxTest\<name>" in
// HKEY_CURRENT_USER. Sets SettingsKeyPath and resets Opt to the defaults;
// removes the whole tree and puts both back afterwards.
#pragma once

#include "plugin/Options.h"
#include "plugin/Settings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string.h>

#include <string>

class SettingsTestKey {
 public:
  explicit SettingsTestKey(const std::string& name) : root_("Software\\MelvoxTest\\" + name) {
    memcpy(savedPath_, SettingsKeyPath, sizeof savedPath_);
    savedOpt_ = Opt;
    Opt = kDefaultOptions;
    RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str());
    MakeSettingsKeyPath(root_.c_str());
  }
  ~SettingsTestKey() {
    RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\MelvoxTest");  // only when empty
    memcpy(SettingsKeyPath, savedPath_, sizeof savedPath_);
    Opt = savedOpt_;
  }
  SettingsTestKey(const SettingsTestKey&) = delete;
  SettingsTestKey& operator=(const SettingsTestKey&) = delete;

  const char* Root() const { return root_.c_str(); }
  // The settings key itself, or a subkey below it.
  std::string Path(const char* subkey = "") const {
    std::string path = root_ + "\\Tessaryn Software\\MELVOX";
    if (subkey[0] != '\0') path += std::string("\\") + subkey;
    return path;
  }
  bool Exists(const char* subkey = "") const {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, Path(subkey).c_str(), 0, KEY_READ, &key) != 0) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }
  void Set(const char* subkey, const char* name, DWORD type, const void* data, DWORD size) const {
    HKEY key;
    ASSERT_EQ(0, RegCreateKeyExA(HKEY_CURRENT_USER, Path(subkey).c_str(), 0, nullptr, 0,
                                 KEY_WRITE, nullptr, &key, nullptr));
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }
  void SetDword(const char* subkey, const char* name, DWORD value) const {
    Set(subkey, name, REG_DWORD, &value, sizeof value);
  }
  // The stored DWORD, or -12345 when the value is missing.
  long long GetDword(const char* subkey, const char* name) const {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, Path(subkey).c_str(), name, RRF_RT_REG_DWORD, nullptr,
                     &value, &size) != 0) {
      return -12345;
    }
    return value;
  }
  // Number of values and subkeys of the key.
  void Count(const char* subkey, DWORD* values, DWORD* subkeys) const {
    *values = *subkeys = 0xFFFF;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, Path(subkey).c_str(), 0, KEY_READ, &key) != 0) return;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, subkeys, nullptr, nullptr, values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
  }

 private:
  std::string root_;
  char savedPath_[sizeof SettingsKeyPath];
  Options savedOpt_;
};
