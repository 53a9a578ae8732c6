// Makes an uninstaller the way the install run does: a copy of the stub with an uninstall log
// appended by the package library.
//
//   make_uninstaller STUB OUT NAME [MAJOR MINOR BUILD RELEASE]
#include "base/stream.h"
#include "package/ko_data.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

using namespace ko;

int main(int argc, char** argv) {
    if (argc != 4 && argc != 8) {
        fprintf(stderr, "usage: make_uninstaller STUB OUT NAME [MAJOR MINOR BUILD RELEASE]\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        fprintf(stderr, "make_uninstaller: cannot read %s\n", argv[1]);
        return 1;
    }
    TMemoryStream file(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}));
    TKoInstall install;
    install.ProductName = argv[3];
    if (argc == 8) {
        install.VersionMajor = atoi(argv[4]);
        install.VersionMinor = atoi(argv[5]);
        install.Build = atoi(argv[6]);
        install.Release = atoi(argv[7]);
    }
    file.Seek(0, TSeekOrigin::End);
    install.AppendUninstallLog(file, {});
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.Data().data()), std::streamsize(file.Size()));
    if (!out) {
        fprintf(stderr, "make_uninstaller: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
