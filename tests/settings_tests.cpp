// The two remembered choices in the registry (natively, its stand-in).
#include "far1/settings.h"
#include "support.h"

#include <gtest/gtest.h>

namespace {

class Store : public ::testing::Test {
protected:
    std::string root, key;

    void SetUp() override
    {
        root = FreshRootKey();
        key = root + "\\Quillmere";
        FormSettingsKey(root.c_str());
        Settings = SettingsRecord{5, 5};
    }
};

TEST_F(Store, AbsentKeyReadsAsDefaults)
{
    LoadSettings();
    EXPECT_EQ(Settings.ConvertMode, 0u);
    EXPECT_EQ(Settings.ProcessSubDir, 0u);
    EXPECT_EQ(std::string(SettingsKey), key);
}

TEST_F(Store, SaveCreatesTheKeyWithTwoDwords)
{
    Settings = SettingsRecord{ModeToCrLf, 1};
    SaveSettings();
    for (const char *name : {"ConvertMode", "ProcessSubDir"}) {
        StoredValue value = QueryValue(key, name);
        EXPECT_TRUE(value.present) << name;
        EXPECT_EQ(value.type, (DWORD)REG_DWORD) << name;
        EXPECT_EQ(value.bytes, DwordBytes(1)) << name;
    }
    Settings = SettingsRecord{};
    LoadSettings();
    EXPECT_EQ(Settings.ConvertMode, (DWORD)ModeToCrLf);
    EXPECT_EQ(Settings.ProcessSubDir, 1u);
}

struct OddValue {
    const char *name;
    DWORD type;
    std::string bytes;
    DWORD read; // what ConvertMode and ProcessSubDir load as
};

TEST_F(Store, OddStoredValuesReadSafely)
{
    const OddValue cases[] = {
        {"TwoBytes", 3, std::string("\x01\x00", 2), 0},
        {"EightBytes", 3, DwordBytes(1) + DwordBytes(1), 0},
        {"EmptyValue", 3, "", 0},
        {"FourBytesOfAnyType", 3, DwordBytes(1), 1},
        {"OutOfRange", REG_DWORD, DwordBytes(7), 1},
        {"AllOnes", REG_DWORD, DwordBytes(0xFFFFFFFFu), 1},
    };
    for (const OddValue &c : cases) {
        StoreValue(key, "ConvertMode", c.type, c.bytes);
        StoreValue(key, "ProcessSubDir", c.type, c.bytes);
        Settings = SettingsRecord{9, 9};
        LoadSettings();
        EXPECT_EQ(Settings.ConvertMode, c.read) << c.name;
        EXPECT_EQ(Settings.ProcessSubDir, c.read) << c.name;
    }
}

// A root key too long for the 80-byte field is neither cut short nor used:
// the key a truncation would name keeps its values, and the defaults hold.
TEST_F(Store, OverlongRootKeyIsNotTruncated)
{
    std::string longest = root + std::string(79 - 10 - root.size(), 'k');
    FormSettingsKey(longest.c_str());
    EXPECT_EQ(std::string(SettingsKey), longest + "\\Quillmere");

    std::string tooLong = longest + "k";
    std::string truncated = (tooLong + "\\Quillmere").substr(0, 79);
    StoreValue(truncated, "ConvertMode", REG_DWORD, DwordBytes(1));
    FormSettingsKey(tooLong.c_str());
    EXPECT_EQ(SettingsKey[0], '\0');
    Settings = SettingsRecord{0, 1};
    SaveSettings();
    LoadSettings();
    EXPECT_EQ(Settings.ConvertMode, 0u);
    EXPECT_EQ(QueryValue(truncated, "ConvertMode").bytes, DwordBytes(1));
}

// A key the registry refuses to create (here one with an empty first
// component) stores nothing and disturbs nothing.
TEST_F(Store, RefusedKeyStoresNothing)
{
    StoreValue(key, "ConvertMode", REG_DWORD, DwordBytes(1));
    FormSettingsKey("");
    EXPECT_EQ(std::string(SettingsKey), "\\Quillmere");
    Settings = SettingsRecord{0, 0};
    SaveSettings();
    LoadSettings();
    EXPECT_EQ(Settings.ConvertMode, 0u);
    EXPECT_EQ(QueryValue(key, "ConvertMode").bytes, DwordBytes(1));
}

} // namespace
