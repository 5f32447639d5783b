// Hostile selections, listings and root keys, end to end through the
// module: whatever the names, nothing outside the selection is touched.
#include "module_fixture.h"

#include "hostile_inputs.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class HostileInput : public Module, public ::testing::WithParamInterface<BadInput> {};

TEST_P(HostileInput, TouchesNothingOutsideTheSelection)
{
    const BadInput &b = GetParam();
    std::string sandbox = dir;
    MakeSandbox(sandbox);
#ifndef _WIN32
    fs::create_directory_symlink("../..", PathIn(sandbox, "panel/sub/up"));
#endif
    std::map<std::string, std::string> before = Contents(sandbox);

    ResetHost(HostPath(PathIn(sandbox, "panel")));
    Start();
    Host.selection = b.selection;
    Host.listingAddsDots = b.dotsInListing;
    Host.pickRadio = 1;
    Host.subdirs = 1;
    for (ListingForm form : {ListingForm::Direct, ListingForm::Subtree}) {
        Host.listing = form;
        Run();
    }

    EXPECT_EQ(Contents(sandbox), Expected(before, b));
    EXPECT_EQ(CountTemporaries(), 0);
}

INSTANTIATE_TEST_SUITE_P(Table, HostileInput, ::testing::ValuesIn(BadInputs),
                         [](const ::testing::TestParamInfo<BadInput> &info) { return info.param.name; });

// A name that makes the joined path exactly 259 characters is converted;
// one character more and it is left alone.
TEST_F(Module, NamesAtThePathLimit)
{
    std::string panel = HostPath(dir);
    size_t room = MAX_PATH - 1 - panel.size() - 1;
    ASSERT_LT(room, 250u) << "the scratch folder is too short for this test";
    std::string fits(room, 'f'), over(room + 1, 'o');
    std::string fitsPath = File(fits, CrLf);
    std::string overPath = File(over, CrLf);
    Host.selection = {fits, over};
    Host.pickRadio = 1;
    Start();
    Run();
    EXPECT_EQ(ReadBytes(fitsPath), Lf);
    EXPECT_EQ(ReadBytes(overPath), CrLf);
}

// The settings key is the root key and "\Quillmere", at most 79 characters.
TEST_F(Module, RootKeysAtTheLimit)
{
    for (size_t extra : {0, 1}) {
        std::string longest = rootKey + std::string(79 - 10 - rootKey.size() + extra, 'k');
        info = StartupInfoFor(longest.c_str());
        Start();
        Host.pickRadio = 2;
        Run();
        std::string full = longest + "\\Quillmere";
        EXPECT_EQ(QueryValue(full, "ConvertMode").present, extra == 0) << extra;
        EXPECT_FALSE(QueryValue(full.substr(0, 79), "ConvertMode").present && extra) << extra;
    }
}

} // namespace
