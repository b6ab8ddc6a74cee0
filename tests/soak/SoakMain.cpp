// Soak run of the shipped melvox.dll in the host emulator with the player
// stand-in running: many open-list-redraw-close cycles of a panel from the
// disks menu, then as many rounds of commands on one open panel (Enter plays
// a song, Del removes one, PutFiles puts it back). The host process's
// resources are measured at cycle 10 (Wine's own first-use allocations make
// the early cycles grow) and at the last cycle, and each must stay within its
// bound of cycle 10. The player's process is measured too: a leak in the
// stand-in must not pass for the plug-in's, nor hide it.
//
//   melvox_soak.exe [cycles]      (default 1000; at least 20)
//
// Prints one line per measure and scenario; the exit code is 0 only when
// every measure is within its bound, the host recorded no failure and the
// player holds what the panel shows.
#include "JourneyKit.h"

#include "FarHost.h"
#include "PlayerKit.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

const int kBaseCycle = 10;

// What is measured. A bound is the larger of `percent` of the value at cycle
// 10 and `fixed`. Handles and window-system objects are exact counts: a leak
// of one per cycle shows at once over any number of cycles. The busy heap
// bytes do not move once Wine has warmed up, so 1 KB over 40 cycles catches
// a leak of 26 bytes a cycle (one short song name), and 8 blocks one block
// every five cycles. The address space moves in whole reservations and
// Wine reserves over a gigabyte at start, so 1% of it would hide anything:
// 1 MB, a heap segment. Private bytes grow by committed pages (64 KB steps
// of a heap): 1% or one such step.
struct Measure {
  const char* name;
  const char* unit;
  double percent;
  double fixed;
};

enum {
  kHandles,
  kGdiObjects,
  kUserObjects,
  kHeapBytes,
  kHeapBlocks,
  kVirtualBytes,
  kPrivateBytes,
  kPlayerHandles,
  kPlayerPrivateBytes,
  kMeasureCount
};

const Measure kMeasures[kMeasureCount] = {
    {"handles", "", 0, 2},
    {"GDI objects", "", 0, 2},
    {"USER objects", "", 0, 2},
    {"heap bytes", "B", 0, 1024},
    {"heap blocks", "", 0, 8},
    {"virtual size", "B", 0, 1024 * 1024},
    {"private bytes", "B", 1, 64 * 1024},
    {"player handles", "", 0, 2},
    {"player private bytes", "B", 1, 64 * 1024},
};

struct Sample {
  double value[kMeasureCount] = {};
};

// Busy bytes and blocks in every heap of the process. Nothing may allocate
// while a heap is walked, so the list of heaps lives in a fixed array.
void MeasureHeaps(double* bytes, double* blocks) {
  HANDLE heaps[256];
  DWORD count = GetProcessHeaps(256, heaps);
  if (count > 256) count = 256;
  double totalBytes = 0, totalBlocks = 0;
  for (DWORD i = 0; i < count; ++i) {
    if (!HeapLock(heaps[i])) continue;
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heaps[i], &entry)) {
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
        totalBytes += entry.cbData;
        totalBlocks += 1;
      }
    }
    HeapUnlock(heaps[i]);
  }
  *bytes = totalBytes;
  *blocks = totalBlocks;
}

// A process's address space region by region: all that is reserved or
// committed, and what is committed privately (its private bytes; Wine's
// GetProcessMemoryInfo leaves PrivateUsage 0).
void MeasureAddressSpace(HANDLE process, double* virtualBytes, double* privateBytes) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  double reserved = 0, committed = 0;
  const char* at = static_cast<const char*>(system.lpMinimumApplicationAddress);
  const char* end = static_cast<const char*>(system.lpMaximumApplicationAddress);
  MEMORY_BASIC_INFORMATION region;
  while (at < end && VirtualQueryEx(process, at, &region, sizeof region) == sizeof region) {
    double size = static_cast<double>(region.RegionSize);
    if (region.State != MEM_FREE) reserved += size;
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) committed += size;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
  *virtualBytes = reserved;
  *privateBytes = committed;
}

