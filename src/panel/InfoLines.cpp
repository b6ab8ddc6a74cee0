#include "panel/InfoLines.h"

InfoPanelLine InfoLines[kInfoLinesNumber];
