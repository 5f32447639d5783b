#include "keyboard.h"

#include <windows.h>

bool EscapePressed()
{
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    INPUT_RECORD record;
    DWORD got = 0;
    bool escape = false;
    while (PeekConsoleInputW(input, &record, 1, &got) && got == 1) {
        if (!ReadConsoleInputW(input, &record, 1, &got))
            break;
        const KEY_EVENT_RECORD &key = record.Event.KeyEvent;
        escape = escape || (record.EventType == KEY_EVENT && key.bKeyDown && key.wVirtualKeyCode == VK_ESCAPE);
    }
    return escape;
}
