// Native stand-ins for the Windows file services. They keep the semantics the
// product relies on: a unique, empty cvt file made in the given directory;
// opens that refuse anything but a regular file, never block, and, without
// sharing, hold an exclusive lock for as long as the handle is open; time
// stamps set on the open handle; a move that only renames, so it fails across
// file systems instead of copying.
#include "posix.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// Seconds between 1601-01-01 and 1970-01-01, the two platforms' epochs.
static const int64_t EpochGap = 11644473600LL;

bool NativePath(const char *hostPath, char *out, unsigned outSize)
{
    unsigned i = 0;
    for (; hostPath[i] != '\0'; i++) {
        if (i + 1 >= outSize)
            return false;
        out[i] = hostPath[i] == '\\' ? '/' : hostPath[i];
    }
    out[i] = '\0';
    return true;
}

static int FdOf(HANDLE h)
{
    return (int)(intptr_t)h;
}

UINT GetTempFileNameA(const char *dir, const char *prefix, UINT unique, char *name)
{
    // Like Windows: at most three prefix characters, four hex digits, and
    // with unique 0 a name that did not exist, created empty.
    if (unique != 0)
        return 0;
    UINT start = (UINT)(getpid() ^ time(nullptr)) & 0xFFFF;
    for (UINT n = 0; n < 0x10000; n++) {
        UINT number = (start + n) & 0xFFFF;
        if (number == 0)
            continue;
        char hostName[MAX_PATH], path[MAX_PATH];
        int length = snprintf(hostName, sizeof hostName, "%s\\%.3s%04x.tmp", dir, prefix, number);
        if (length < 0 || length >= MAX_PATH || !NativePath(hostName, path, sizeof path))
            return 0;
        int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            memcpy(name, hostName, (size_t)length + 1);
            return number;
        }
        if (errno != EEXIST)
            return 0;
    }
    return 0;
}

static int OpenFlags(DWORD access, DWORD disposition)
{
    int flags = O_NONBLOCK | O_CLOEXEC;
    if ((access & GENERIC_READ) && (access & GENERIC_WRITE))
        flags |= O_RDWR;
    else if (access & GENERIC_WRITE)
        flags |= O_WRONLY;
    else
        flags |= O_RDONLY;
    if (disposition == CREATE_ALWAYS)
        flags |= O_CREAT;
    return flags;
}

static bool TakeOwnership(int fd, DWORD share, DWORD disposition)
{
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    if (share == 0 && flock(fd, LOCK_EX | LOCK_NB) != 0)
        return false;
    // Truncate only once the file is ours, so a refused open changes nothing.
    if (disposition == CREATE_ALWAYS && ftruncate(fd, 0) != 0)
        return false;
    return fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0;
}

HANDLE CreateFileA(const char *name, DWORD access, DWORD share, void *, DWORD disposition,
                   DWORD, HANDLE)
{
    char path[MAX_PATH];
    if ((disposition != OPEN_EXISTING && disposition != CREATE_ALWAYS) ||
        !NativePath(name, path, sizeof path))
        return INVALID_HANDLE_VALUE;
    int fd = open(path, OpenFlags(access, disposition), 0666);
    if (fd < 0)
        return INVALID_HANDLE_VALUE;
    if (!TakeOwnership(fd, share, disposition)) {
        close(fd);
        return INVALID_HANDLE_VALUE;
    }
    return (HANDLE)(intptr_t)fd;
}

BOOL ReadFile(HANDLE file, void *buffer, DWORD size, DWORD *got, void *)
{
    ssize_t n;
    do
        n = read(FdOf(file), buffer, size);
    while (n < 0 && errno == EINTR);
    *got = n > 0 ? (DWORD)n : 0;
    return n >= 0;
}

BOOL WriteFile(HANDLE file, const void *buffer, DWORD size, DWORD *put, void *)
{
    const char *at = (const char *)buffer;
    DWORD done = 0;
    while (done < size) {
        ssize_t n = write(FdOf(file), at + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += (DWORD)n;
    }
    *put = done;
    return done == size;
}

static FILETIME FileTimeOf(const struct timespec &t)
{
    uint64_t ticks = (uint64_t)(t.tv_sec + EpochGap) * 10000000u + (uint64_t)t.tv_nsec / 100u;
    return FILETIME{(DWORD)ticks, (DWORD)(ticks >> 32)};
}

static struct timespec TimespecOf(const FILETIME &t)
{
    uint64_t ticks = ((uint64_t)t.dwHighDateTime << 32) | t.dwLowDateTime;
    struct timespec result;
    result.tv_sec = (time_t)(ticks / 10000000u) - (time_t)EpochGap;
    result.tv_nsec = (long)(ticks % 10000000u) * 100;
    return result;
}

// Linux keeps no creation time that can be set, so the last-write time
// stands in for it and setting it is a no-op.
BOOL GetFileTime(HANDLE file, FILETIME *creation, FILETIME *access, FILETIME *write)
{
    struct stat info;
    if (fstat(FdOf(file), &info) != 0)
        return 0;
    if (creation)
        *creation = FileTimeOf(info.st_mtim);
    if (access)
        *access = FileTimeOf(info.st_atim);
    if (write)
        *write = FileTimeOf(info.st_mtim);
    return 1;
}

BOOL SetFileTime(HANDLE file, const FILETIME *, const FILETIME *access, const FILETIME *write)
{
    struct timespec times[2];
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_nsec = UTIME_OMIT;
    if (access)
        times[0] = TimespecOf(*access);
    if (write)
        times[1] = TimespecOf(*write);
    return futimens(FdOf(file), times) == 0;
}

BOOL CloseHandle(HANDLE object)
{
    return close(FdOf(object)) == 0;
}

// Only the replacing move exists here; rename() never copies, so a move
// across file systems fails as it does on Windows without the copy flag.
BOOL MoveFileExA(const char *from, const char *to, DWORD flags)
{
    char source[MAX_PATH], target[MAX_PATH];
    if (!(flags & MOVEFILE_REPLACE_EXISTING) || !NativePath(from, source, sizeof source) ||
        !NativePath(to, target, sizeof target))
        return 0;
    return rename(source, target) == 0;
}

BOOL DeleteFileA(const char *name)
{
    char path[MAX_PATH];
    return NativePath(name, path, sizeof path) && unlink(path) == 0;
}
