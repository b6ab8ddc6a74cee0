#include "plugin/ConfigDialogs.h"

// Not built yet: nothing is shown and nothing changes.
int ConfigureOptions() { return 0; }

int ConfigureViewModes() { return 0; }
