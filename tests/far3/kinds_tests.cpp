// The kinds of file a real tree holds, through the wide module against the
// model: binary files left as they were (named when selected by themselves,
// passed over inside a selected folder), UTF-16 text converted in its
// units, text already in the form asked for not rewritten at all.
#include "wide_support.h"

namespace {

std::string Utf16(const std::string &ascii, bool bigEndian)
{
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii)
        out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
}

// A CR LF pair whose CR ends the module's first block of 512 KiB.
std::string Utf16PairAcrossBlocks()
{
    return Utf16(std::string(262142, 'x') + "\r\nend\r", false);
}

// The first change lies three blocks deep.
std::string ChangeDeepInside()
{
    std::string text;
    while (text.size() < 1600000)
        text += "line\n";
    return text + "last\r\n";
}

const std::string Png = std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\r\n\0", 20);

struct KindCase {
    const char *name;
    std::string bytes;
    int radio; // 1 to Unix, 2 to Windows
    int binaryToo;
    bool inAFolder; // found in a selected folder, not selected by itself
    std::vector<std::string> warning;
};

void PrintTo(const KindCase &c, std::ostream *out)
{
    *out << c.name;
}

uint64_t FileIndex(const std::wstring &path)
{
    HANDLE file = CreateFileW(Long(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return uint64_t(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
}

class FileKinds : public ::testing::TestWithParam<KindCase> {};

TEST_P(FileKinds, ConvertedAsTheModelSaysOrLeftAsTheyWere)
{
    const KindCase &c = GetParam();
    std::wstring root = Root(), file = root + (c.inAFolder ? L"\\d\\f" : L"\\f");
    Put(file, c.bytes);
    Put(root + L"\\d\\text.txt", "t\r\n");
    uint64_t index = FileIndex(file);
    LoadModule(root);
    Wide.selection = {c.inAFolder ? "d" : "f"};
    Wide.pickRadio = c.radio;
    Wide.subdirs = 1;
    Wide.binaryToo = c.binaryToo;
    PickMenuEntry();
    std::string expected = ModelConvertFile(c.bytes, c.radio == 1 ? 0 : 1, c.binaryToo == 1);
    EXPECT_TRUE(Get(file) == expected) << "the file is not as the model has it";
    EXPECT_EQ(Wide.warning, c.warning);
    if (expected == c.bytes) {
        EXPECT_EQ(FileIndex(file), index) << "a file that needed no change was rewritten";
    }
    if (c.inAFolder) {
        EXPECT_EQ(Get(root + L"\\d\\text.txt"), c.radio == 1 ? "t\n" : "t\r\n");
    }
    EXPECT_EQ(TemporariesBelow(Narrow(root)), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Far3, FileKinds,
    ::testing::Values(KindCase{"BinarySelectedIsNamed", Png, 1, 0, false, {Title, "Not converted: 1", "f: binary file"}},
                      KindCase{"BinaryInAFolderIsPassedOver", Png, 1, 0, true, {}},
                      KindCase{"BinaryConvertedWhenAskedFor", Png, 1, 1, false, {}},
                      KindCase{"Utf16LittleEndian", Utf16("a\r\nb\rc\n\n\r", false), 1, 0, false, {}},
                      KindCase{"Utf16WithAnOddLastByte", Utf16("a\nb\r", false) + "A", 2, 0, true, {}},
                      KindCase{"Utf16BigEndian", Utf16("a\nb\n\rc", true), 2, 0, false, {}},
                      KindCase{"Utf16PairAcrossBlocks", Utf16PairAcrossBlocks(), 1, 0, false, {}},
                      KindCase{"Utf8MarkIsText", "\xEF\xBB\xBF" "a\r\nb\r\n", 1, 0, false, {}},
                      KindCase{"Utf32IsBinary", std::string("\xFF\xFE\0\0a\0\0\0\r\0\0\0\n\0\0\0", 16), 1, 0, false,
                               {Title, "Not converted: 1", "f: binary file"}},
                      KindCase{"AlreadyInTheForm", "a\nb\n", 1, 0, false, {}},
                      KindCase{"AlreadyInTheFormWithCrLf", "a\r\nb\r\n", 2, 0, true, {}},
                      KindCase{"Empty", "", 2, 0, false, {}},
                      KindCase{"FirstChangeThreeBlocksDeep", ChangeDeepInside(), 1, 0, false, {}}),
    [](const ::testing::TestParamInfo<KindCase> &info) { return std::string(info.param.name); });

} // namespace
