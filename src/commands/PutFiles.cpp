// Files put onto the panel and the results of Find File.
#include "panel/MELVOXPanel.h"

int MELVOXPanel::PutFiles(PluginPanelItem* /*PanelItem*/, int /*ItemsNumber*/, int /*Move*/,
                          int /*OpMode*/) {
  // Not built yet: nothing is added.
  return 0;
}

int MELVOXPanel::SetFindList(const PluginPanelItem* /*PanelItem*/, int /*ItemsNumber*/) {
  // Not built yet: the list is refused and the host closes the instance.
  return 0;
}