// The system's handle table, as ntdll gives it (Wine's GetProcessHandleCount
// answers 0, its table is real).
struct HandleEntry {
  ULONG ownerPid;
  BYTE objectType;
  BYTE flags;
  USHORT value;
  PVOID object;
  ULONG access;
};
struct HandleTable {
  ULONG count;
  HandleEntry entries[1];
};
const ULONG kSystemHandleInformation = 16;
const LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

// The handles each of two processes holds. The table goes into pages of
// its own, so that the heaps are not touched between the samples.
void CountHandles(DWORD pidA, double* a, DWORD pidB, double* b) {
  *a = *b = -1;
  typedef LONG(WINAPI * Query)(ULONG, PVOID, ULONG, PULONG);
  Query query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return;
  for (ULONG size = 1 << 20; size <= (1u << 26); size *= 2) {
    void* buffer = VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!buffer) return;
    ULONG needed = 0;
    LONG status = query(kSystemHandleInformation, buffer, size, &needed);
    if (status == 0) {
      const HandleTable* table = static_cast<const HandleTable*>(buffer);
      size_t room = (size - offsetof(HandleTable, entries)) / sizeof(HandleEntry);
      size_t count = table->count < room ? table->count : room;
      *a = *b = 0;
      for (size_t i = 0; i < count; ++i) {
        if (table->entries[i].ownerPid == pidA) *a += 1;
        if (table->entries[i].ownerPid == pidB) *b += 1;
      }
    }
    VirtualFree(buffer, 0, MEM_RELEASE);
    if (status != kInfoLengthMismatch) return;
  }
}

// Windows of the process's threads, top-level and child: what Wine's
// GetGuiResources leaves uncounted of the USER objects.
BOOL CALLBACK CountChild(HWND, LPARAM counter) {
  *reinterpret_cast<double*>(counter) += 1;
  return TRUE;
}
BOOL CALLBACK CountOwnWindow(HWND window, LPARAM counter) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == GetCurrentProcessId()) {
    *reinterpret_cast<double*>(counter) += 1;
    EnumChildWindows(window, CountChild, counter);
  }
  return TRUE;
}
double WineUserObjects() {
  double count = 0;
  EnumWindows(CountOwnWindow, reinterpret_cast<LPARAM>(&count));
  for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
       window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr))
    CountOwnWindow(window, reinterpret_cast<LPARAM>(&count));
  return count;
}

Sample Take(HANDLE player, DWORD playerPid) {
  Sample s;
  HANDLE self = GetCurrentProcess();
  DWORD handles = 0;
  if (GetProcessHandleCount(self, &handles) && handles > 0) {
    s.value[kHandles] = handles;
    s.value[kPlayerHandles] = GetProcessHandleCount(player, &handles) ? handles : -1;
  } else {
    CountHandles(GetCurrentProcessId(), &s.value[kHandles], playerPid, &s.value[kPlayerHandles]);
  }
  // Wine's GetGuiResources answers 0 for GDI objects and offers no other
  // count; on Windows the figure is real.
  s.value[kGdiObjects] = GetGuiResources(self, GR_GDIOBJECTS);
  s.value[kUserObjects] = GetGuiResources(self, GR_USEROBJECTS);
  if (s.value[kUserObjects] == 0) s.value[kUserObjects] = WineUserObjects();
  MeasureHeaps(&s.value[kHeapBytes], &s.value[kHeapBlocks]);
  MeasureAddressSpace(self, &s.value[kVirtualBytes], &s.value[kPrivateBytes]);
  double playerVirtual = 0;
  MeasureAddressSpace(player, &playerVirtual, &s.value[kPlayerPrivateBytes]);
  return s;
}

// One line per measure: cycle 10, the last cycle, the change, the bound.
bool Report(const char* scenario, int last, const Sample& base, const Sample& end) {
  bool ok = true;
  for (int m = 0; m < kMeasureCount; ++m) {
    const Measure& measure = kMeasures[m];
    double delta = end.value[m] - base.value[m];
    double bound = base.value[m] * measure.percent / 100;
    if (bound < measure.fixed) bound = measure.fixed;
    bool pass = base.value[m] >= 0 && end.value[m] >= 0 && delta <= bound && -delta <= bound;
    ok = ok && pass;
    printf("soak %-8s %-21s cycle %d: %12.0f%s  cycle %d: %12.0f%s  delta %+10.0f%s  bound %9.0f%s  %s\n",
           scenario, measure.name, kBaseCycle, base.value[m], measure.unit, last, end.value[m], measure.unit,
           delta, measure.unit, bound, measure.unit, pass ? "pass" : "FAIL");
  }
  fflush(stdout);
  return ok;
}

