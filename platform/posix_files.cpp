// Native stand-ins for the Windows file services. They keep the semantics the
// product relies on: a unique, empty cvt file made in the given directory;
// opens that refuse anything but a regular file, never block, and, without
// sharing, hold an exclusive lock for as long as the handle is open; time
// stamps set on the open handle; a move that only renames, so it fails across
// file systems instead of copying. Attributes Linux has no place for (hidden,
// system and the like) live in an extended attribute, as Wine keeps them;
// read-only is the owner's write bit. Failures leave a Windows error code
// for GetLastError.
#include "posix.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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

static thread_local DWORD LastError;

DWORD GetLastError(void)
{
    return LastError;
}

void SetLastError(DWORD error)
{
    LastError = error;
}

static DWORD ErrorOf(int error)
{
    switch (error) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    case EWOULDBLOCK:
        return ERROR_SHARING_VIOLATION;
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case ENOTSUP:
        return ERROR_NOT_SUPPORTED;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

// Records errno as the Windows error and reports failure.
static BOOL Failed()
{
    LastError = ErrorOf(errno);
    return 0;
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
        if (length < 0 || length >= MAX_PATH || !NativePath(hostName, path, sizeof path)) {
            LastError = ERROR_FILENAME_EXCED_RANGE;
            return 0;
        }
        int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            memcpy(name, hostName, (size_t)length + 1);
            return number;
        }
        if (errno != EEXIST)
            return Failed();
    }
    return Failed();
}

static int OpenFlags(DWORD access, DWORD disposition, DWORD flags)
{
    int result = O_NONBLOCK | O_CLOEXEC;
    if ((access & GENERIC_READ) && (access & GENERIC_WRITE))
        result |= O_RDWR;
    else if (access & GENERIC_WRITE)
        result |= O_WRONLY;
    else
        result |= O_RDONLY;
    if (disposition == CREATE_ALWAYS)
        result |= O_CREAT;
    // Opening the link itself: a symbolic link then fails to open, as no
    // link's bytes can be read.
    if (flags & FILE_FLAG_OPEN_REPARSE_POINT)
        result |= O_NOFOLLOW;
    return result;
}

