#include "walk.h"

#include <cstring>

RunReport Unconverted;

void ClearReport()
{
    Unconverted.count = 0;
}

void Report(const char *path, Outcome outcome)
{
    if (outcome == Converted || outcome == LeftAlone)
        return;
    if (Unconverted.count < ReportedEntries) {
        UnconvertedEntry &entry = Unconverted.first[Unconverted.count];
        size_t length = strnlen(path, sizeof entry.path - 1);
        memcpy(entry.path, path, length);
        entry.path[length] = '\0';
        entry.why = outcome;
    }
    Unconverted.count++;
}
