#include "control/ControlText.h"

#include "link/PlayState.h"
#include "plugin/LangMessages.h"
#include "plugin/TextBuffer.h"

namespace {

// " - Winamp" ends every caption; a stopped player's adds 13 more characters
// (" [Stopped]" and the room the cut keeps for the length text), a paused
// one's " [Paused]".
constexpr size_t kPlayingSuffix = 9;
constexpr size_t kStoppedExtra = 13;
constexpr size_t kPausedExtra = 9;
constexpr size_t kLongestTitle = 45;
constexpr size_t kLongHead = 42;
constexpr size_t kLongHeadStopped = 48;
constexpr size_t kShortCut = 8;
constexpr size_t kShortCutStopped = 18;
constexpr size_t kShortCutPaused = 17;

}  // namespace

int ControlStatusMessage(long isPlaying) {
  switch (isPlaying) {
    case PLAYER_STOPPED: return MCtlStopped;
    case PLAYER_PLAYING: return MCtlPlaying;
    case PLAYER_PAUSED: return MCtlPaused;
    default: return MCtlUnknown;
  }
}

size_t CutControlSongLine(const char* caption, size_t length, long isPlaying, char* out,
                          size_t outSize) {
  if (outSize == 0) return 0;
  out[0] = '\0';
  if (caption == nullptr || length == 0) return 0;
  bool stopped = isPlaying == PLAYER_STOPPED;
  bool paused = isPlaying == PLAYER_PAUSED;
  size_t suffix = kPlayingSuffix + (stopped ? kStoppedExtra : paused ? kPausedExtra : 0);
  if (length > suffix && length - suffix > kLongestTitle) {
    CopyTextN(out, outSize, caption, stopped ? kLongHeadStopped : kLongHead);
    return AppendText(out, outSize, " ... ");
  }
  size_t cut = stopped ? kShortCutStopped : paused ? kShortCutPaused : kShortCut;
  if (length <= cut) return 0;
  return CopyTextN(out, outSize, caption, length - cut);
}