// The player's playlist as the dump shows it, against the songs expected.
bool PlayerHolds(const playerkit::PlayerProcess& player, const std::vector<std::string>& songs) {
  playerkit::PlayerState state = player.ReadState();
  if (!state.valid || state.paths.size() != songs.size()) return false;
  for (size_t i = 0; i < songs.size(); ++i)
    if (_stricmp(state.paths[i].c_str(), songs[i].c_str()) != 0) return false;
  return true;
}

class Soak {
 public:
  Soak(journey::Journey& journey, playerkit::PlayerProcess& player, HANDLE playerProcess)
      : journey_(journey), player_(player), playerProcess_(playerProcess) {
    for (const journey::LibrarySong& song : journey::Library())
      songs_.push_back(journey_.SongsFolder() + "\\" + song.file);
  }

  // Open from the disks menu (the host lists the panel and redraws it), list
  // again as Ctrl+R does, one more redraw, close.
  bool Panels(int cycles) {
    farhost::Host host(HostOptions());
    if (!host.LoadPlugin(journey_.PluginFolder() + "\\melvox.dll")) return Fail("the plug-in did not load");
    // The emulator remembers every instance it saw closed (a later call with
    // it is a fault): one set node per new address the plug-in's allocator
    // gives a panel. That growth is the emulator's, measured here and taken
    // off the heap figures.
    double nodeBytes = 0, nodeBlocks = 0;
    {
      double bytesBefore, blocksBefore, bytesAfter, blocksAfter;
      std::set<HANDLE> probe;
      MeasureHeaps(&bytesBefore, &blocksBefore);
      for (int i = 1; i <= 64; ++i) probe.insert(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(i)));
      MeasureHeaps(&bytesAfter, &blocksAfter);
      nodeBytes = (bytesAfter - bytesBefore) / 64;
      nodeBlocks = (blocksAfter - blocksBefore) / 64;
    }
    static HANDLE seen[1 << 14];
    size_t seenCount = 0, seenAtBase = 0;
    // The first look opens handles of its own (Wine keeps six from the
    // process's first EnumWindows).
    Take(playerProcess_, player_.ProcessId());
    Sample base;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
      if (!host.OpenFromDisksMenu()) return Fail("cycle " + std::to_string(cycle) + ": no panel opened");
      HANDLE instance = host.PluginHandle();
      bool known = false;
      for (size_t i = 0; i < seenCount && !known; ++i) known = seen[i] == instance;
      if (!known && seenCount < sizeof seen / sizeof seen[0]) seen[seenCount++] = instance;
      host.PressKey('R', PKF_CONTROL);
      host.Redraw();
      if (host.Rows().size() != songs_.size() + 1)
        return Fail("cycle " + std::to_string(cycle) + ": the panel shows " + std::to_string(host.Rows().size()) +
                    " rows");
      host.ClosePanel();
      if (host.IsPluginPanel()) return Fail("cycle " + std::to_string(cycle) + ": the panel stayed open");
      // The emulator's own records of every call would grow with the run.
      host.ClearRecords();
      if (!host.Failures().empty()) return Fail(host.FailureText());
      if (cycle == kBaseCycle) {
        base = Take(playerProcess_, player_.ProcessId());
        seenAtBase = seenCount;
      }
    }
    Sample end = Take(playerProcess_, player_.ProcessId());
    double grown = static_cast<double>(seenCount - seenAtBase);
    end.value[kHeapBytes] -= grown * nodeBytes;
    end.value[kHeapBlocks] -= grown * nodeBlocks;
    printf("soak panels   the emulator's record of closed instances: %.0f new entries of %.0fB in %.0f block(s), "
           "taken off the heap figures\n", grown, nodeBytes, nodeBlocks);
    bool ok = Report("panels", cycles, base, end);
    host.UnloadPlugin();
    return ok && host.CheckBalanced() && PlayerHolds(player_, songs_);
  }

  // One panel stays open: each round plays the song under the cursor, removes
  // another with Del and copies its file onto the panel again, so the panel
  // and the player keep four songs, the removed one moving to the end.
  bool Commands(int cycles) {
    farhost::Host host(HostOptions());
    if (!host.LoadPlugin(journey_.PluginFolder() + "\\melvox.dll")) return Fail("the plug-in did not load");
    // The songs come back from the file panel beside, as the user copies them.
    farhost::PassivePanel files;
    files.directory = journey_.SongsFolder();
    host.SetPassivePanel(files);
    if (!host.OpenFromDisksMenu()) return Fail("no panel opened");
    std::vector<std::string> order = songs_;
    Sample base;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
      std::string at = "cycle " + std::to_string(cycle) + ": ";
      int count = static_cast<int>(order.size());
      host.SetCursor(1 + cycle % count);
      if (!host.PressKey(VK_RETURN)) return Fail(at + "Enter was not taken");
      int removed = (cycle * 3) % count;
      host.SetCursor(1 + removed);
      if (!host.PressKey(VK_DELETE)) return Fail(at + "Del was not taken");
      if (host.Rows().size() != order.size()) return Fail(at + "Del left the panel with the same rows");
      std::string song = order[static_cast<size_t>(removed)];
      order.erase(order.begin() + removed);
      order.push_back(song);
      host.SwitchPanels();
      host.AnswerMessage(0);  // the host's copy confirmation
      if (!host.CopyToPanel({song})) return Fail(at + "PutFiles failed");
      host.SwitchPanels();
      if (host.Rows().size() != order.size() + 1) return Fail(at + "PutFiles did not add the song");
      host.ClearRecords();
      if (!host.Failures().empty()) return Fail(host.FailureText());
      if (cycle == kBaseCycle) {
        if (!PlayerHolds(player_, order)) return Fail(at + "the player's playlist is not the panel's");
        base = Take(playerProcess_, player_.ProcessId());
      }
    }
    Sample end = Take(playerProcess_, player_.ProcessId());
    bool ok = Report("commands", cycles, base, end);
    if (!PlayerHolds(player_, order)) ok = Fail("the player's playlist is not the panel's at the end");
    host.ClosePanel();
    host.UnloadPlugin();
    return ok && host.CheckBalanced();
  }

 private:
  farhost::Options HostOptions() {
    farhost::Options options;
    options.onFailure = [](const std::string& text) { fprintf(stderr, "host failure: %s\n", text.c_str()); };
    return options;
  }

  bool Fail(const std::string& why) {
    fprintf(stderr, "melvox_soak: %s\n", why.c_str());
    return false;
  }

  journey::Journey& journey_;
  playerkit::PlayerProcess& player_;
  HANDLE playerProcess_;
  std::vector<std::string> songs_;
};

}  // namespace

