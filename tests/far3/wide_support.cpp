#include "wide_support.h"
#include "far3/exports.h"
#include "far3/services.h"

#include <filesystem>

std::wstring Long(const std::wstring &path)
{
    return L"\\\\?\\" + path;
}

static void MakeFolders(const std::wstring &path)
{
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        CreateDirectoryW(Long(path.substr(0, at)).c_str(), nullptr);
}

void Put(const std::wstring &path, const std::string &bytes)
{
    MakeFolders(path);
    HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << Narrow(path);
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &put, nullptr);
    CloseHandle(file);
}

std::string Get(const std::wstring &path)
{
    HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "(missing)";
    std::string bytes;
    char block[65536];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0)
        bytes.append(block, got);
    CloseHandle(file);
    return bytes;
}

FileTimes TimesAt(const std::wstring &path)
{
    FileTimes times{};
    HANDLE file = CreateFileW(Long(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << Narrow(path);
    GetFileTime(file, &times.creation, &times.access, &times.write);
    CloseHandle(file);
    return times;
}

void BackdateAt(const std::wstring &path)
{
    const unsigned long long day = 864000000000ull;
    FileTimes times = TimesAt(path);
    for (FILETIME *t : {&times.creation, &times.access, &times.write}) {
        unsigned long long ticks = ((unsigned long long)t->dwHighDateTime << 32 | t->dwLowDateTime) - day;
        *t = {DWORD(ticks), DWORD(ticks >> 32)};
    }
    HANDLE file = CreateFileW(Long(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_TRUE(SetFileTime(file, &times.creation, &times.access, &times.write)) << Narrow(path);
    CloseHandle(file);
}

int TemporariesBelow(const std::string &root, bool remove)
{
    namespace fs = std::filesystem;
    int count = 0;
    std::error_code ignored;
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(root, ignored))
        if (entry.path().filename().string().rfind("cvt~", 0) == 0) {
            count++;
            if (remove)
                fs::remove(entry.path(), ignored);
        }
    return count;
}

std::wstring Root()
{
    std::wstring dir = Widen(Scratch());
    wchar_t full[MAX_PATH];
    GetFullPathNameW(dir.c_str(), MAX_PATH, full, nullptr);
    return full;
}

void LoadModule(const std::wstring &panelDir, const char *language)
{
    ResetWide(Narrow(panelDir));
    ASSERT_TRUE(LoadWideCatalogue(QUILLMERE_DIST_DIR, language));
    GlobalInfo global = {};
    global.StructSize = sizeof global;
    GetGlobalInfoW(&global);
    Wide.plugin = global.Guid;
}

// Every test starts with the host's settings store empty: the choices one
// test made are not remembered in the next.
class FreshStore : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo &) override
    {
        Wide.settings.clear();
        Wide.texts.clear();
    }
};

static const bool FreshStoreListens =
    (::testing::UnitTest::GetInstance()->listeners().Append(new FreshStore), true);

// Whatever the run did, it gave back what it held of the host's.
static HANDLE Open(OpenFromPlace from, intptr_t data)
{
    {
        FarStandardFunctions fsf;
        PluginStartupInfo info = WideStartupInfo(L"Z:\\Plugins\\Quillmere\\Quillmere.dll", fsf);
        SetStartupInfoW(&info);
        memset(&info, 0xCC, sizeof info);
        memset(&fsf, 0xCC, sizeof fsf);
    }
    OpenInfo open = {sizeof open, from, &MenuGuid, data, nullptr};
    HANDLE returned = OpenW(&open);
    EXPECT_EQ(Wide.listingsHeld, 0);
    EXPECT_EQ(Wide.settingsOpen, 0);
    EXPECT_EQ(Wide.filtersHeld, 0);
    EXPECT_EQ(Wide.selecting, 0);
    return returned;
}

void PickMenuEntry()
{
    EXPECT_EQ(Open(OPEN_PLUGINSMENU, 0), nullptr);
}

std::string CallAsMacro(const std::vector<std::string> &arguments)
{
    std::vector<std::wstring> texts;
    std::vector<FarMacroValue> values = MacroValues(arguments, texts);
    OpenMacroInfo call = {sizeof call, values.size(), values.data()};
    return MacroResult(Open(OPEN_FROMMACRO, (intptr_t)&call));
}
