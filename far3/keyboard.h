// The keyboard while a run works: the host has no service that tells of a
// key pressed, so the module reads the console's input itself.
#pragma once

// Takes every pending input record off the console (the host would read
// them as keys pressed in the panels afterwards) and tells whether Esc was
// pressed among them.
bool EscapePressed();
