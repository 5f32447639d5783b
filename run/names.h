// Names as either host hands them: backslash-separated, in its code page
// or in UTF-16. One code for both character types.
#pragma once

#include "../platform/platform.h"

#include <cstring>
#include <string>

template <class Char> size_t TextLength(const Char *text)
{
    return std::char_traits<Char>::length(text);
}

// The text after the last backslash of name, or all of name.
template <class Char> const Char *LastComponent(const Char *name)
{
    const Char *last = name;
    for (const Char *at = name; *at; at++)
        if (*at == '\\')
            last = at + 1;
    return last;
}

// True for the "." and ".." entries, which name no file of their own.
template <class Char> bool IsDotEntry(const Char *name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// A drive letter and ":\", a network or \\?\ path, or a path from the root
// of the current drive: an item named so is taken as it stands (the host's
// temporary panel, where "Find file" puts what it found).
template <class Char> bool IsFullPath(const Char *name)
{
    bool drive = ((name[0] | 0x20) >= 'a' && (name[0] | 0x20) <= 'z') && name[1] == ':' && name[2] == '\\';
    return drive || name[0] == '\\';
}

inline bool IsLinkedFolder(DWORD attributes)
{
    const DWORD linkedDir = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    return (attributes & linkedDir) == linkedDir;
}

// Whether a panel's items are files on disk: a plugin's panel (an archive,
// a remote site) shows names that are not, unless it says they are real.
inline bool ShowsFilesOnDisk(bool filePanel, bool pluginPanel, bool realNames)
{
    return filePanel && (!pluginPanel || realNames);
}

// Where the rest of path starts when it lies inside folder (folder, then a
// backslash unless folder ends in one); 0 when it does not. Letters of the
// ASCII range compare in any case, as the file system compares them.
template <class Char> size_t InsideFolder(const Char *path, const Char *folder)
{
    size_t length = TextLength(folder);
    if (length == 0)
        return 0;
    for (size_t i = 0; i < length; i++) {
        Char a = path[i], b = folder[i];
        if (a != b && ((a | 0x20) != (b | 0x20) || (a | 0x20) < 'a' || (a | 0x20) > 'z'))
            return 0;
    }
    if (folder[length - 1] == '\\')
        return path[length] ? length : 0;
    return path[length] == '\\' && path[length + 1] ? length + 1 : 0;
}

// Copies the text of a field of size characters into out (as large), cut
// short if the field holds no terminator; false then. A name that fills
// its whole field has no end (today's host hands over names too long for
// the field that way): it is refused, never read past.
template <class Char> bool CopyName(const Char *field, size_t size, Char *out)
{
    size_t length = 0;
    while (length < size && field[length])
        length++;
    bool whole = length < size;
    if (!whole)
        length = size - 1;
    memcpy(out, field, length * sizeof(Char));
    out[length] = 0;
    return whole;
}
