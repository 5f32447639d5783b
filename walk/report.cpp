#include "walk.h"

#include <cstring>

RunReport Unconverted;

// A name that fills its whole field has no end (today's host hands over
// names too long for the field that way): it is refused, never read past.
bool CopyName(const char *field, size_t size, char *out)
{
    size_t length = strnlen(field, size);
    bool whole = length < size;
    if (!whole)
        length = size - 1;
    memcpy(out, field, length);
    out[length] = '\0';
    return whole;
}

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
        CopyName(path, sizeof entry.path, entry.path);
        entry.why = outcome;
    }
    Unconverted.count++;
}
