#pragma once

// Esc is pressed at the module's first look at the keyboard once this many
// files are done; -1: never.
extern long EscapeOnceDone;
