// The control dialog: the player's transport buttons and the current song,
// reopened with fresh status after every command.
#include "panel/MELVOXPanel.h"

#include "control/ControlText.h"
#include "link/PlayerMessages.h"
#include "panel/PlaylistText.h"
#include "panel/ScopedWaitMessage.h"
#include "plugin/DebugLog.h"
#include "plugin/DialogTemplate.h"
#include "plugin/HostInfo.h"
#include "plugin/LangMessages.h"
#include "plugin/Options.h"
#include "plugin/ScopedHandles.h"
#include "plugin/Settings.h"
#include "plugin/TextBuffer.h"
#include "tags/TagEditor.h"

#include <stdlib.h>
#include <string.h>

namespace {

const char kNoText[] = "";
const char kTagButton[] = "&TAG";

enum ControlItem { kStatusFrame = 0, kSongText = 1, kSongLength = 2, kTagItem = 10, kItemCount = 15 };
constexpr int kDialogWidth = 63;
constexpr int kDialogHeight = 9;
constexpr DWORD kColorMask = 0xFF;
// Room for the longest song line (53 characters) and the length text.
constexpr size_t kSongTextSize = 64;
constexpr size_t kLengthTextSize = 16;

const DialogItemTemplate kControlItems[kItemCount] = {
    {DI_DOUBLEBOX, 3, 1, 59, 7, 0, 0, 0, 0, MCtlUnknown},
    {DI_TEXT, 0, 2, 0, 0, 0, 0, 0, 0, TemplateText(kNoText)},
    {DI_TEXT, 0, 2, 0, 0, 0, 0, 0, 0, TemplateText(kNoText)},
    {DI_TEXT, 0, 3, 0, 0, 0, 0, DIF_SEPARATOR | DIF_BOXCOLOR, 0, TemplateText(kNoText)},
    {DI_BUTTON, 0, 4, 0, 0, 0, 0, DIF_CENTERGROUP, 0, MCtlPrevious},
    {DI_BUTTON, 0, 4, 0, 0, 0, 0, DIF_CENTERGROUP, 0, MCtlStart},
    {DI_BUTTON, 0, 4, 0, 0, 0, 0, DIF_CENTERGROUP, 0, MCtlPlay},
    {DI_BUTTON, 0, 4, 0, 0, 0, 0, DIF_CENTERGROUP, 0, MCtlPause},
    {DI_BUTTON, 0, 4, 0, 0, 0, 0, DIF_CENTERGROUP, 0, MCtlStop},
    {DI_BUTTON, 0, 4, 0, 0, 0, 0, DIF_CENTERGROUP, 0, MCtlNext},
    {DI_BUTTON, 0, 4, 0, 0, 0, 0, DIF_CENTERGROUP, 0, TemplateText(kTagButton)},
    {DI_BUTTON, 5, 6, 0, 0, 0, 0, 0, 0, MCtlForward},
    {DI_BUTTON, 13, 6, 0, 0, 0, 0, 0, 0, MCtlBack},
    {DI_BUTTON, 36, 6, 0, 0, 0, 0, 0, 0, MCtlOpenFiles},
    {DI_BUTTON, 43, 6, 0, 0, 0, 0, 0, 0, MCtlPlayerCommand},
};

// What a button sends. Commands that open a window of the player (its file
// box, its location box) are posted: a sent one would keep the host waiting
// until the user closed a box that a minimised player may not even show.
struct ControlButton {
  int Item;
  bool Ipc;  // IPC code with wParam 0, else a command
  UINT Code;
  bool Post;
};
const ControlButton kButtons[] = {
    {4, false, WINAMP_BUTTON1, false},      {5, true, IPC_STARTPLAY, false},
    {6, false, WINAMP_BUTTON2, false},      {7, false, WINAMP_BUTTON3, false},
    {8, false, WINAMP_BUTTON4, false},      {9, false, WINAMP_BUTTON5, false},
    {11, false, WINAMP_FFWD5S, false},      {12, false, WINAMP_REW5S, false},
    {13, false, WINAMP_FILE_PLAY, true},    {14, false, WINAMP_BUTTON2_CTRL, true},
};

void SendButton(HWND player, int item) {
  for (const ControlButton& button : kButtons) {
    if (button.Item != item) continue;
    if (button.Ipc) {
      SendPlayerIpc(player, static_cast<PlayerIpc>(button.Code));
    } else if (button.Post) {
      PostPlayerCommand(player, static_cast<PlayerCommand>(button.Code));
    } else {
      SendPlayerCommand(player, static_cast<PlayerCommand>(button.Code));
    }
    return;
  }
}

// The song line from the player's caption, in the console's code page.
void ReadSongLine(HWND player, long state, char* line, size_t size) {
  line[0] = '\0';
  int length = GetWindowTextLengthA(player);
  if (length <= 0) return;
  size_t captionSize = static_cast<size_t>(length) + 1;
  char* caption = static_cast<char*>(malloc(captionSize));
  if (caption == nullptr) return;
  int got = GetWindowTextA(player, caption, static_cast<int>(captionSize));
  if (got > 0) {
    size_t n = CutControlSongLine(caption, static_cast<size_t>(got), state, line, size);
    if (n > 0) CharToOemBuffA(line, line, static_cast<DWORD>(n));
  }
  free(caption);
}

// "&TAG": the tag editor on the player's current song, looked up in the
// playlist file the player writes (comment lines are not songs).
void EditCurrentSongTag(MELVOXPanel* panel) {
  if (!panel->LoadWinAMP()) return;
  panel->Song = SendPlayerIpc(panel->PlayerWindow, IPC_WRITEPLAYLIST) + 1;
  DebugLog << "\nMELVOXPanel::MELVOXcontrol: Get current song information, curent song="
           << panel->Song << LogFlush;
  panel->WaitForPlayer();
  ScopedFile file(CreateFileA(panel->PlaylistPath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.IsOpen()) {
    DebugLog << "\nMELVOXPanel::MELVOXcontrol: Can't open WinAMP playlist to read... }"
             << LogFlush;
    return;
  }
  LARGE_INTEGER size = {};
  ScopedFileView view;
  if (!GetFileSizeEx(file.Get(), &size) ||
      !view.Map(file.Get(), static_cast<unsigned long long>(size.QuadPart)))
    return;
  PlaylistLines lines(view.Data(), view.Size());
  const unsigned char* line = nullptr;
  size_t length = 0;
  int songLine = 0;
  while (lines.Next(&line, &length)) {
    size_t pathLength = 0;
    PlaylistLineKind kind = ClassifyPlaylistLine(line, length, &pathLength);
    if (kind == PlaylistComment) continue;
    if (++songLine != panel->Song) continue;
    if (kind == PlaylistTooLong) break;
    char name[MAX_PATH] = {};
    memcpy(name, line, pathLength);
    if (pathLength > 0) CharToOemBuffA(name, name, static_cast<DWORD>(pathLength));
    DebugLog << "\nMELVOXPanel::MELVOXcontrol: " << name << LogFlush;
    const char* names[] = {name};
    free(DoID3Tag(names, 1));
    break;
  }
}

}  // namespace

void MELVOXPanel::MELVOXcontrol() {
  if (HostInfo.Dialog == nullptr) return;
  DialogItemTemplate templates[kItemCount];
  memcpy(templates, kControlItems, sizeof templates);
  DWORD titleFlags = DIF_SETCOLOR | DIF_CENTERGROUP | (static_cast<DWORD>(Opt.TitleColor) & kColorMask);
  templates[kSongText].Flags = titleFlags;
  templates[kSongLength].Flags = titleFlags;

  for (;;) {
    // A player that is gone (or, never to be started, was never there) ends
    // the dialog; a restarted one is found under its new window.
    if (!LoadWinAMP() || (!IsWindow(PlayerWindow) && !FindPlayer())) return;
    int state = SendPlayerIpc(PlayerWindow, IPC_ISPLAYING);
    bool stopped = state == 0;
    if (stopped) {
      // Stepping onto the current song makes a stopped player's caption name it.
      int position = SendPlayerIpc(PlayerWindow, IPC_GETLISTPOS);
      if (position != 0) {
        SendPlayerIpc(PlayerWindow, IPC_SETPLAYLISTPOS, static_cast<WPARAM>(position - 1));
        SendPlayerCommand(PlayerWindow, WINAMP_BUTTON5);
      } else {
        SendPlayerCommand(PlayerWindow, WINAMP_BUTTON1_CTRL);
      }
    }
    char song[kSongTextSize];
    ReadSongLine(PlayerWindow, static_cast<long>(state), song, sizeof song);
    char length[kLengthTextSize] = "";
    if (!stopped) FormatSongLength(length);

    // Built afresh for every showing: the host writes its decorations back.
    templates[kStatusFrame].Data = static_cast<uintptr_t>(ControlStatusMessage(static_cast<long>(state)));
    templates[kSongText].Data = TemplateText(song);
    templates[kSongLength].Data = TemplateText(length);
    FarDialogItem items[kItemCount];
    memset(items, 0, sizeof items);
    ExpandDialogItems(templates, items, kItemCount);
    // A stored item number the dialog does not have focuses the default one.
    int focus = Opt.LastButton >= 0 && Opt.LastButton < kItemCount ? Opt.LastButton
                                                                    : kDefaultOptions.LastButton;
    items[focus].Focus = 1;

    int result = HostInfo.Dialog(HostInfo.ModuleNumber, -1, -1, kDialogWidth, kDialogHeight,
                                 "MELVOXcontrol", items, kItemCount);
    if (result < 0) return;
    Opt.LastButton = result;
    WriteSettingDword(HKEY_CURRENT_USER, "", "LastButton", static_cast<DWORD>(result));
    LoadWinAMP();
    if (result == kTagItem) {
      EditCurrentSongTag(this);
    } else {
      ScopedWaitMessage wait(MCtlWait);
      SendButton(PlayerWindow, result);
    }
  }
}
