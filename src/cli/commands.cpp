#include "cli/commands.h"

#include "cli/eeprom_command.h"
#include "cli/lin_command.h"

namespace veld::cli {

std::vector<std::unique_ptr<Command>> MakeCommands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<EepromCommand>());
    commands.push_back(makeLinCommand());
    return commands;
}

}  // namespace veld::cli
