// The script language of farhost.exe: one user action per line, run against a
// Host, printing what the user would see. The language is described in
// tools/host/README.md and at the top of Script.cpp.
#pragma once

#include "FarHost.h"

#include <functional>
#include <string>
#include <vector>

namespace farhost {

// Runs the script. The Host is created at the first line that is not a
// setting (language, size, host, numpad); pluginPath, when not empty, is loaded
// then (a "load" line does the same). Everything shown goes to *out.
// Returns the number of failures: script errors plus the Host's failures,
// including the end-of-run balance check.
//
// extension, when given, gets the words of every line the runner does not
// know (a caller's own actions, such as driving a player stand-in) with the
// running Host, and appends what it shows to *out; it returns false for a
// line it does not know either.
using ScriptExtension =
    std::function<bool(Host& host, const std::vector<std::string>& words, std::string* out)>;
int RunScript(const std::string& script, const std::string& pluginPath, std::string* out,
              const ScriptExtension& extension = ScriptExtension());

// Windows virtual-key code and PKF_* state of a key name such as "F4",
// "Ctrl+F10", "Shift+Enter", "A", "0x41". False for an unknown name.
bool ParseKeyName(const std::string& name, int* vk, unsigned* state);

}  // namespace farhost
