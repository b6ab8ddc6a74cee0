#include "Player.h"

#include <utility>

namespace fakeamp {

namespace {

const char* const kEmptyCaption = "Winamp 2.50";

}  // namespace

const char* StateName(PlayState state) {
    switch (state) {
        case PlayState::Playing: return "playing";
        case PlayState::Paused: return "paused";
        default: return "stopped";
    }
}

void Player::Append(const std::string& path) {
    Entry entry;
    entry.path = path;
    entries_.push_back(std::move(entry));
    if (entries_.size() == 1) RefreshCaption();
}

void Player::Append(ListedSong song) {
    Entry entry;
    entry.path = song.path;
    if (song.listed) entry.listed = std::move(song);
    entries_.push_back(std::move(entry));
    if (entries_.size() == 1) RefreshCaption();
}

void Player::Clear() {
    entries_.clear();
    position_ = 0;
    state_ = PlayState::Stopped;
    RefreshCaption();
}

void Player::Play(unsigned now) {
    if (entries_.empty()) return;
    state_ = PlayState::Playing;
    startTick_ = now;
    RefreshCaption();
}

void Player::TogglePause(unsigned now) {
    if (state_ == PlayState::Playing) {
        pausedMs_ = PositionMs(now);
        state_ = PlayState::Paused;
    } else if (state_ == PlayState::Paused) {
        startTick_ = now - static_cast<unsigned>(pausedMs_);
        state_ = PlayState::Playing;
    } else {
        return;
    }
    RefreshCaption();
}

void Player::Stop() {
    state_ = PlayState::Stopped;
    RefreshCaption();
}

void Player::MoveTo(int position, unsigned now) {
    if (entries_.empty()) return;
    position_ = position;
    startTick_ = now;
    pausedMs_ = 0;
    RefreshCaption();
}

void Player::Next(unsigned now) {
    if (entries_.empty()) return;
    MoveTo(position_ + 1 < Count() ? position_ + 1 : 0, now);
}

void Player::Previous(unsigned now) {
    if (entries_.empty()) return;
    MoveTo(position_ > 0 ? position_ - 1 : Count() - 1, now);
}

void Player::First(unsigned now) { MoveTo(0, now); }

bool Player::SetPosition(int position) {
    if (position < 0 || position >= Count()) return false;
    position_ = position;
    return true;
}

int Player::JumpTo(int ms, unsigned now) {
    if (state_ == PlayState::Stopped) return -1;
    if (ms < 0) ms = 0;
    if (state_ == PlayState::Paused)
        pausedMs_ = ms;
    else
        startTick_ = now - static_cast<unsigned>(ms);
    return 0;
}

void Player::Seek(int deltaMs, unsigned now) {
    if (state_ == PlayState::Stopped) return;
    const long long target = static_cast<long long>(PositionMs(now)) + deltaMs;
    JumpTo(target < 0 ? 0 : target > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(target), now);
}

int Player::PositionMs(unsigned now) const {
    switch (state_) {
        case PlayState::Playing: {
            const unsigned elapsed = now - startTick_;  // unsigned: survives the tick wrap
            return elapsed > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(elapsed);
        }
        case PlayState::Paused: return pausedMs_;
        default: return -1;
    }
}

int Player::CurrentLength() {
    if (entries_.empty()) return -1;
    return SecondsAt(position_);
}

int Player::Info(int what) {
    if (entries_.empty() || state_ == PlayState::Stopped) return 0;
    const SongInfo& info = InfoAt(position_);
    switch (what) {
        case 0: return info.sampleRateKhz;
        case 1: return info.bitrateKbps;
        case 2: return info.channels;
        default: return 0;
    }
}

const SongInfo& Player::InfoAt(int index) {
    Entry& entry = entries_[static_cast<std::size_t>(index)];
    if (!entry.known) {
        entry.info = ReadSongInfo(entry.path);
        entry.known = true;
    }
    return entry.info;
}

const std::string& Player::TitleAt(int index) {
    const Entry& entry = entries_[static_cast<std::size_t>(index)];
    return entry.listed.listed ? entry.listed.title : InfoAt(index).title;
}

int Player::SecondsAt(int index) {
    const Entry& entry = entries_[static_cast<std::size_t>(index)];
    return entry.listed.listed && entry.listed.seconds >= 0 ? entry.listed.seconds : InfoAt(index).seconds;
}

void Player::RefreshCaption() {
    if (entries_.empty()) {
        caption_ = kEmptyCaption;
    } else {
        caption_ = (numbered_ ? std::to_string(position_ + 1) + ". " : std::string()) + TitleAt(position_) +
                   " - Winamp";
        if (state_ == PlayState::Paused) caption_ += " [Paused]";
        if (state_ == PlayState::Stopped) caption_ += " [Stopped]";
    }
    if (noDotCaption_) {
        std::string kept;
        for (char c : caption_)
            if (c != '.') kept += c;
        caption_ = kept;
    }
}

std::string Player::PlaylistText() {
    // Sized once and appended in place: tens of thousands of songs are
    // written in a moment.
    std::size_t size = 16;
    for (int i = 0; i < Count(); ++i)
        size += 32 + TitleAt(i).size() + entries_[static_cast<std::size_t>(i)].path.size();
    std::string text;
    text.reserve(size);
    text = "#EXTM3U\r\n";
    for (int i = 0; i < Count(); ++i) {
        text.append("#EXTINF:").append(std::to_string(SecondsAt(i))).append(",").append(TitleAt(i));
        text.append("\r\n").append(entries_[static_cast<std::size_t>(i)].path).append("\r\n");
    }
    return text;
}

std::string Player::StateText() const {
    std::string text = std::string(StateName(state_)) + "\r\n" + std::to_string(position_) + "\r\n";
    for (const Entry& entry : entries_) text += entry.path + "\r\n";
    return text;
}

}  // namespace fakeamp
