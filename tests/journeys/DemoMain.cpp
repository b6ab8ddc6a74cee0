// make demo: the shipped melvox.dll in the host emulator with the player
// stand-in and a generated song library, scene by scene (demo/*.txt in name
// order, run as one session), printed as the user would see it.
#include "JourneyKit.h"

#include "TempDir.h"

#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

namespace {

std::vector<std::string> SceneFiles(const std::string& folder) {
  std::vector<std::string> files;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*.txt").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do files.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(files.begin(), files.end());
  return files;
}

int Run() {
  std::string folder = testkit::WinePath(DEMO_DIR);
  std::string script;
  for (const std::string& file : SceneFiles(folder)) script += testkit::ReadText(folder + "\\" + file) + "\n";
  if (script.empty()) {
    fprintf(stderr, "demo: no scenes in %s\n", folder.c_str());
    return 1;
  }
  printf("MELVOX demo: the %s melvox.dll in the host emulator, the player stand-in, a generated library\n",
         sizeof(void*) == 4 ? "32-bit (i386)" : "64-bit (x64)");
  printf("Songs:");
  for (const journey::LibrarySong& s : journey::Library())
    printf(" %s (%d:%02d, %d kbps%s)", s.file, s.seconds / 60, s.seconds % 60, s.bitrateKbps,
           s.channels == 1 ? ", mono" : "");
  printf("\n\n");
  int failures = 0;
  std::string transcript;
  {
    journey::Journey journey;
    transcript = journey.Run(script, &failures);
  }
  fwrite(transcript.data(), 1, transcript.size(), stdout);
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main() {
  try {
    return Run();
  } catch (const std::exception& e) {
    fprintf(stderr, "demo: %s\n", e.what());
    return 1;
  }
}