// Sharing: none takes an exclusive lock, any other a shared one, so the two
// refuse each other as Windows' sharing modes do. Directories open only
// with backup semantics, and take no lock.
static bool TakeOwnership(int fd, DWORD share, DWORD disposition, DWORD flags)
{
    struct stat info;
    if (fstat(fd, &info) != 0)
        return Failed();
    if (S_ISDIR(info.st_mode) && (flags & FILE_FLAG_BACKUP_SEMANTICS))
        return true;
    if (!S_ISREG(info.st_mode)) {
        LastError = ERROR_ACCESS_DENIED;
        return false;
    }
    if (flock(fd, (share == 0 ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0)
        return Failed();
    // Truncate only once the file is ours, so a refused open changes nothing.
    if (disposition == CREATE_ALWAYS && ftruncate(fd, 0) != 0)
        return Failed();
    return fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0 || Failed();
}

HANDLE CreateFileA(const char *name, DWORD access, DWORD share, void *, DWORD disposition,
                   DWORD flags, HANDLE)
{
    char path[MAX_PATH];
    if ((disposition != OPEN_EXISTING && disposition != CREATE_ALWAYS) ||
        !NativePath(name, path, sizeof path)) {
        LastError = ERROR_INVALID_NAME;
        return INVALID_HANDLE_VALUE;
    }
    int fd = open(path, OpenFlags(access, disposition, flags), 0666);
    if (fd < 0) {
        Failed();
        return INVALID_HANDLE_VALUE;
    }
    if (!TakeOwnership(fd, share, disposition, flags)) {
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
    return n >= 0 || Failed();
}

BOOL WriteFile(HANDLE file, const void *buffer, DWORD size, DWORD *put, void *)
{
    const char *at = (const char *)buffer;
    DWORD done = 0;
    while (done < size) {
        ssize_t n = write(FdOf(file), at + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Failed();
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

// With write-through, the folder's new names reach the disk too.
static void WriteThrough(const char *path)
{
    char folder[MAX_PATH];
    snprintf(folder, sizeof folder, "%s", path);
    char *slash = strrchr(folder, '/');
    if (slash)
        slash[1] = '\0';
    int fd = open(slash ? folder : ".", O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// Only the replacing move exists here; rename() never copies, so a move
// across file systems fails as it does on Windows without the copy flag.
BOOL MoveFileExA(const char *from, const char *to, DWORD flags)
{
    char source[MAX_PATH], target[MAX_PATH];
    if (!(flags & MOVEFILE_REPLACE_EXISTING) || !NativePath(from, source, sizeof source) ||
        !NativePath(to, target, sizeof target))
        return 0;
    if (rename(source, target) != 0)
        return Failed();
    if (flags & MOVEFILE_WRITE_THROUGH)
        WriteThrough(target);
    return 1;
}

// The replaced file must exist, as on Windows, and goes to backup first.
BOOL ReplaceFileA(const char *replaced, const char *replacement, const char *backup, DWORD flags, void *, void *)
{
    char target[MAX_PATH], source[MAX_PATH], kept[MAX_PATH];
    if (!backup || !NativePath(replaced, target, sizeof target) || !NativePath(replacement, source, sizeof source) ||
        !NativePath(backup, kept, sizeof kept))
        return 0;
    if (rename(target, kept) != 0)
        return Failed();
    if (rename(source, target) != 0) {
        Failed();
        LastError = ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
        return 0;
    }
    if (flags & REPLACEFILE_WRITE_THROUGH)
        WriteThrough(target);
    return 1;
}

BOOL FlushFileBuffers(HANDLE file)
{
    return fsync(FdOf(file)) == 0 || Failed();
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG *distanceHigh, DWORD method)
{
    off_t at = distanceHigh ? (off_t)((uint64_t)(uint32_t)*distanceHigh << 32 | (uint32_t)distance) : distance;
    off_t moved = method == FILE_BEGIN ? lseek(FdOf(file), at, SEEK_SET) : -1;
    if (moved < 0) {
        Failed();
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh)
        *distanceHigh = (LONG)((uint64_t)moved >> 32);
    return (DWORD)moved;
}

BOOL DeleteFileA(const char *name)
{
    char path[MAX_PATH];
    return NativePath(name, path, sizeof path) && (unlink(path) == 0 || Failed());
}

static const char DosAttributes[] = "user.DOSATTRIB";
// What is kept in the extended attribute: everything but what the file's
// type and mode already say.
static const DWORD KeptAttributes = ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY |
                                      FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_NORMAL);

static DWORD AttributesOf(const struct stat &info, const char *kept, ssize_t keptLength)
{
    DWORD attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (keptLength > 0) {
        char text[16] = {0};
        memcpy(text, kept, (size_t)keptLength < sizeof text - 1 ? (size_t)keptLength : sizeof text - 1);
        attributes = (attributes & FILE_ATTRIBUTE_DIRECTORY) | ((DWORD)strtoul(text, nullptr, 16) & KeptAttributes);
    }
    if (S_ISLNK(info.st_mode))
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    if (!(info.st_mode & S_IWUSR))
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

// A link reports itself, with the directory bit of what it leads to.
DWORD GetFileAttributesA(const char *name)
{
    char path[MAX_PATH], kept[16];
    struct stat info, target;
    if (!NativePath(name, path, sizeof path) || lstat(path, &info) != 0) {
        Failed();
        return INVALID_FILE_ATTRIBUTES;
    }
    ssize_t keptLength = lgetxattr(path, DosAttributes, kept, sizeof kept);
    DWORD attributes = AttributesOf(info, kept, keptLength);
    if (S_ISLNK(info.st_mode) && stat(path, &target) == 0 && S_ISDIR(target.st_mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    return attributes;
}

BOOL GetFileAttributesExA(const char *name, GET_FILEEX_INFO_LEVELS, void *data)
{
    char path[MAX_PATH];
    struct stat info;
    if (!NativePath(name, path, sizeof path) || lstat(path, &info) != 0)
        return Failed();
    WIN32_FILE_ATTRIBUTE_DATA &found = *(WIN32_FILE_ATTRIBUTE_DATA *)data;
    found.dwFileAttributes = GetFileAttributesA(name);
    found.ftCreationTime = found.ftLastWriteTime = FileTimeOf(info.st_mtim);
    found.ftLastAccessTime = FileTimeOf(info.st_atim);
    found.nFileSizeHigh = (DWORD)((uint64_t)info.st_size >> 32);
    found.nFileSizeLow = (DWORD)info.st_size;
    return 1;
}

BOOL SetFileAttributesA(const char *name, DWORD attributes)
{
    char path[MAX_PATH];
    struct stat info;
    if (!NativePath(name, path, sizeof path) || stat(path, &info) != 0)
        return Failed();
    mode_t writable = S_IWUSR | S_IWGRP | S_IWOTH;
    mode_t mode = (attributes & FILE_ATTRIBUTE_READONLY) ? info.st_mode & ~writable : info.st_mode | S_IWUSR;
    if (chmod(path, mode & 07777) != 0)
        return Failed();
    DWORD kept = attributes & KeptAttributes;
    if (kept == 0 || kept == FILE_ATTRIBUTE_ARCHIVE) {
        if (removexattr(path, DosAttributes) != 0 && errno != ENODATA && errno != ENOTSUP)
            return Failed();
        return 1;
    }
    char text[16];
    int length = snprintf(text, sizeof text, "0x%x", kept);
    return setxattr(path, DosAttributes, text, (size_t)length, 0) == 0 || Failed();
}

BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION *info)
{
    struct stat status;
    char kept[16];
    if (fstat(FdOf(file), &status) != 0)
        return Failed();
    ssize_t keptLength = fgetxattr(FdOf(file), DosAttributes, kept, sizeof kept);
    memset(info, 0, sizeof *info);
    info->dwFileAttributes = AttributesOf(status, kept, keptLength);
    GetFileTime(file, &info->ftCreationTime, &info->ftLastAccessTime, &info->ftLastWriteTime);
    info->dwVolumeSerialNumber = (DWORD)status.st_dev;
    uint64_t size = S_ISDIR(status.st_mode) ? 0 : (uint64_t)status.st_size;
    info->nFileSizeHigh = (DWORD)(size >> 32);
    info->nFileSizeLow = (DWORD)size;
    info->nNumberOfLinks = (DWORD)status.st_nlink;
    info->nFileIndexHigh = (DWORD)((uint64_t)status.st_ino >> 32);
    info->nFileIndexLow = (DWORD)status.st_ino;
    return 1;
}

// A descriptor here is the owner, the group and the permission bits.
struct NativeDescriptor {
    uint32_t mode, owner, group;
};

BOOL GetKernelObjectSecurity(HANDLE object, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR descriptor,
                             DWORD size, DWORD *needed)
{
    struct stat info;
    *needed = sizeof(NativeDescriptor);
    if (size < sizeof(NativeDescriptor)) {
        LastError = ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }
    if (fstat(FdOf(object), &info) != 0)
        return Failed();
    NativeDescriptor kept = {(uint32_t)info.st_mode & 07777, (uint32_t)info.st_uid, (uint32_t)info.st_gid};
    memcpy(descriptor, &kept, sizeof kept);
    return 1;
}

DWORD GetSecurityDescriptorLength(PSECURITY_DESCRIPTOR)
{
    return sizeof(NativeDescriptor);
}

BOOL SetFileSecurityA(const char *name, SECURITY_INFORMATION given, PSECURITY_DESCRIPTOR descriptor)
{
    char path[MAX_PATH];
    NativeDescriptor kept;
    memcpy(&kept, descriptor, sizeof kept);
    if (!NativePath(name, path, sizeof path))
        return Failed();
    if ((given & DACL_SECURITY_INFORMATION) && chmod(path, (mode_t)kept.mode) != 0)
        return Failed();
    uid_t owner = (given & OWNER_SECURITY_INFORMATION) ? (uid_t)kept.owner : (uid_t)-1;
    gid_t group = (given & GROUP_SECURITY_INFORMATION) ? (gid_t)kept.group : (gid_t)-1;
    if ((owner != (uid_t)-1 || group != (gid_t)-1) && chown(path, owner, group) != 0)
        return Failed();
    return 1;
}
