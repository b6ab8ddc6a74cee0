// The stand-in's playlist and transport: songs, current position, play state
// and a simulated play clock. Times come in as GetTickCount values so the
// clock can be driven exactly in tests of the model.
//
// Caption rules (as the real player shows them):
//   playing  "<n>. <title> - Winamp"
//   paused   "<n>. <title> - Winamp [Paused]"
//   stopped  "<n>. <title> - Winamp [Stopped]"
//   empty    "Winamp 2.50" (no song number, shorter than the 19-character
//            stopped suffix, so a reader finds no title in it)
// The caption is refreshed by play, pause, stop, next, previous, first song,
// clearing, and adding songs to an empty list; SetPosition alone leaves it
// naming the previous song, like the real player.
// Next after the last song wraps to the first, previous before the first to
// the last. Songs never end by themselves: the clock runs on past the length.
#pragma once

#include "PlaylistFiles.h"
#include "SongInfo.h"

#include <string>
#include <vector>

namespace fakeamp {

enum class PlayState { Stopped, Playing, Paused };

class Player {
public:
    explicit Player(bool noDotCaption = false, bool numbered = true)
        : noDotCaption_(noDotCaption), numbered_(numbered) {
        RefreshCaption();
    }

    void Append(const std::string& path);
    // A song of a playlist file: what the list gives of its title and length
    // stands for the file's own (the file is read for its rates only).
    void Append(ListedSong song);
    void Clear();

    void Play(unsigned now);         // from 0 s; also restarts a playing or paused song
    void TogglePause(unsigned now);  // no effect while stopped
    void Stop();
    void Next(unsigned now);         // keeps playing when playing; paused restarts paused at 0
    void Previous(unsigned now);
    void First(unsigned now);
    bool SetPosition(int position);  // out of range: ignored, false
    // Moves the clock; playing or paused only (returns 0), else -1.
    int JumpTo(int ms, unsigned now);
    void Seek(int deltaMs, unsigned now);  // +-; clamps at 0; no effect while stopped

    int PositionMs(unsigned now) const;  // -1 when stopped
    int CurrentLength();                 // seconds; -1 unknown or empty
    int Info(int what);                  // 0 kHz, 1 kbps, 2 channels; 0 when stopped
    int Count() const { return static_cast<int>(entries_.size()); }
    int Position() const { return position_; }
    PlayState State() const { return state_; }
    const std::string& Caption() const { return caption_; }
    // The current song's path; null when the list is empty.
    const std::string* CurrentPath() const {
        return entries_.empty() ? nullptr : &entries_[static_cast<std::size_t>(position_)].path;
    }

    // "#EXTM3U\r\n", then "#EXTINF:<seconds>,<title>\r\n<path>\r\n" per song.
    std::string PlaylistText();
    // "<stopped|playing|paused>\r\n<position>\r\n", then one path per line (CR LF).
    std::string StateText() const;

private:
    struct Entry {
        std::string path;
        bool known = false;  // info read from the file yet
        SongInfo info;
        ListedSong listed;   // what a playlist file gave (listed false: nothing)
    };

    // Song files are read once, on first need: adding 50,000 songs stays cheap.
    const SongInfo& InfoAt(int index);
    // The title and length the player shows: a playlist file's, else the file's.
    const std::string& TitleAt(int index);
    int SecondsAt(int index);
    void MoveTo(int position, unsigned now);
    void RefreshCaption();

    bool noDotCaption_;
    bool numbered_;
    std::vector<Entry> entries_;
    int position_ = 0;
    PlayState state_ = PlayState::Stopped;
    unsigned startTick_ = 0;  // tick at which the song would have been at 0 s (playing)
    int pausedMs_ = 0;        // frozen position (paused)
    std::string caption_;
};

const char* StateName(PlayState state);

}  // namespace fakeamp
