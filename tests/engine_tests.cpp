// The converter's pairing rules, block boundaries and modes, through real
// files on both platforms.
#include "engine/engine.h"
#include "engine/scan.h"
#include "support.h"

#include <gtest/gtest.h>

#include <random>

namespace {

const std::string Pad2046(2046, 'x');
const std::string Pad2047(2047, 'x');

struct Case {
    const char *name;
    std::string in;
    DWORD mode;
    std::string out;
};

const Case Cases[] = {
    {"Empty", "", 0, ""},
    {"EmptyToCrLf", "", 1, ""},
    {"CrLfToLf", "a\r\nb", 0, "a\nb"},
    {"LfToCrLf", "a\nb", 1, "a\r\nb"},
    {"LoneCrToLf", "a\rb", 0, "a\nb"},
    {"LoneCrToCrLf", "a\rb", 1, "a\r\nb"},
    {"LfCrIsOneBreakToLf", "a\n\rb", 0, "a\nb"},
    {"LfCrIsOneBreakToCrLf", "a\n\rb", 1, "a\r\nb"},
    {"CrLfCrIsTwo", "\r\n\r", 0, "\n\n"},
    {"CrCrLfIsTwo", "\r\r\n", 0, "\n\n"},
    {"LfLfIsTwo", "\n\n", 1, "\r\n\r\n"},
    {"CrCrIsTwo", "\r\r", 0, "\n\n"},
    {"LfCrLfIsTwo", "\n\r\n", 0, "\n\n"},
    {"TrailingLoneLf", "abc\n", 1, "abc\r\n"},
    {"TrailingLoneCr", "abc\r", 0, "abc\n"},
    {"OtherBytesPass", std::string("\0\x7f\x80\xff z", 6), 1, std::string("\0\x7f\x80\xff z", 6)},
    {"Utf16BreaksStandAlone", std::string("a\0\r\0\n\0", 6), 0, std::string("a\0\n\0\n\0", 6)},
    {"Utf16ToCrLf", std::string("a\0\r\0\n\0", 6), 1, std::string("a\0\r\n\0\r\n\0", 8)},
    {"AnyNonZeroModeIsCrLf", "a\nb\r", 7, "a\r\nb\r\n"},
    {"HighestModeIsCrLf", "a\rb", 0xFFFFFFFFu, "a\r\nb"},
    // A pair split by the 2048-byte read is still one line break.
    {"CrThenLfAcrossBlocks", Pad2047 + "\r\nz", 0, Pad2047 + "\nz"},
    {"LfThenCrAcrossBlocks", Pad2047 + "\n\rz", 1, Pad2047 + "\r\nz"},
    // A pair completed by the block's last byte is not held back; the next
    // block's first byte stands alone.
    {"PairEndsBlockCrLf", Pad2046 + "\r\n\nz", 0, Pad2046 + "\n\nz"},
    {"PairEndsBlockLfCr", Pad2046 + "\n\r\rz", 1, Pad2046 + "\r\n\r\nz"},
    {"ExactBlockEndingInLoneCr", Pad2047 + "\r", 0, Pad2047 + "\n"},
    {"ExactBlockEndingInLoneCrToCrLf", Pad2047 + "\r", 1, Pad2047 + "\r\n"},
    {"BlockOfCrsDoubles", std::string(2048, '\r') + "\r", 1, [] {
         std::string s;
         for (int i = 0; i < 2049; i++)
             s += "\r\n";
         return s;
     }()},
    {"HeldBackByteThenEnd", Pad2047 + "\n", 1, Pad2047 + "\r\n"},
    {"ManyBlocks", std::string(5000, 'y') + "\r\n" + std::string(3000, 'y'), 0,
     std::string(5000, 'y') + "\n" + std::string(3000, 'y')},
};

void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.name;
}

class Converter : public ::testing::TestWithParam<Case> {};

TEST_P(Converter, RewritesEveryLineBreak)
{
    const Case &c = GetParam();
    EXPECT_EQ(ConvertThroughFiles(c.in, c.mode), c.out);
    EXPECT_EQ(ModelConvert(c.in, c.mode), c.out) << "the model disagrees with the table";
}

TEST_P(Converter, ConvertingAgainChangesNothing)
{
    const Case &c = GetParam();
    EXPECT_EQ(ConvertThroughFiles(c.out, c.mode), c.out);
}

INSTANTIATE_TEST_SUITE_P(Table, Converter, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<Case> &info) { return info.param.name; });

// Random files against the byte-at-a-time model, across block boundaries:
// from runs of nothing but line breaks to long lines of ordinary bytes.
TEST(ConverterRandom, MatchesTheModel)
{
    std::mt19937 random(20261208);
    const char breaks[] = {'\r', '\n'};
    const char ordinary[] = {'a', '\0', '\xff', ' ', '\x0b', '\x8d'};
    for (int round = 0; round < 200; round++) {
        size_t length = random() % 9000;
        unsigned sparseness = 1u << (random() % 8);
        std::string in(length, 'q');
        for (char &c : in)
            c = random() % sparseness == 0 ? breaks[random() % 2] : ordinary[random() % sizeof ordinary];
        DWORD mode = random() % 2;
        ASSERT_EQ(ConvertThroughFiles(in, mode), ModelConvert(in, mode))
            << "round " << round << ", length " << length;
    }
}

// Line breaks from dense runs down to one in a long line, so that both the
// chunk paths and the byte-wise path of the scan meet every neighbour, on
// every path of the scan the processor can run.
TEST(ConverterRandom, ScanMatchesTheModelOnEveryBlockSize)
{
    std::mt19937 random(7);
    unsigned char out[2 * (BlockSize + 1) + ScanSlack];
    const ScanPath fastest = WidestScanPath();
    for (int round = 0; round < 30000; round++) {
        ScanPath path = (ScanPath)(round % (fastest + 1));
        UseScanPath(path);
        DWORD filled = random() % (BlockSize + 2);
        unsigned sparseness = 1u << (random() % 8);
        std::string in(filled, 'q');
        for (char &c : in)
            if (random() % sparseness == 0)
                c = random() % 2 ? '\r' : '\n';
        DWORD mode = random() % 2;
        bool more = random() % 2;
        std::string padded = in + std::string(ScanSlack, '\r');
        ScanResult scan = ScanBlock((const unsigned char *)padded.data(), filled, more, mode, out);
        bool holdsBack = more && filled > 0 && scan.consumed == filled - 1;
        ASSERT_TRUE(scan.consumed == filled || holdsBack) << round;
        std::string done = in.substr(0, scan.consumed);
        ASSERT_EQ(std::string((char *)out, scan.produced), ModelConvert(done, mode))
            << "round " << round << ", path " << path;
    }
    UseFastestScanPaths();
}

} // namespace
