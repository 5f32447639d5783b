// The stand-in host's text drawing of dialogs and message boxes.
#pragma once

#include "scenario.h"

#include <string>
#include <vector>

// The dialog as the host shows it, width by height cells.
std::string DrawDialog(int width, int height, const std::vector<DrawnItem> &items);

// A message box: the first line is the title in the frame.
std::string DrawMessage(const std::vector<std::string> &lines);
