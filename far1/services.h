// The module's hold on the host: the kept startup record, through which every
// host service is reached, and whether the host is one the module serves.
// The exports fill it; everything else only reads it.
#pragma once

#include "plugin.h"

extern PluginStartupInfo HostInfo;
extern bool HostUnsupported;
