#include "plugin/Options.h"

Options Opt = kDefaultOptions;
