// The panel's description for the host (GetOpenPluginInfo) and the live
// information lines it carries.
#include "panel/MELVOXPanel.h"

#include "control/InfoLines.h"
#include "control/Marquee.h"
#include "link/PlayState.h"
#include "link/PlayerMessages.h"
#include "link/PlayerVersion.h"
#include "panel/TitlesCache.h"
#include "plugin/CallDepth.h"
#include "plugin/DebugLog.h"
#include "plugin/HostInfo.h"
#include "plugin/LangMessages.h"
#include "plugin/Options.h"
#include "plugin/TextBuffer.h"
#include "plugin/ViewModes.h"

#include <string.h>

namespace {

// IPC_GETINFO arguments.
constexpr WPARAM kInfoSampleRate = 0;
constexpr WPARAM kInfoBitRate = 1;
constexpr WPARAM kInfoChannels = 2;

// Flags every panel of the plug-in has: filter and sort groups, real file
// names (the host's own F3/F4/F5 work on the songs), names without paths.
constexpr DWORD kAlwaysFlags = OPIF_USEFILTER | OPIF_USESORTGROUPS | OPIF_REALNAMES | OPIF_SHOWNAMESONLY;

const char kFormat[] = "MELVOX";
const char kPanelTitle[] = " MELVOX ";
const char kUnknown[] = "???";

void SetData(int line, const char* text) {
  CopyText(InfoLines[line].Data, sizeof InfoLines[line].Data, text);
}

int StatusMessage(LRESULT status) {
  switch (status) {
    case PLAYER_STOPPED: return MInfoStopped;
    case PLAYER_PLAYING: return MInfoPlaying;
    case PLAYER_PAUSED: return MInfoPaused;
    default: return MInfoUnknownStatus;
  }
}

const void* AsHandle(const void* p) { return p; }

}  // namespace

void MELVOXPanel::GetOpenPluginInfo(OpenPluginInfo* Info) {
  if (Info != nullptr) {
    // Fields this panel does not use get null or 0, not the host's bytes.
    memset(Info, 0, sizeof *Info);
    Info->StructSize = sizeof *Info;
    Info->Flags = kAlwaysFlags | (Opt.AddDots ? static_cast<DWORD>(OPIF_ADDDOTS) : 0u) |
                  (Opt.UseHighLighting ? static_cast<DWORD>(OPIF_USEHIGHLIGHTING) : 0u) |
                  (Opt.UseAttrHighLighting ? static_cast<DWORD>(OPIF_USEATTRHIGHLIGHTING) : 0u);
    Info->CurDir = "";
    Info->Format = kFormat;
    Info->PanelTitle = kPanelTitle;
    Info->InfoLines = InfoLines;
    Info->InfoLinesNumber = kInfoLinesNumber;
    Info->PanelModesArray = PanelModes;
    Info->PanelModesNumber = static_cast<int>(kPanelModesNumber);
    Info->StartPanelMode = Opt.StartPanelMode;
    Info->StartSortMode = SM_UNSORTED;
    Info->KeyBar = &KeyBar;
  }
  // The host asks several times per redraw: without a refresh asked for,
  // the player is not bothered at all; nor by the host's questions inside
  // the update a refresh itself sent.
  if (InfoRefresh == 0 || SendingTitleUpdate != 0) return;
  RefreshInfoLines();
}

