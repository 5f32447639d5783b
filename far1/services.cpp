#include "services.h"

PluginStartupInfo HostInfo;
// Starts set, so nothing reaches the host's services before a supported
// startup record has been kept.
bool HostUnsupported = true;
