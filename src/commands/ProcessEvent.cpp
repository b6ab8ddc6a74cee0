// Panel events: the cursor put on the current song after a rebuild, and the
// information lines kept current while the user is idle.
#include "panel/MELVOXPanel.h"

#include "plugin/CallDepth.h"
#include "plugin/HostInfo.h"
#include "plugin/Options.h"

namespace {

// PanelClock runs in hundredths of a second.
constexpr DWORD kRefreshInterval = 100;  // a second between refreshes
// A host that sent FE_IDLE this recently refreshes the lines through it.
constexpr DWORD kIdleMemory = 300;

bool IdleSeen = false;
DWORD LastIdle = 0;

bool HostSendsIdle() { return IdleSeen && PanelClock() - LastIdle < kIdleMemory; }

}  // namespace

int MELVOXPanel::ProcessEvent(int Event, void* /*Param*/) {
  switch (Event) {
    case FE_REDRAW:
      PlaceCursorOnSong();
      [[fallthrough]];
    case FE_GOTFOCUS:
      // The later host never idles: without this the lines would freeze
      // while the music plays. Its redraws and focus changes refresh them,
      // at most once a second.
      if (InfoRefresh == 0 && !HostSendsIdle() && PanelClock() - LastInfoRefresh >= kRefreshInterval)
        InfoRefresh = 1;
      if (!NestedInPluginCall()) SendPendingUpdate();
      break;
    case FE_IDLE:
      IdleSeen = true;
      LastIdle = PanelClock();
      if (InfoRefresh == 0) {
        // The redraws make the host ask for the description again, which
        // recomputes the lines.
        InfoRefresh = 1;
        HostControl(this, FCTL_REDRAWPANEL, nullptr);
        HostControl(this, FCTL_REDRAWANOTHERPANEL, nullptr);
      }
      if (!NestedInPluginCall()) SendPendingUpdate();
      break;
    default:
      break;
  }
  return 0;
}

void MELVOXPanel::PlaceCursorOnSong() {
  if (RedrawCountdown != kCursorAwaitsRedraw) return;
  // Waits while the host holds no entries: the next listing may bring some.
  if (ListedItems <= 0) return;
  RedrawCountdown = kCursorPlaced;
  // A position outside what the host holds names no entry.
  if (Song < 1 || Song > ListedItems) return;
  PanelRedrawInfo target;
  target.CurrentItem = Opt.AddDots ? Song : Song - 1;  // ".." is item 0
  target.TopPanelItem = 0;
  HostControl(this, FCTL_REDRAWPANEL, &target);
}
