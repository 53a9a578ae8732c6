// Makes a Setup.exe from a product manifest with another product name put in: a name the
// manifest check refuses, such as one holding markup (its "<" and ">" cannot be part of a
// folder name), still reaches the installer's welcome page this way.
//
//   make_setup MANIFEST STUB OUT NAME
#include "builder/manifest.h"
#include "builder/package_writer.h"
#include "builder/platform.h"
#include "builder/product.h"

#include <cstdio>
#include <exception>

using namespace ko;

int main(int argc, char** argv) {
    if (argc != 5) {
        fprintf(stderr, "usage: make_setup MANIFEST STUB OUT NAME\n");
        return 2;
    }
    try {
        const TManifest manifest = LoadManifest(argv[1]);
        std::array<uint8_t, 16> key;
        RandomBytes(key.data(), key.size());
        std::vector<std::string> warnings;
        TPackageContent content = ResolveManifest(manifest, key, warnings);
        content.ProductName = argv[4];
        BuildSetupFile(ReadStub(PathFromUtf8(argv[2])), argv[2], content, PathFromUtf8(argv[3]),
                       {});
    } catch (const std::exception& e) {
        fprintf(stderr, "make_setup: %s\n", e.what());
        return 1;
    }
    return 0;
}
