// What the benchmark's scenarios share: the clock, memory figures, the song
// files made once in bench-data, and the figures printed for repeated runs.
#pragma once

#include "PlayerKit.h"

#include <windows.h>

#include <string>
#include <vector>

namespace bench {

// Every figure is the median of this many runs of the measurement, each
// followed by a run of its floor: a machine shared with other work swings a
// single pair by a third either way.
constexpr int kRepeats = 5;

double Now();  // milliseconds
SIZE_T PeakWorkingSet();
SIZE_T WorkingSet();

// bench-data beside the program (made when missing).
std::string DataFolder();
bool Exists(const std::string& path);
bool WriteWhole(const std::string& path, const void* data, size_t size);

// Song i below root: a tagged MPEG file in a folder of at most 500 songs
// (large folders make every name lookup slow under Wine, for the floor as
// for the plug-in). MakeSongs makes the first count of them where missing.
std::string SongPath(const std::string& root, int i);
void MakeSongs(const std::string& root, int count);
// The first songs of bench-data\songs and a playlist of them, made where
// missing; the playlist's path.
std::string MakeSongList(int songs);
// Starts player with the playlist loaded; false, with a line on stderr, when
// it did not start.
bool StartPlayerOn(playerkit::PlayerProcess& player, const std::string& list);

// Milliseconds of each run of a measurement and of its floor, in run order.
struct Runs {
  std::vector<double> measured;
  std::vector<double> floor;
};
// "<name>: <measured>, floor <floor>, ratio <median> [<lowest>-<highest>]":
// the medians of the runs with their spread, and the ratio of each run to
// its floor. Returns the median ratio.
double PrintRuns(const char* name, const Runs& runs);

// The scenarios besides the panel's own (CommandBench.cpp).
int CommandScenario(int songs);
int PutFilesScenario(int songs);

}  // namespace bench
