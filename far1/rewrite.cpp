// The single-byte module's rewrite: paths in the host's code page, up to
// MAX_PATH, the temporaries in the working directory.
#include "walk.h"
#include "../engine/rewrite.h"
#include "../run/choices.h"

#include <cstring>

static HANDLE MakeTemporary(const char *folder, char *name)
{
    if (GetTempFileNameA(folder, "cvt~", 0, name) == 0)
        return INVALID_HANDLE_VALUE;
    HANDLE temp = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (temp == INVALID_HANDLE_VALUE)
        DeleteFileA(name);
    return temp;
}

// The folder part of path, its last backslash included.
static bool FolderOf(const char *path, char *folder)
{
    const char *slash = strrchr(path, '\\');
    if (!slash)
        return false;
    memcpy(folder, path, (size_t)(slash - path + 1));
    folder[slash - path + 1] = '\0';
    return true;
}

// The folder whose files the working directory last failed to reach by a
// move: its next files go through their own folder straight away.
static char Elsewhere[MAX_PATH];

void ForgetFolderFacts()
{
    Elsewhere[0] = '\0';
    ForgetListedFolders();
}

Outcome RewriteFile(const char *path, const FileIdentity *expected)
{
    static char tempName[MAX_PATH], ownFolder[MAX_PATH];
    // A longer path is refused whole: cut short it could name another file.
    if (strnlen(path, MAX_PATH) >= MAX_PATH)
        return PathTooLong;
    // The host hands "?" for a character its code page lacks; no file name
    // holds one, and a look-alike it could match might be another file.
    if (strchr(path, '?'))
        return NameUnusable;
    const RewriteJob job = {{Settings.ConvertMode, false, true}, AreasFor<BlockSize>(), expected, false};
    bool otherVolume, own = FolderOf(path, ownFolder);
    if (own && strcmp(ownFolder, Elsewhere) == 0)
        return RewriteThrough(ownFolder, path, tempName, job, MakeTemporary, otherVolume);
    Outcome outcome = RewriteThrough(".", path, tempName, job, MakeTemporary, otherVolume);
    // The working directory stays the first choice; only a file it cannot
    // reach by a move is converted through its own folder.
    if (otherVolume && own) {
        memcpy(Elsewhere, ownFolder, sizeof Elsewhere);
        outcome = RewriteThrough(ownFolder, path, tempName, job, MakeTemporary, otherVolume);
    }
    return outcome;
}
