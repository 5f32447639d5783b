// The one seam between the product and the operating system. The product
// calls the Windows file and registry services by their Windows names; on
// Windows they are the real ones, elsewhere posix.h declares stand-ins with
// the same names, types and results.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "posix.h"
#endif
