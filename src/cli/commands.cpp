#include "cli/commands.h"

#include "cli/eeprom_command.h"
#include "cli/lin_command.h"

namespace veld::cli {

std::vector<std::unique_ptr<Command>> MakeCommands(LinkSession& session) {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<EepromCommand>(
        [&session](std::ostream& err) -> link::Link& { return session.link(err); }));
    commands.push_back(makeLinCommand());
    return commands;
}

}  // namespace veld::cli
