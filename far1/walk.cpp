// The depth-first walk. Each level holds its own listing and child path
// until its subtree is done; the host's listing is the only source of
// entries, and every listing is handed back. Before anything is converted
// or walked, the module checks that the name leads to the entry the host
// described: a name can reach it changed.
#include "walk.h"
#include "services.h"
#include "../engine/rewrite.h"
#include "../run/choices.h"
#include "../run/listing.h"

#include <cstring>

RunReport<FixedPath> Unconverted;

// Walked folder by folder, a listing's entries are taken only where they lie
// directly inside the listed folder: a plain name, or, in the real host's
// whole-subtree form ("DIR2\x", "DIR2\SUB\y"), one backslash deep. The
// deeper ones are reached from their own folder.
static bool IsDirectChild(const char *name)
{
    const char *slash = strchr(name, '\\');
    return !slash || !strchr(slash + 1, '\\');
}

static void WalkDirectory(const char *path, bool &listed);

// A name the host could not hand over whole holds a "?"; one that another
// entry's name turns into may be that entry's. Either is reached by its
// short name, if it has one.
static Outcome CheckListedFolder(const char *path, const FAR_FIND_DATA &entry)
{
    return strchr(path, '?') ? NameUnusable : CheckFolder(path, entry.ftCreationTime);
}

static Outcome Visit(const char *path, const FAR_FIND_DATA &entry)
{
    if (NameInDoubt(path))
        return NameUnusable;
    if (Settings.ProcessSubDir && (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Outcome outcome = CheckListedFolder(path, entry);
        bool listed = true;
        if (outcome == Converted)
            WalkDirectory(path, listed);
        return listed ? outcome : NotListed;
    }
    FileIdentity identity = {entry.nFileSizeHigh, entry.nFileSizeLow, entry.ftCreationTime, entry.ftLastWriteTime};
    return RewriteFile(path, &identity);
}

// The path with its last component replaced by the entry's short name,
// which is plain ASCII where the volume keeps one.
static bool ShortPath(const char *path, const FAR_FIND_DATA &entry, char *out)
{
    char shortName[sizeof entry.cAlternateFileName], folder[MAX_PATH];
    if (!CopyName(entry.cAlternateFileName, sizeof shortName, shortName) || !shortName[0])
        return false;
    size_t length = (size_t)(LastComponent(path) - path);
    memcpy(folder, path, length);
    folder[length] = '\0';
    return JoinPath(folder, shortName, out);
}

// Converts or walks the entry at path (joined: false when no path could be
// made of its name), falling back on its short name, and reports the outcome.
static void ProcessAt(const char *path, bool joined, const char *name, const FAR_FIND_DATA &entry, bool listed)
{
    char shortPath[MAX_PATH];
    Outcome outcome = PathTooLong;
    // A directory link met inside the walk is not followed: it may lead out
    // of the selection, or back to an ancestor. A selected link still is.
    if (joined && listed && Settings.ProcessSubDir && IsLinkedFolder(entry.dwFileAttributes) &&
        LinksToAnotherName(path))
        outcome = ALink;
    else if (joined)
        outcome = Visit(path, entry);
    if (outcome == NameUnusable && ShortPath(path, entry, shortPath))
        outcome = Visit(shortPath, entry);
    Report(Unconverted, joined ? path : name, outcome);
}

// listed: the entry comes from a listing of dir, not from the panel.
static void Process(const char *dir, const FAR_FIND_DATA &entry, bool listed)
{
    char name[MAX_PATH], path[MAX_PATH];
    bool whole = CopyName(entry.cFileName, sizeof entry.cFileName, name);
    if (IsDotEntry(LastComponent(name)) || (listed && !IsDirectChild(name)))
        return;
    ProcessAt(path, whole && JoinPath(dir, name, path), name, entry, listed);
}

void ProcessEntry(const char *dir, const FAR_FIND_DATA &entry)
{
    Process(dir, entry, false);
}

// The real host lists the whole subtree of a folder, naming each entry from
// the folder's parent ("DIR2\x", "DIR2\SUB\y"). Such a listing is converted
// in one pass, each file at its full path, without listing the subfolders
// again. A listing with more links than are kept is walked folder by folder.
enum : int {
    KeptLinks = 64,
};

static bool IsSubtreeListing(const PluginPanelItem *items, int count)
{
    for (int i = 0; i < count; i++)
        if (memchr(items[i].FindData.cFileName, '\\', strnlen(items[i].FindData.cFileName, MAX_PATH)))
            return true;
    return false;
}

// parent\name in full, where name starts with the listed folder's own name.
static bool JoinUnder(const char *path, const char *name, char *out)
{
    const char *own = LastComponent(path);
    size_t parent = (size_t)(own - path), ownLength = strlen(own), nameLength = strlen(name);
    if (strncmp(name, own, ownLength) != 0 || name[ownLength] != '\\' || parent + nameLength >= MAX_PATH)
        return false;
    memcpy(out, path, parent);
    memcpy(out + parent, name, nameLength + 1);
    return true;
}

static bool ConvertSubtree(const char *path, const PluginPanelItem *items, int count)
{
    static const char *linkNames[KeptLinks];
    static size_t linkLengths[KeptLinks];
    LinkFence<char> fence(linkNames, linkLengths, KeptLinks);
    auto entryAt = [path, items](size_t i) {
        const FAR_FIND_DATA &entry = items[i].FindData;
        char name[MAX_PATH], full[MAX_PATH];
        bool link = IsLinkedFolder(entry.dwFileAttributes) &&
                    (!CopyName(entry.cFileName, sizeof name, name) || !JoinUnder(path, name, full) ||
                     LinksToAnotherName(full));
        return ListedName<char>{entry.cFileName, strnlen(entry.cFileName, MAX_PATH), entry.dwFileAttributes, link};
    };
    return PassOverSubtree(fence, (size_t)count, entryAt, [path, items](size_t i, Listed) {
        const FAR_FIND_DATA &entry = items[i].FindData;
        char name[MAX_PATH], full[MAX_PATH];
        bool whole = CopyName(entry.cFileName, sizeof entry.cFileName, name);
        if (!IsDotEntry(LastComponent(name)))
            ProcessAt(full, whole && JoinUnder(path, name, full), name, entry, true);
        return true;
    });
}

static void WalkDirectory(const char *path, bool &listed)
{
    PluginPanelItem *items = nullptr;
    int count = 0;
    listed = HostInfo.GetDirList(path, &items, &count) != 0;
    if (listed && items && count > 0) {
        if (!IsSubtreeListing(items, count) || !ConvertSubtree(path, items, count))
            for (int i = 0; i < count; i++)
                Process(path, items[i].FindData, true);
    }
    HostInfo.FreeDirList(items);
}
