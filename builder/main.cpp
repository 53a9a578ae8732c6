// kosetup: builds installers from product manifests and inspects them.
#include "builder/cli.h"
#include "builder/platform.h"

#include <iostream>

int main(int argc, char** argv) {
    return ko::RunKosetup(ko::StartCommandLine(argc, argv), std::cout, std::cerr);
}
