// Keys on the panel.
#include "panel/MELVOXPanel.h"

int MELVOXPanel::ProcessKey(int /*Key*/, unsigned int /*ControlState*/) {
  // No key of the plug-in's own yet: the host runs its commands.
  return 0;
}
