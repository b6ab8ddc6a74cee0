// Whole user journeys through the shipped melvox.dll: a farhost script run in
// the host emulator against the real DLL, with the player stand-in and a
// generated song library, its transcript made stable for a comparison as
// text. Used by the journey tests (one script and its golden transcript per
// journey) and by the demo.
//
// A Journey owns a temporary folder with
//   plugin\  the built melvox.dll with its .lng and .hlf files, so the titles
//            cache melvox.fc0 and the debug log melvox.log land there too
//   songs\   the library (Library() below) and playlists of it
//   player\  the player stand-in's copy, its fakeamp.ini, journal and state
// and, for playlists the plug-in saves, an empty C:\melvox-lists (a path of
// the same length on every run, removed afterwards), and sets the
// environment variables PLUGIN, SONGS, PLAYER, LISTS, JOURNAL (the player's
// journal file) and STATE for ${NAME} in scripts. Besides the farhost lines
// (tools/host/README.md) scripts may use:
//   player option <key>=<value>     a fakeamp.ini line for the next register/start
//   player register [<playlist>]    the player installed (registry) but not running;
//                                   the plug-in may start it, with the playlist loaded
//   player start [<playlist>]       installed and running
//   player play [<n>] | pause | stop | next | prev | clear
//                                   the user works the player (n: 1-based song)
//   player quit                     the player ends (also one the plug-in started)
//   player revive                   the user starts the installed player again, when
//                                   none runs (the ini as at the last register/start)
//   player set <key>=<value>        an option of the running player changed at once
//                                   (exitafter=N: it ends after N more messages)
//   player unregister               the installation's registry entry removed
//   player add <path>...            the user adds songs in the player (IPC_PLAYFILE)
//   player state                    the player's state: play state, song, playlist
//   titles                          the titles cache file beside the plug-in, entry by entry
//   song <path> [<seconds> [<artist> <title>]]
//                                   an MPEG song (1 s by default) made at path, with
//                                   the folders it needs; untagged, or with an ID3v1
//                                   tag of that artist and title (UTF-8 in the
//                                   script, ANSI in the tag)
//   readonly <path>                 the file gets the read-only attribute
//   lock <path> | unlock <path>     another program holds the file open, sharing it
//                                   for reading only (until unlock or the journey's end)
//   remove <path>                   the file is deleted behind the plug-in's back
//   file <path>                     a file's bytes, line by line: every line shown with
//                                   its end as \r\n or \n, other bytes below 0x20 or
//                                   above 0x7e as \xNN
// The transcript has the folders replaced by ${PLUGIN}, ${SONGS}, ${PLAYER}, ${LISTS},
// the folder the test runs in by ${CWD},
// instance addresses in log lines by ${HANDLE}, the log's start time by
// ${TIME}, the user's temporary folder by ${TEMP} and the unique part of the
// plug-in's temporary playlist names by ${N}. Windows only.
#pragma once

#include "PlayerKit.h"
#include "Script.h"
#include "TempDir.h"

#include <memory>
#include <string>
#include <vector>

namespace journey {

// The built plug-in and the files it ships with (Windows paths).
std::string BuiltPluginPath();
std::string BuiltLanguageFolder();

// One song of the library.
struct LibrarySong {
  const char* file;     // in the songs folder
  const char* artist;   // null: no ID3v1 tag (the player shows the file name)
  const char* title;
  const char* album;
  const char* year;
  int genre;
  int bitrateKbps;
  int sampleRate;
  int channels;
  int seconds;
};
// The library every journey gets: four songs, tagged and untagged, stereo and
// mono, of different lengths and rates; all.m3u (all four), night.pls
// (the last two) and day.m3u (the first two) beside them.
const std::vector<LibrarySong>& Library();
// One more song in the songs folder, Long.mp3, whose tag fills its artist
// and title fields (the player's caption is then longer than the control
// dialog's song line); only long.m3u names it: Morning, Long, Evening.
const LibrarySong& LongSong();

class Journey {
 public:
  Journey();
  ~Journey();  // ends every player it or the plug-in started, removes the registration
  Journey(const Journey&) = delete;
  Journey& operator=(const Journey&) = delete;

  // Runs the script against the built DLL; returns the stable transcript.
  // *failures gets the host's and the script's failures. extra, when given,
  // gets the lines neither the host's script nor this kit knows.
  std::string Run(const std::string& script, int* failures,
                  const farhost::ScriptExtension& extra = farhost::ScriptExtension());

  const std::string& PluginFolder() const { return plugin_; }
  const std::string& SongsFolder() const { return songs_; }
  const std::string& PlayerFolder() const { return player_; }
  const std::string& ListsFolder() const { return lists_; }

 private:
  bool PlayerLine(const std::vector<std::string>& words, std::string* out);
  bool Register(const std::string& playlist, std::string* out);
  bool Revive(std::string* out);
  void EndPlayers();
  std::string Stable(std::string text) const;

  testkit::TempDir root_;
  bool FileLine(const std::vector<std::string>& words, std::string* out);
  std::string plugin_, songs_, player_, lists_;
  std::vector<std::pair<std::string, std::string>> options_;
  std::unique_ptr<playerkit::PlayerRegistration> registration_;
  std::unique_ptr<playerkit::PlayerProcess> process_;
  std::vector<std::pair<std::string, void*>> locks_;  // path, open handle
};

}  // namespace journey
