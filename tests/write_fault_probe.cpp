// Run by write-fault.sh under a file-size limit, so that the real platform
// write fails part-way through the temporary: the source must come through
// byte-identical, with no temporary left behind.
#include "engine/engine.h"
#include "far1/settings.h"
#include "far1/walk.h"
#include "support.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: write_fault_probe SOURCE EXPECTED\n");
        return 2;
    }
    std::string before = ReadBytes(argv[2]);
    Settings.ConvertMode = ModeToLf;
    RewriteFile(argv[1]);
    bool kept = ReadBytes(argv[1]) == before && !before.empty();
    bool clean = CountTemporaries() == 0;
    printf("source byte-identical: %s\nno temporary left: %s\n", kept ? "yes" : "NO", clean ? "yes" : "NO");
    return kept && clean ? 0 : 1;
}
