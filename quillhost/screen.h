// The stand-in host's text drawing of the dialog and the working box.
#pragma once

#include "host/plugin.h"

#include <string>

// The dialog as the host shows it, width by height cells.
std::string DrawDialog(int width, int height, const FarDialogItem *items, int count);

// A message box: the first line is the title in the frame.
std::string DrawMessage(const char *const *lines, int count);