int main(int argc, char** argv) {
  int cycles = argc > 1 ? atoi(argv[1]) : 1000;
  if (cycles < 2 * kBaseCycle) {
    fprintf(stderr, "usage: melvox_soak [cycles]   (at least %d)\n", 2 * kBaseCycle);
    return 2;
  }
  journey::Journey journey;
  playerkit::PlayerProcess player(journey.PlayerFolder());
  playerkit::PlayerRegistration registration(player.ExePath());
  player.SetOption("playlist", journey.SongsFolder() + "\\all.m3u");
  player.EnableState();
  if (!player.Start(20000)) {
    fprintf(stderr, "melvox_soak: the player stand-in did not start\n");
    return 1;
  }
  HANDLE playerProcess = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, player.ProcessId());
  if (!playerProcess) {
    fprintf(stderr, "melvox_soak: cannot measure the player's process\n");
    return 1;
  }
  Soak soak(journey, player, playerProcess);
  DWORD start = GetTickCount();
  bool panels = soak.Panels(cycles);
  DWORD middle = GetTickCount();
  bool commands = soak.Commands(cycles);
  DWORD end = GetTickCount();
  printf("soak panels: %d cycles in %lu ms, %s\n", cycles, static_cast<unsigned long>(middle - start),
         panels ? "pass" : "FAIL");
  printf("soak commands: %d rounds of Enter, Del and PutFiles in %lu ms, %s\n", cycles,
         static_cast<unsigned long>(end - middle), commands ? "pass" : "FAIL");
  CloseHandle(playerProcess);
  return panels && commands ? 0 : 1;
}
