// The quillhost program's command line: a mistake gets a clear message and
// a non-zero exit, and touches nothing.
#include "support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Invocation {
    const char *name;
    std::string arguments; // DIR stands for the sample folder
    int exitCode;
    const char *says;
    bool converts = false; // x.txt
};

void PrintTo(const Invocation &i, std::ostream *os)
{
    *os << i.name;
}

const Invocation Invocations[] = {
    {"NoArguments", "", 2, "usage: quillhost"},
    {"UnknownOption", "--frobnicate DIR x.txt", 2, "unknown option --frobnicate"},
    {"BadTarget", "--to sideways DIR x.txt", 2, "--to takes unix or windows"},
    {"MissingValue", "DIR x.txt --listing", 2, "--listing needs a value"},
    {"NotADirectory", "DIR/x.txt x.txt", 2, "is not a directory"},
    {"MissingModule", "--module DIR/none.so DIR x.txt", 1, "no module at"},
    {"ModuleWithoutExports", "--module " NOT_A_MODULE " DIR x.txt", 1,
     "lacks SetStartupInfo"},
    {"Converts", "--to windows DIR x.txt", 0, "changed  x.txt\n1 file changed", true},
    // A folder that cannot be read is named in the warning; the rest is
    // converted, and the exit status says not everything was.
    {"UnreadableFolder", "--to windows --subdirs DIR x.txt locked", 1,
     "locked: folder could not be listed", true},
};

// Root reads every folder, so a folder is unreadable only to another user.
std::string AsAnotherUser(const std::string &dir)
{
    if (geteuid() != 0)
        return "";
    std::filesystem::permissions(dir, std::filesystem::perms::all);
    std::filesystem::permissions(PathIn(dir, "x.txt"), std::filesystem::perms::all);
    return "setpriv --reuid=65534 --regid=65534 --clear-groups ";
}

class Quillhost : public ::testing::TestWithParam<Invocation> {};

TEST_P(Quillhost, AnswersItsCommandLine)
{
    const Invocation &c = GetParam();
    std::string dir = Scratch();
    WriteBytes(PathIn(dir, "x.txt"), "a\nb\n");
    std::string user;
    if (c.arguments.find("locked") != std::string::npos) {
        MakeFolder(PathIn(dir, "locked"));
        std::filesystem::permissions(PathIn(dir, "locked"), std::filesystem::perms::none);
        user = AsAnotherUser(dir);
    }
    std::string arguments = c.arguments;
    for (size_t at; (at = arguments.find("DIR")) != std::string::npos;)
        arguments.replace(at, 3, dir);
    // From the sample folder, where the temporaries can be made whoever runs.
    std::string command = "cd " + dir + " && " + user + QUILLHOST_PROGRAM + " " + arguments + " 2>&1";

    FILE *pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[512];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    int status = pclose(pipe);

    EXPECT_EQ(WEXITSTATUS(status), c.exitCode) << output;
    EXPECT_NE(output.find(c.says), std::string::npos) << output;
    EXPECT_EQ(ReadBytes(PathIn(dir, "x.txt")), c.converts ? "a\r\nb\r\n" : "a\nb\n");
}

INSTANTIATE_TEST_SUITE_P(Table, Quillhost, ::testing::ValuesIn(Invocations),
                         [](const ::testing::TestParamInfo<Invocation> &info) { return info.param.name; });

} // namespace
