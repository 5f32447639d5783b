// quillhost: loads a module of either interface and drives it as the host
// does when a user picks its menu entry, answers the dialog from the command
// line, and reports which files the run changed.
#include "drive.h"

#include <cstdio>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

static const char Usage[] =
    "usage: quillhost [options] DIR [NAME ...]\n"
    "  DIR                        the active panel's directory; each NAME an entry of DIR the user selected\n"
    "  --to unix|windows          the radio button the user picks (default: leave the preset)\n"
    "  --subdirs | --no-subdirs   the recursion box (default: leave the preset)\n"
    "  --binary | --no-binary     wide modules: the box for converting binary files too (default: leave it)\n"
    "  --masks LIST               wide modules: type LIST over the file masks line (default: leave it)\n"
    "  --filter BYTES | --no-filter\n"
    "                             wide modules: set the host's filter up, with the dialog's button, to pass\n"
    "                             files smaller than BYTES, and tick \"Use filter\"; or clear that box\n"
    "  --macro ARG... --          wide modules: call the module as a macro does (Plugin.Call), with these\n"
    "                             arguments (true, false, nil, numbers, or text), instead of the menu\n"
    "  --this-run-only            tick the this-run-only box\n"
    "  --cancel                   close the dialog with Escape instead of the accept button\n"
    "  --listing direct|subtree   single-byte modules: how GetDirList answers (default direct; subtree is\n"
    "                             the real host's form). Today's host always lists the subtree by full paths\n"
    "  --panel plugin|realnames   the active panel is a plugin's: of names in an archive, or of real files\n"
    "                             named by their full paths, as the temporary panel of \"Find file\"\n"
    "  --root-key KEY             single-byte modules: the host's RootKey (default Software\\QuillmereHost)\n"
    "  --language NAME            wide modules: the interface language, as in .lng headers (default English)\n"
    "  --settings FILE            wide modules: where the host's settings store is kept between runs\n"
    "                             (default quillhost.settings beside the program)\n"
    "  --module PATH              the module to load, of either interface: a module that exports\n"
    "                             GetGlobalInfoW is driven as today's host does (default: the one built\n"
    "                             beside the program)\n"
    "  --show                     draw the dialog and the working box as the host would, as text\n"
    "A warning the module shows is drawn always; the exit status is then 1.\n";

struct Options : DriveOptions {
    std::string dir;
};

bool Fail(const std::string &message)
{
    fprintf(stderr, "quillhost: %s\n", message.c_str());
    return false;
}

static bool TakeValue(int argc, char **argv, int &i, std::string &value)
{
    if (i + 1 >= argc)
        return Fail(std::string(argv[i]) + " needs a value");
    value = argv[++i];
    return true;
}

static bool ParseOption(int argc, char **argv, int &i, Options &options)
{
    std::string arg = argv[i], value;
    if (arg == "--to") {
        if (!TakeValue(argc, argv, i, value) || (value != "unix" && value != "windows"))
            return Fail("--to takes unix or windows");
        options.user.pickRadio = value == "unix" ? 1 : 2;
    } else if (arg == "--subdirs" || arg == "--no-subdirs") {
        options.user.subdirs = arg == "--subdirs";
    } else if (arg == "--binary" || arg == "--no-binary") {
        options.user.binaryToo = arg == "--binary";
    } else if (arg == "--masks") {
        options.user.typeMasks = true;
        return TakeValue(argc, argv, i, options.user.masks);
    } else if (arg == "--filter") {
        if (!TakeValue(argc, argv, i, value) || value.find_first_not_of("0123456789") != std::string::npos ||
            value.empty())
            return Fail("--filter takes a number of bytes");
        options.user.useFilter = 1;
        options.user.filterBelow = std::stoll(value);
    } else if (arg == "--no-filter") {
        options.user.useFilter = 0;
    } else if (arg == "--macro") {
        options.fromMacro = true;
        while (++i < argc && strcmp(argv[i], "--") != 0)
            options.macro.push_back(argv[i]);
    } else if (arg == "--this-run-only") {
        options.user.thisRunOnly = true;
    } else if (arg == "--cancel") {
        options.user.close = DialogClose::Escape;
    } else if (arg == "--listing") {
        if (!TakeValue(argc, argv, i, value) || (value != "direct" && value != "subtree"))
            return Fail("--listing takes direct or subtree");
        options.subtreeListing = value == "subtree";
    } else if (arg == "--panel") {
        if (!TakeValue(argc, argv, i, value) || (value != "plugin" && value != "realnames"))
            return Fail("--panel takes plugin or realnames");
        options.user.panel = value == "plugin" ? PanelKind::Plugin : PanelKind::RealNames;
    } else if (arg == "--root-key") {
        return TakeValue(argc, argv, i, options.rootKey);
    } else if (arg == "--language") {
        return TakeValue(argc, argv, i, options.language);
    } else if (arg == "--settings") {
        return TakeValue(argc, argv, i, options.settings);
    } else if (arg == "--module") {
        return TakeValue(argc, argv, i, options.module);
    } else if (arg == "--show") {
        options.user.show = true;
    } else {
        return Fail("unknown option " + arg);
    }
    return true;
}

