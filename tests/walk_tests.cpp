// Paths and the walk over a selected entry, under both forms of the host's
// directory listing.
#include "far1/services.h"
#include "quillhost/standin.h"
#include "far1/settings.h"
#include "support.h"
#include "far1/walk.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct JoinCase {
    const char *dir, *name, *joined;
};

TEST(JoinPath, FollowsTheHostsRules)
{
    const JoinCase cases[] = {
        {"C:\\dir", "sub\\x.txt", "C:\\dir\\x.txt"},
        {"C:\\", "x.txt", "C:\\x.txt"},
        {"", "sub\\x.txt", "sub\\x.txt"},
        {"C:\\dir\\", "a\\b\\c.txt", "C:\\dir\\c.txt"},
        {"C:\\dir", "plain", "C:\\dir\\plain"},
        {"C:\\dir", "trailing\\", "C:\\dir\\"},
        {"dir", "..\\..\\up", "dir\\up"},
    };
    for (const JoinCase &c : cases) {
        char out[MAX_PATH];
        ASSERT_TRUE(JoinPath(c.dir, c.name, out)) << c.dir << " + " << c.name;
        EXPECT_STREQ(out, c.joined) << c.dir << " + " << c.name;
    }
    EXPECT_STREQ(LastComponent("a\\b\\c"), "c");
    EXPECT_STREQ(LastComponent("abc"), "abc");
    EXPECT_STREQ(LastComponent("abc\\"), "");
}

TEST(JoinPath, RefusesWhatDoesNotFit)
{
    char out[MAX_PATH];
    std::string dir = "C:\\" + std::string(200, 'd');
    std::string fits(MAX_PATH - 1 - dir.size() - 1, 'n');
    ASSERT_TRUE(JoinPath(dir.c_str(), fits.c_str(), out));
    EXPECT_EQ(strlen(out), (size_t)MAX_PATH - 1);
    std::string over = fits + "n";
    EXPECT_FALSE(JoinPath(dir.c_str(), over.c_str(), out));
    EXPECT_FALSE(JoinPath("", std::string(MAX_PATH, 'n').c_str(), out));
    EXPECT_FALSE(JoinPath(std::string(MAX_PATH - 1, 'd').c_str(), "x", out));
}

const std::string CrLf = "line\r\nline\r\n";
const std::string Lf = "line\nline\n";

// sel/a.txt, sel/d1/b.txt, sel/d1/d2/c.txt, sel/d1/d2/d3/d.txt, sel/empty/
std::vector<std::string> MakeTree(const std::string &root)
{
    std::vector<std::string> files = {"sel/a.txt", "sel/d1/b.txt", "sel/d1/d2/c.txt",
                                      "sel/d1/d2/d3/d.txt"};
    MakeFolder(PathIn(root, "sel/d1/d2/d3"));
    MakeFolder(PathIn(root, "sel/empty"));
    for (const std::string &file : files)
        WriteBytes(PathIn(root, file), CrLf);
    return files;
}

class Walk : public ::testing::Test {
protected:
    std::string root;
    PluginStartupInfo info;

    void SetUp() override
    {
        root = Scratch();
        ResetHost(HostPath(root));
        std::string key = FreshRootKey();
        info = StartupInfoFor(key.c_str());
        HostInfo = info;
        Settings.ConvertMode = ModeToLf;
        Settings.ProcessSubDir = 1;
    }

    void Process(const std::string &relative)
    {
        std::string path = HostPath(PathIn(root, relative));
        ProcessEntry(HostPath(root).c_str(), PanelItem(relative, path).FindData);
        EXPECT_EQ(Host.listingsHeld, 0) << "every listing is handed back";
    }
};

TEST_F(Walk, ConvertsTheWholeTreeInBothListingForms)
{
    for (ListingForm form : {ListingForm::Direct, ListingForm::Subtree}) {
        root = Scratch();
        std::vector<std::string> files = MakeTree(root);
        Host.listing = form;
        Process("sel");
        for (const std::string &file : files)
            EXPECT_EQ(ReadBytes(PathIn(root, file)), Lf) << file;
        EXPECT_EQ(CountTemporaries(), 0);
    }
}

TEST_F(Walk, SubtreeListingIsTakenWhole)
{
    std::vector<std::string> files = MakeTree(root);
    Host.listing = ListingForm::Subtree;
    Process("sel");
    // The listing of sel holds the whole tree: no folder is listed again.
    EXPECT_EQ(Host.listed, std::vector<std::string>{HostPath(PathIn(root, "sel"))});
    for (const std::string &file : files)
        EXPECT_EQ(ReadBytes(PathIn(root, file)), Lf) << file;
}

TEST_F(Walk, WithoutRecursionOnlySelectedFilesChange)
{
    std::vector<std::string> files = MakeTree(root);
    Settings.ProcessSubDir = 0;
    Process("sel/d1");
    Process("sel/a.txt");
    EXPECT_EQ(ReadBytes(PathIn(root, "sel/a.txt")), Lf);
    EXPECT_EQ(ReadBytes(PathIn(root, "sel/d1/b.txt")), CrLf);
    EXPECT_TRUE(Host.listed.empty());
    EXPECT_EQ(CountTemporaries(), 0);
}

TEST_F(Walk, EmptyOrUnlistableDirectoryChangesNothing)
{
    std::vector<std::string> files = MakeTree(root);
    Process("sel/empty");
    Host.listingFails = true;
    Process("sel");
    EXPECT_EQ(Host.listed.size(), 2u);
    for (const std::string &file : files)
        EXPECT_EQ(ReadBytes(PathIn(root, file)), CrLf) << file;
    EXPECT_EQ(Host.calls.back(), "FreeDirList(null)");
}

#ifndef _WIN32
TEST_F(Walk, LinkToAnAncestorEnds)
{
    std::vector<std::string> files = MakeTree(root);
    std::filesystem::create_directory_symlink("../..", PathIn(root, "sel/d1/d2/loop"));
    for (ListingForm form : {ListingForm::Direct, ListingForm::Subtree}) {
        Host.listing = form;
        Process("sel");
    }
    for (const std::string &file : files)
        EXPECT_EQ(ReadBytes(PathIn(root, file)), Lf) << file;
    EXPECT_TRUE(IsFolder(PathIn(root, "sel/d1/d2/loop")));
}
#endif

} // namespace
