// The keyboard of the tests: no console to type into under Wine, so Esc is
// pressed by script, at the module's first look once enough files are done.
#include "keyboard_script.h"
#include "far3/keyboard.h"
#include "far3/walk.h"

long EscapeOnceDone = -1;

bool EscapePressed()
{
    if (EscapeOnceDone < 0 || Run.done < (size_t)EscapeOnceDone)
        return false;
    EscapeOnceDone = -1;
    return true;
}
