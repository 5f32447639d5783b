// One pass over a host's listing of a folder's whole subtree: every file
// is taken once, each folder link met is named, and nothing below a link is
// touched (it may lead out of the selection, or back to an ancestor).
// Either host lists a subtree so; the names differ by form only (from the
// folder's parent, or full paths).
#pragma once

#include "names.h"

// A listed entry as the pass needs it: its name (length characters, not
// necessarily terminated in the host's field), its attributes, and whether
// it is a link to a folder (a folder whose reparse point leads to another
// name; a synchronised folder's placeholder is a plain folder).
template <class Char> struct ListedName {
    const Char *name;
    size_t length;
    DWORD attributes;
    bool link;
};

// The folder links of one listing, by name; the caller gives the room.
template <class Char> class LinkFence {
public:
    LinkFence(const Char **names, size_t *lengths, size_t room) : names(names), lengths(lengths), room(room) {}

    // Keeps every link among count entries; false when they do not fit.
    template <class EntryAt> bool KeepLinks(size_t count, EntryAt entryAt)
    {
        kept = 0;
        for (size_t i = 0; i < count; i++) {
            ListedName<Char> entry = entryAt(i);
            if (!entry.link)
                continue;
            if (kept == room)
                return false;
            names[kept] = entry.name;
            lengths[kept++] = entry.length;
        }
        return true;
    }

    bool Below(const ListedName<Char> &entry) const
    {
        for (size_t i = 0; i < kept; i++)
            if (entry.length > lengths[i] && entry.name[lengths[i]] == '\\' &&
                memcmp(entry.name, names[i], lengths[i] * sizeof(Char)) == 0)
                return true;
        return false;
    }

private:
    const Char **names;
    size_t *lengths;
    size_t room, kept = 0;
};

enum class Listed {
    File,
    Link,
};

// Hands visit(i, what) each file and each link of the listing that lies
// below no link, in the listing's order, until visit returns false. False,
// with nothing visited, when the links do not fit the fence.
template <class Char, class EntryAt, class Visit>
bool PassOverSubtree(LinkFence<Char> &fence, size_t count, EntryAt entryAt, Visit visit)
{
    if (!fence.KeepLinks(count, entryAt))
        return false;
    for (size_t i = 0; i < count; i++) {
        ListedName<Char> entry = entryAt(i);
        if (fence.Below(entry) || (!entry.link && (entry.attributes & FILE_ATTRIBUTE_DIRECTORY)))
            continue;
        if (!visit(i, entry.link ? Listed::Link : Listed::File))
            break;
    }
    return true;
}