static bool ParseArguments(int argc, char **argv, Options &options)
{
    std::vector<std::string> operands;
    for (int i = 1; i < argc; i++) {
        if (strncmp(argv[i], "--", 2) == 0) {
            if (!ParseOption(argc, argv, i, options))
                return false;
        } else {
            operands.push_back(argv[i]);
        }
    }
    if (operands.empty())
        return Fail("no directory given");
    options.dir = operands[0];
    options.names.assign(operands.begin() + 1, operands.end());
    std::error_code error;
    if (!fs::is_directory(options.dir, error))
        return Fail(options.dir + " is not a directory");
    return true;
}

typedef std::map<std::string, uint64_t> Prints;

// A fingerprint of a file's content: four independent multiply lanes over
// 8-byte words, read a megabyte at a time, so that reading the selection
// twice costs less than converting it.
static uint64_t Fingerprint(const fs::path &file)
{
    static std::vector<unsigned char> block(1 << 20);
    const uint64_t K = 0x9E3779B97F4A7C15ull;
    uint64_t lanes[4] = {1, 2, 3, 4}, total = 0;
    // By the path itself: a name in no code page still opens.
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return 0;
    for (size_t got; (got = (size_t)in.read((char *)block.data(), (std::streamsize)block.size()).gcount()) > 0;
         total += got) {
        size_t padded = (got + 31) / 32 * 32;
        memset(block.data() + got, 0, padded - got);
        for (size_t i = 0; i < padded; i += 32)
            for (int lane = 0; lane < 4; lane++) {
                uint64_t word;
                memcpy(&word, block.data() + i + 8 * lane, 8);
                lanes[lane] = ((lanes[lane] ^ word) * K) ^ (lanes[lane] >> 29);
            }
    }
    return ((lanes[0] * 3 + lanes[1]) * 5 + lanes[2]) * 7 + lanes[3] + total * K;
}

// Each file of the selection (below a selected folder, at any depth) with a
// fingerprint of its content; folders that cannot be read are passed over.
static Prints Fingerprints(const fs::path &dir, const std::vector<std::string> &names)
{
    Prints prints;
    std::error_code error;
    auto note = [&](const fs::path &file) {
        if (fs::is_regular_file(fs::symlink_status(file, error)))
            prints[file.lexically_relative(dir).generic_u8string()] = Fingerprint(file);
    };
    const auto options = fs::directory_options::skip_permission_denied;
    for (const std::string &name : names) {
        fs::path entry = dir / NativeOf(name);
        note(entry);
        if (!fs::is_directory(fs::symlink_status(entry, error)))
            continue;
        for (fs::recursive_directory_iterator it(entry, options, error), end; !error && it != end;
             it.increment(error))
            note(it->path());
    }
    return prints;
}

static void ReportChanges(const Prints &before, const fs::path &dir, const std::vector<std::string> &names)
{
    Prints after = Fingerprints(dir, names);
    int changed = 0;
    for (const auto &[name, hash] : after) {
        auto old = before.find(name);
        if (old == before.end() || old->second != hash) {
            Print("changed  " + name + "\n");
            changed++;
        }
    }
    Print(std::to_string(changed) + (changed == 1 ? " file changed\n" : " files changed\n"));
}

// A module that exports GetGlobalInfoW speaks today's interface.
static int Drive(Options &options, const fs::path &dir)
{
    options.user.curDir = HostPath(dir.lexically_normal().string());
    options.user.selection = options.names;
#ifdef QUILLHOST_WIDE
    if (IsWideModule(options.module))
        return DriveWide(options);
#endif
#ifdef QUILLHOST_SINGLE
    return DriveSingle(options);
#else
    return Fail("this build of quillhost drives only modules for today's host"), 1;
#endif
}

int main(int argc, char **argv)
{
    Options options;
    if (argc < 2 || !ParseArguments(argc, argv, options)) {
        fputs(Usage, stderr);
        return 2;
    }
    fs::path program = fs::absolute(argv[0]).parent_path();
    if (options.module.empty())
        options.module = (program / QUILLHOST_DEFAULT_MODULE).string();
    if (options.settings.empty())
        options.settings = (program / "quillhost.settings").string();
    if (!fs::is_regular_file(options.module))
        return Fail("no module at " + options.module), 1;
    fs::path dir = fs::absolute(options.dir);
    Prints before = Fingerprints(dir, options.names);
    int status = Drive(options, dir);
    ReportChanges(before, dir, options.names);
    return status;
}
