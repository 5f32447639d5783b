// The in-place rewrite: convert into a temporary in the working directory,
// give it the source's time stamps, and move it over the source. The source
// changes only through that one replacing move, so it is either the old
// file or the whole converted one.
#include "engine.h"
#include "../settings/settings.h"

#include <cstring>

static char TempName[MAX_PATH];
static FILETIME CreationTime, LastAccessTime, LastWriteTime;

// Converts into the open temporary and stamps it; false when the result
// must not replace the source.
static bool ConvertInto(HANDLE source, HANDLE temp)
{
    bool converted = ConvertLineBreaks(source, temp, Settings.ConvertMode);
    if (GetFileTime(source, &CreationTime, &LastAccessTime, &LastWriteTime))
        SetFileTime(temp, &CreationTime, &LastAccessTime, &LastWriteTime);
    return converted;
}

void RewriteFile(const char *path)
{
    // A longer path is refused whole: cut short it could name another file.
    if (strnlen(path, MAX_PATH) >= MAX_PATH)
        return;
    if (GetTempFileNameA(".", "cvt~", 0, TempName) == 0)
        return;
    bool replaced = false;
    HANDLE source = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (source != INVALID_HANDLE_VALUE) {
        HANDLE temp = CreateFileA(TempName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (temp != INVALID_HANDLE_VALUE) {
            bool converted = ConvertInto(source, temp);
            CloseHandle(temp);
            CloseHandle(source);
            replaced = converted && MoveFileExA(TempName, path, MOVEFILE_REPLACE_EXISTING);
        } else {
            CloseHandle(source);
        }
    }
    // No temporary is left behind, whatever failed: a stray cvt file in the
    // host's working directory would explain nothing to the user.
    if (!replaced)
        DeleteFileA(TempName);
}
