// The reference the converter is measured against: whole-stream pairing, a
// byte at a time, as plainly as it can be written.
#pragma once

#include "platform/platform.h"

#include <string>

std::string ModelConvert(const std::string &in, DWORD mode);

// What the wide module makes of a whole file: UTF-16 text with its mark in
// its units, other text in bytes, and a binary file (a NUL byte, or the
// UTF-32 mark) as it was unless binaryToo.
std::string ModelConvertFile(const std::string &in, DWORD mode, bool binaryToo);
