// Registry key paths of the settings. A path that does not fit is refused,
// never cut: a cut path would name some other key, and writing there would
// scatter values into the user's registry. Refused operations fall back to
// the defaults.
#pragma once

#include <stddef.h>

// Size of SettingsKeyPath, and of a composed key path including its NUL.
constexpr size_t kSettingsKeyPathSize = 128;
constexpr size_t kComposedKeyPathSize = 80;

// "<rootKey>\Tessaryn Software\MELVOX" into out. False, with out empty, when
// rootKey is null or empty or the text does not fit.
bool FormatSettingsKeyPath(char* out, size_t size, const char* rootKey);

// settingsPath, a "\" only when subkey is not empty, then subkey (null counts
// as empty). False, with out empty, when settingsPath is empty or the result
// does not fit size bytes.
bool ComposeSettingsKeyPath(char* out, size_t size, const char* settingsPath, const char* subkey);
