#include "link/PlayerLink.h"

#include "link/PlayerMessages.h"
#include "link/SongLength.h"
#include "panel/MELVOXPanel.h"
#include "panel/PlaylistText.h"
#include "panel/TitlesCache.h"
#include "plugin/DialogTemplate.h"
#include "plugin/HostInfo.h"
#include "plugin/LangMessages.h"
#include "plugin/Options.h"
#include "plugin/Settings.h"
#include "plugin/TextBuffer.h"

#include <stdlib.h>
#include <string.h>

void(WINAPI* PlayerSleep)(DWORD ms) = Sleep;

namespace {

constexpr DWORD kPollMilliseconds = 1000;
constexpr int kEndlessWaitTime = 99;

const char kNoText[] = "";

// The wait dialog: three lines of explanation, the wait time in a two-digit
// field, and the buttons to keep waiting (default) or give up.
enum WaitItem { kWaitTimeField = 6, kKeepWaitingButton = 8, kWaitItemCount = 10 };
const DialogItemTemplate kWaitItems[kWaitItemCount] = {
    {DI_DOUBLEBOX, 3, 1, 66, 9, 0, 0, 0, 0, MWaitTitle},
    {DI_TEXT, 5, 2, 0, 0, 0, 0, DIF_CENTERGROUP, 0, MWaitLine1},
    {DI_TEXT, 5, 3, 0, 0, 0, 0, DIF_CENTERGROUP, 0, MWaitLine2},
    {DI_TEXT, 5, 4, 0, 0, 0, 0, DIF_CENTERGROUP, 0, MWaitLine3},
    {DI_TEXT, 5, 5, 0, 0, 0, 0, DIF_SEPARATOR | DIF_BOXCOLOR, 0, TemplateText(kNoText)},
    {DI_TEXT, 9, 6, 0, 0, 0, 0, 0, 0, MWaitSeconds},
    {DI_FIXEDIT, 6, 6, 7, 0, 1, 0, 0, 0, TemplateText(kNoText)},
    {DI_TEXT, 5, 7, 0, 0, 0, 0, DIF_SEPARATOR | DIF_BOXCOLOR, 0, TemplateText(kNoText)},
    {DI_BUTTON, 0, 8, 0, 0, 0, 0, DIF_CENTERGROUP, 1, MOk},
    {DI_BUTTON, 0, 8, 0, 0, 0, 0, DIF_CENTERGROUP, 0, MGiveUp},
};

}  // namespace

bool FindPlayerWindow(HWND* window, DWORD* version) {
  *window = FindWindowA(PLAYER_WINDOW_CLASS, nullptr);
  if (*window == nullptr) {
    *version = 0;
    return false;
  }
  *version = static_cast<DWORD>(SendPlayerIpc(*window, IPC_GETVERSION));
  return true;
}

bool WaitForPlayerWindow(HWND* window, DWORD* version) {
  NormalizeWaitTime(false);
  for (;;) {
    FindPlayerWindow(window, version);
    if (Opt.NoWinAMPStartup != 0) {
      if (*version == 0) {
        PlayerSleep(kPollMilliseconds);
        FindPlayerWindow(window, version);
      }
    } else {
      for (int n = Opt.WaitTime; *version == 0 && n > 0; --n) {
        PlayerSleep(kPollMilliseconds);
        FindPlayerWindow(window, version);
      }
    }
    if (*version != 0) return true;
    if (!WaitDialog()) return false;
  }
}

bool WaitDialog() {
  if (Opt.NoWinAMPStartup != 0) return false;
  if (Opt.WaitTime == kEndlessWaitTime) return true;
  if (HostInfo.Dialog == nullptr) return false;

  FarDialogItem items[kWaitItemCount];
  ExpandDialogItems(kWaitItems, items, kWaitItemCount);
  FormatText(items[kWaitTimeField].Data, sizeof items[kWaitTimeField].Data, "%d", Opt.WaitTime);
  int result = HostInfo.Dialog(HostInfo.ModuleNumber, -1, -1, 70, 11, "MELVOXWait", items,
                               kWaitItemCount);
  // Whatever was typed is taken, also after Esc; text that is no number
  // reads as 0 and so becomes 10.
  // strtol, unlike atoi, stays defined on an overflowing number.
  long typed = strtol(items[kWaitTimeField].Data, nullptr, 10);
  Opt.WaitTime = typed >= 0 && typed <= kEndlessWaitTime ? static_cast<int>(typed) : 0;
  NormalizeWaitTime(true);
  return result == kKeepWaitingButton;
}

char* FormatPlayerSongLength(HWND window, char* buffer) {
  int seconds = SendPlayerIpc(window, IPC_GETOUTPUTTIME, 1);
  FormatLengthText(seconds, buffer, kSongLengthTextSize);
  return buffer;
}

bool MELVOXPanel::FindPlayer() { return FindPlayerWindow(&PlayerWindow, &PlayerVersion); }

bool MELVOXPanel::WaitForPlayer() { return WaitForPlayerWindow(&PlayerWindow, &PlayerVersion); }

char* MELVOXPanel::FormatSongLength(char* buffer) {
  return FormatPlayerSongLength(PlayerWindow, buffer);
}

char* MELVOXPanel::AllocSongLength() {
  char* text = static_cast<char*>(malloc(kSongLengthTextSize));
  return text != nullptr ? FormatSongLength(text) : nullptr;
}

bool MELVOXPanel::AllocCaptionTitle(const char* caption, size_t start, size_t length, char** title,
                                    char** songLength) {
  *title = static_cast<char*>(malloc(length + 1));
  *songLength = *title != nullptr ? AllocSongLength() : nullptr;
  if (*songLength == nullptr) {
    free(*title);
    *title = nullptr;
    return false;
  }
  memcpy(*title, caption + start, length);
  (*title)[length] = '\0';
  CharToOemA(*title, *title);
  return true;
}

bool MELVOXPanel::AllocSongTitleFromCaption(int song, char** title, char** songLength) {
  *title = nullptr;
  *songLength = nullptr;
  int captionLength = GetWindowTextLengthA(PlayerWindow);
  if (captionLength <= 0) return false;
  size_t captionSize = static_cast<size_t>(captionLength) + 2;
  char* caption = static_cast<char*>(malloc(captionSize));
  if (caption == nullptr) return false;
  int got = GetWindowTextA(PlayerWindow, caption, static_cast<int>(captionSize));
  size_t start = 0;
  size_t length = 0;
  bool titled = got > 0 &&
                FindSongCaptionTitle(caption, static_cast<size_t>(got), song, &start, &length) &&
                AllocCaptionTitle(caption, start, length, title, songLength);
  free(caption);
  return titled;
}

bool MELVOXPanel::KeepTitle(PluginPanelItem* item, char* title, char* songLength) {
  CachedTitle kept = CacheTitle(TitlesCacheObject, item->FindData.cFileName, title, songLength);
  item->Description = kept.Title;
  item->Owner = kept.Length;
  return kept.Title != nullptr;
}
