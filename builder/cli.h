// The kosetup command line: parses the arguments, runs a subcommand and turns its outcome into
// an exit code (0 success, 1 bad input or a failed check, 2 a command line that cannot be run).
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ko {

// Args excludes the program name; all of them are UTF-8.
int RunKosetup(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace ko
