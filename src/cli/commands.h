#pragma once

#include <memory>
#include <vector>

#include "cli/command.h"

namespace veld::cli {

// Every command of veld-cli, in the order --help lists them.
std::vector<std::unique_ptr<Command>> MakeCommands();

}  // namespace veld::cli
