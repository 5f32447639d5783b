#include "walk.h"

#include <cstring>

static bool Append(char *out, size_t &length, const char *text)
{
    size_t more = strlen(text);
    if (length + more >= MAX_PATH)
        return false;
    memcpy(out + length, text, more + 1);
    length += more;
    return true;
}

// A path that does not fit is refused whole: cut short it would name a
// different file, perhaps an existing one.
bool JoinPath(const char *dir, const char *name, char *out)
{
    size_t length = 0;
    out[0] = '\0';
    if (dir[0] == '\0')
        return Append(out, length, name);
    if (!Append(out, length, dir))
        return false;
    if (out[length - 1] != '\\' && !Append(out, length, "\\"))
        return false;
    return Append(out, length, LastComponent(name));
}
