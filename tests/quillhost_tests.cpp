// The quillhost program's command line: a mistake gets a clear message and
// a non-zero exit, and touches nothing.
#include "support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

namespace {

struct Invocation {
    const char *name;
    std::string arguments; // DIR stands for the sample folder
    int exitCode;
    const char *says;
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
    {"Converts", "--to windows DIR x.txt", 0, "changed  x.txt\n1 file changed"},
};

class Quillhost : public ::testing::TestWithParam<Invocation> {};

TEST_P(Quillhost, AnswersItsCommandLine)
{
    const Invocation &c = GetParam();
    std::string dir = Scratch();
    WriteBytes(PathIn(dir, "x.txt"), "a\nb\n");
    std::string arguments = c.arguments;
    for (size_t at; (at = arguments.find("DIR")) != std::string::npos;)
        arguments.replace(at, 3, dir);
    std::string command = std::string(QUILLHOST_PROGRAM) + " " + arguments + " 2>&1";

    FILE *pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[512];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    int status = pclose(pipe);

    EXPECT_EQ(WEXITSTATUS(status), c.exitCode) << output;
    EXPECT_NE(output.find(c.says), std::string::npos) << output;
    EXPECT_EQ(ReadBytes(PathIn(dir, "x.txt")), c.exitCode == 0 ? "a\r\nb\r\n" : "a\nb\n");
}

INSTANTIATE_TEST_SUITE_P(Table, Quillhost, ::testing::ValuesIn(Invocations),
                         [](const ::testing::TestParamInfo<Invocation> &info) { return info.param.name; });

} // namespace
