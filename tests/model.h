// The reference the converter is measured against: whole-stream pairing, a
// byte at a time, as plainly as it can be written.
#pragma once

#include "platform/platform.h"

#include <string>

std::string ModelConvert(const std::string &in, DWORD mode);
