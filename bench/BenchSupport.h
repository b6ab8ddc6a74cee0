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

// How the songs of a playlist lie in folders:
//   Library    bench-data\songs, 500 songs a folder (large folders make every
//              name lookup slow under Wine, for the floor as for the plug-in);
//   Albums     bench-data\albums, 10 songs a folder, as albums lie;
//   Scattered  bench-data\scattered, folders of 1,000 files of which the
//              playlist takes one each (the others are empty files): the
//              case where reading a whole folder cannot pay.
enum class Layout { Library, Albums, Scattered };
constexpr int kLibrarySongsPerFolder = 500;
// Song i of a layout below root: a tagged MPEG file. MakeSongs makes the
// first count of them (and, scattered, their folders' other files) where
// missing.
std::string SongPath(const std::string& root, int i, Layout layout = Layout::Library);
void MakeSongs(const std::string& root, int count, Layout layout = Layout::Library);
// The first songs of a layout's folder in bench-data and a playlist of them,
// made where missing; the playlist's path.
std::string MakeSongList(int songs, Layout layout = Layout::Library);
// The layout's folder in bench-data.
std::string LayoutRoot(Layout layout);
// The bytes of the playlist file the plug-in hands the player for paths whose
// titles the bench's titles cache knows ("Bench Artist - Song <i>", 3:25):
// "#EXTM3U", then "#EXTINF:205,<title>" and the path per song, CR LF.
std::string ExtM3uBytes(const std::vector<std::string>& paths, const std::vector<int>& songNumbers);
// Writes bytes to a file in the temporary folder, has the player load it with
// one IPC_PLAYFILE after emptying its playlist when clear, and deletes the
// file: the floor of handing the player a playlist.
void HandPlaylist(HWND player, const std::string& bytes, bool clear);
// Each folder the paths lie in read once (a folder's paths following each
// other), the paths looked up among its names; how many were found.
int ReadEachFolderOnce(const std::vector<std::string>& paths);
// The player's list read back: its count, its playlist file written and read
// whole.
void ReadPlayerList(HWND player, const std::string& playlistFile);
void PlayFile(HWND player, const std::string& path);
// Starts player with the playlist loaded; false, with a line on stderr, when
// it did not start.
bool StartPlayerOn(playerkit::PlayerProcess& player, const std::string& list);

// Milliseconds of each run of a measurement and of its floor, in run order.
struct Runs {
  std::vector<double> measured;
  std::vector<double> floor;
  // For a command that must read the player's list back (its count and its
  // playlist file): the floor with those reads, and what they stand for.
  std::vector<double> withChecks;
  const char* checks = nullptr;
};
// "<name>: <measured>, floor <floor>, ratio <median> [<lowest>-<highest>]":
// the medians of the runs with their spread, and the ratio of each run to
// its floor; then the same against the floor with the checks, when given.
// Returns the median ratio to the floor.
double PrintRuns(const char* name, const Runs& runs);

// The scenarios besides the panel's own (CommandBench.cpp).
int CommandScenario(int songs);
int PutFilesScenario(int songs);

}  // namespace bench
