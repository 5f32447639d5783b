#include "support.h"
#include "engine/engine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;

// Each test runs in a working directory of its own, below the folder the
// program started in: the rewrite makes its temporaries in the working
// directory, as it does in the host's, and test programs running side by
// side must neither count nor remove each other's. A passing test's folder
// is removed; a failing one's is kept to look at.
// Removes a folder and all in it, read-only files too (Windows refuses to
// delete those).
static void RemoveTree(const fs::path &folder)
{
    std::error_code error;
#ifdef _WIN32
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        SetFileAttributesA(it->path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
    fs::remove_all(folder, error);
}

class OwnWorkingDirectory : public ::testing::EmptyTestEventListener {
    fs::path home = fs::current_path();
    fs::path folder;

    void OnTestStart(const ::testing::TestInfo &test) override
    {
        std::string name = std::string(test.test_suite_name()) + "." + test.name();
        for (char &c : name)
            if (c == '/' || c == '\\')
                c = '_';
        folder = home / "scratch" / (name + "-" + std::to_string(ProcessId()));
        RemoveTree(folder);
        fs::create_directories(folder);
        fs::current_path(folder);
    }

    void OnTestEnd(const ::testing::TestInfo &test) override
    {
        fs::current_path(home);
        if (test.result()->Passed())
            RemoveTree(folder);
    }

    static long ProcessId()
    {
#ifdef _WIN32
        return (long)GetCurrentProcessId();
#else
        return (long)getpid();
#endif
    }
};

static const bool Installed = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new OwnWorkingDirectory);
    return true;
}();

std::string Scratch()
{
    fs::path dir = fs::current_path() / "files";
    RemoveTree(dir);
    fs::create_directories(dir);
    return dir.string();
}

std::string PathIn(const std::string &dir, const std::string &name)
{
    return (fs::path(dir) / name).string();
}

void WriteBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), (std::streamsize)bytes.size());
    ASSERT_TRUE(out.good()) << path;
}

std::string ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string &path)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

void MakeFolder(const std::string &path)
{
    fs::create_directories(path);
}

bool IsFolder(const std::string &path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

static bool IsTemporary(const fs::path &path)
{
    std::string name = path.filename().string();
    return name.size() > 3 && (name.compare(0, 3, "cvt") == 0 || name.compare(0, 3, "CVT") == 0);
}

int CountTemporariesIn(const std::string &dir, bool remove)
{
    int count = 0;
    for (const fs::directory_entry &entry : fs::directory_iterator(dir))
        if (IsTemporary(entry.path())) {
            count++;
            if (remove)
                fs::remove(entry.path());
        }
    return count;
}

int CountTemporaries()
{
    return CountTemporariesIn(fs::current_path().string(), false);
}

FileTimes TimesOf(const std::string &path)
{
    FileTimes times{};
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
    if (file == INVALID_HANDLE_VALUE)
        return times;
    GetFileTime(file, &times.creation, &times.access, &times.write);
    CloseHandle(file);
    return times;
}

static FILETIME DayEarlier(FILETIME t)
{
    unsigned long long ticks = ((unsigned long long)t.dwHighDateTime << 32) | t.dwLowDateTime;
    ticks -= 864000000000ull;
    return FILETIME{(DWORD)ticks, (DWORD)(ticks >> 32)};
}

void Backdate(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    FileTimes times;
    GetFileTime(file, &times.creation, &times.access, &times.write);
    FILETIME creation = DayEarlier(times.creation), write = DayEarlier(times.write);
    EXPECT_TRUE(SetFileTime(file, &creation, nullptr, &write));
    CloseHandle(file);
}

std::string ConvertThroughFiles(const std::string &in, DWORD mode)
{
    std::string dir = Scratch();
    std::string from = PathIn(dir, "in"), to = PathIn(dir, "out");
    WriteBytes(from, in);
    HANDLE source = CreateFileA(from.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE target = CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(source, INVALID_HANDLE_VALUE);
    EXPECT_NE(target, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ConvertLineBreaks(source, target, mode), Converted);
    CloseHandle(source);
    CloseHandle(target);
    return ReadBytes(to);
}

// Short enough to leave room under the 79-character settings key.
std::string FreshRootKey()
{
    static const unsigned run = (unsigned)time(nullptr) ^ (unsigned)std::random_device()();
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    unsigned hash = 2166136261u;
    for (const char *c = test->name(); *c; c++)
        hash = (hash ^ (unsigned char)*c) * 16777619u;
    for (const char *c = test->test_suite_name(); *c; c++)
        hash = (hash ^ (unsigned char)*c) * 16777619u;
    char key[64];
    snprintf(key, sizeof key, "Software\\QuillmereTests\\%08x\\%08x", run, hash);
    return key;
}

StoredValue QueryValue(const std::string &key, const char *name)
{
    StoredValue value;
    HKEY handle;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return value;
    BYTE data[64];
    DWORD size = sizeof data;
    if (RegQueryValueExA(handle, name, nullptr, &value.type, data, &size) == ERROR_SUCCESS) {
        value.present = true;
        value.bytes.assign((const char *)data, size);
    }
    RegCloseKey(handle);
    return value;
}

void StoreValue(const std::string &key, const char *name, DWORD type, const std::string &bytes)
{
    HKEY handle;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &handle, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(handle, name, 0, type, (const BYTE *)bytes.data(), (DWORD)bytes.size());
    RegCloseKey(handle);
}

std::string DwordBytes(DWORD value)
{
    return std::string((const char *)&value, sizeof value);
}
