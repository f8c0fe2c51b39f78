#pragma once

#include <string>
#include <vector>

#include "cli/command.h"

namespace veld::cli {

// veld-cli [--port PORT|auto] [--fast] [--yes] [--json] COMMAND ARGS...
// Reads the global options, then runs the command with the rest. Returns the exit status:
// 0 done, 1 stopped (by a message, a failed transaction or a question answered No), 2 usage.
int Run(const std::vector<std::string>& args, const Environment& environment);

}  // namespace veld::cli
