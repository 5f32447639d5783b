// The depth-first walk. Each level holds its own listing and child path
// until its subtree is done; the host's listing is the only source of
// entries, and every listing is handed back.
#include "walk.h"
#include "../engine/engine.h"
#include "../host/host.h"
#include "../settings/settings.h"

#include <cstring>

// The walk descends into subdirectories itself. The real host lists a whole
// subtree with names relative to the listed directory's parent ("DIR2\x",
// "DIR2\SUB\y"); of those, only the ones one backslash deep lie directly
// inside it, and the deeper ones are reached from their own directory.
static bool IsDirectChild(const char *name)
{
    const char *slash = strchr(name, '\\');
    return !slash || !strchr(slash + 1, '\\');
}

static void VisitListed(const char *dir, const FAR_FIND_DATA &entry)
{
    if (!IsDirectChild(entry.cFileName) || IsDotEntry(LastComponent(entry.cFileName)))
        return;
    // A directory link met inside the walk is not followed: it may lead back
    // to an ancestor and make the walk endless. A selected link still is.
    const DWORD linkedDir = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    if ((entry.dwFileAttributes & linkedDir) == linkedDir)
        return;
    char child[MAX_PATH];
    if (JoinPath(dir, entry.cFileName, child))
        ProcessEntry(child, entry.dwFileAttributes);
}

static void WalkDirectory(const char *path)
{
    PluginPanelItem *items = nullptr;
    int count = 0;
    if (HostInfo.GetDirList(path, &items, &count) && items && count > 0)
        for (int i = 0; i < count; i++)
            VisitListed(path, items[i].FindData);
    HostInfo.FreeDirList(items);
}

void ProcessEntry(const char *path, DWORD attributes)
{
    if (Settings.ProcessSubDir && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        WalkDirectory(path);
    else
        RewriteFile(path);
}
