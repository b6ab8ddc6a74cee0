// The control dialog: the player's transport buttons and the current song's
// details, opened from the plug-ins menu, the editor or the viewer.
#include "panel/MELVOXPanel.h"

int MELVOXPanel::MELVOXcontrol() {
  // Not built yet: nothing is shown, as if closed at once.
  return -1;
}