void MELVOXPanel::RefreshInfoLines() {
  LastInfoRefresh = PanelClock();
  MarqueeStep(InfoLines[kInfoLineTitle].Text, sizeof InfoLines[kInfoLineTitle].Text, &InfoMarquee);

  if (!FindPlayer()) {
    for (int line = kInfoLinePlayerVersion; line < kInfoLinesNumber; ++line) SetData(line, kUnknown);
    InfoRefresh = 0;
    return;
  }
  if (InfoLines[kInfoLinePlayerVersion].Data[0] == '?') {
    InfoPanelLine& version = InfoLines[kInfoLinePlayerVersion];
    FormatPlayerVersion(PlayerVersion, version.Data, sizeof version.Data);
  }

  int status = SendPlayerIpc(PlayerWindow, IPC_ISPLAYING);
  SetData(kInfoLineStatus, GetMsg(StatusMessage(status)));
  int length = SendPlayerIpc(PlayerWindow, IPC_GETLISTLENGTH);
  InfoPanelLine& count = InfoLines[kInfoLineListLength];
  FormatText(count.Data, sizeof count.Data, "%i", length);
  if (length == 0) {
    for (int line = kInfoLinePosition; line < kInfoLinesNumber; ++line) SetData(line, "");
    InfoRefresh = 0;
    return;
  }

  int previous = Song;
  Song = SendPlayerIpc(PlayerWindow, IPC_GETLISTPOS) + 1;
  InfoPanelLine& position = InfoLines[kInfoLinePosition];
  FormatText(position.Data, sizeof position.Data, "%i", Song);
  // A Song outside the store names no entry.
  bool titled = Song != previous && Song >= 1 && Song <= ItemsNumber && Items != nullptr &&
                TitleCurrentSong(status);
  // The length always belongs to the song now playing, also right after a
  // change of song.
  FormatSongLength(InfoLines[kInfoLineSongLength].Data);

  if (status == PLAYER_PLAYING || status == PLAYER_PAUSED) {
    bool mono = SendPlayerIpc(PlayerWindow, IPC_GETINFO, kInfoChannels) == 1;
    SetData(kInfoLineChannels, GetMsg(mono ? MInfoMono : MInfoStereo));
    InfoPanelLine& rate = InfoLines[kInfoLineSampleRate];
    FormatText(rate.Data, sizeof rate.Data, "%i kHz",
               SendPlayerIpc(PlayerWindow, IPC_GETINFO, kInfoSampleRate));
    InfoPanelLine& bits = InfoLines[kInfoLineBitRate];
    FormatText(bits.Data, sizeof bits.Data, "%i kBps",
               SendPlayerIpc(PlayerWindow, IPC_GETINFO, kInfoBitRate));
  } else {
    SetData(kInfoLineChannels, kUnknown);
    SetData(kInfoLineSampleRate, "??? kHz");
    SetData(kInfoLineBitRate, "??? kBps");
  }
  // Done before the update that shows the new title: the host asks for the
  // description again inside it, and those calls must find nothing to do.
  InfoRefresh = 0;
  if (titled) RequestPanelUpdate();
}

bool MELVOXPanel::TitleCurrentSong(LRESULT status) {
  PluginPanelItem* item = &Items[Song - 1];
  if (item->Description != nullptr && item->Description[0] != '\0') return false;

  TitleEntry* cached =
      TitlesCacheObject != nullptr ? TitlesCacheObject->FindTitle(item->FindData.cFileName) : nullptr;
  if (cached != nullptr) {
    item->Description = cached->Title;
    item->Owner = cached->Length;
    return true;
  }
  if (status != PLAYER_PLAYING) return false;

  char* title = nullptr;
  char* songLength = nullptr;
  if (!AllocSongTitleFromCaption(Song, &title, &songLength)) return false;
  DebugLog << "\nMELVOXPanel::GetOpenPluginInfo: handle=" << AsHandle(this)
           << "\nMELVOXPanel::GetOpenPluginInfo: Play file title: \"" << title << "\"" << LogFlush;
  return KeepTitle(item, title, songLength);
}

void MELVOXPanel::RequestPanelUpdate() {
  // Listing the panel again from inside another call of this plug-in (the
  // host asks for the description inside FCTL_UPDATEPANEL, FCTL_REDRAWPANEL
  // and FCTL_GETPANELINFO) would re-enter the host's panel code; before the
  // first listing there is nothing to update yet.
  if (NestedInPluginCall() || Listed == 0) {
    UpdatePending = 1;
    return;
  }
  UpdatePending = 0;
  // The listing inside the update asks for new lines, as every listing
  // does; but the lines are as fresh as this title, so only a listing with
  // work of its own (a rebuild, or song files to check) keeps that request.
  // One song change, one round of questions to the player.
  int refresh = InfoRefresh;
  bool listingWorks = ReloadFromPlayer != 0 || ItemsVerified == 0;
  SendingTitleUpdate = 1;
  // This panel by its own handle: INVALID_HANDLE_VALUE would be the active
  // panel, which may be the other one. The update does not repaint.
  HostControl(this, FCTL_UPDATEPANEL, reinterpret_cast<void*>(1));
  HostControl(this, FCTL_REDRAWPANEL, nullptr);
  SendingTitleUpdate = 0;
  if (!listingWorks) InfoRefresh = refresh;
}

void MELVOXPanel::SendPendingUpdate() {
  if (UpdatePending != 0) RequestPanelUpdate();
}
