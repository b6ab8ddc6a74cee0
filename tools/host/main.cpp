// farhost.exe: runs a plug-in in the headless host and prints what a user
// would see. Usage: farhost.exe [plugin.dll] script.txt   ("-" = stdin)
// The script language is described in Script.cpp and README.md.
#include "Script.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>

#include <string>

namespace {

bool ReadAll(FILE* file, std::string* out) {
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) out->append(buffer, got);
  return !ferror(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    fprintf(stderr, "usage: farhost.exe [plugin.dll] script.txt\n");
    return 2;
  }
  std::string plugin = argc == 3 ? argv[1] : "";
  const char* scriptPath = argv[argc - 1];
  std::string script;
  FILE* file = strcmp(scriptPath, "-") == 0 ? stdin : fopen(scriptPath, "rb");
  if (!file) {
    fprintf(stderr, "farhost: cannot open %s\n", scriptPath);
    return 2;
  }
  bool ok = ReadAll(file, &script);
  if (file != stdin) fclose(file);
  if (!ok) {
    fprintf(stderr, "farhost: cannot read %s\n", scriptPath);
    return 2;
  }
  // Plain "\n" line ends, so transcripts compare equal on any system.
  _setmode(_fileno(stdout), _O_BINARY);
  std::string out;
  int failures = farhost::RunScript(script, plugin, &out);
  fwrite(out.data(), 1, out.size(), stdout);
  return failures == 0 ? 0 : 1;
}
