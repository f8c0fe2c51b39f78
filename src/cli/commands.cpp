#include "cli/commands.h"

#include "cli/backup_command.h"
#include "cli/calibrate_command.h"
#include "cli/correction_command.h"
#include "cli/diff_command.h"
#include "cli/eeprom_command.h"
#include "cli/lin_command.h"
#include "cli/measure_command.h"
#include "cli/note_command.h"
#include "cli/output_command.h"
#include "cli/ports_command.h"
#include "cli/read_command.h"
#include "cli/relay_command.h"
#include "cli/write_command.h"

namespace veld::cli {

std::vector<std::unique_ptr<Command>> MakeCommands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<EepromCommand>());
    commands.push_back(makeLinCommand());
    commands.push_back(std::make_unique<RelayCommand>());
    commands.push_back(std::make_unique<OutputCommand>());
    commands.push_back(std::make_unique<MeasureCommand>());
    commands.push_back(std::make_unique<ReadCommand>());
    commands.push_back(std::make_unique<CalibrateCommand>());
    commands.push_back(std::make_unique<CorrectionCommand>());
    commands.push_back(std::make_unique<NoteCommand>());
    commands.push_back(std::make_unique<WriteCommand>());
    commands.push_back(std::make_unique<BackupCommand>());
    commands.push_back(std::make_unique<RestoreCommand>());
    commands.push_back(std::make_unique<DiffCommand>());
    commands.push_back(std::make_unique<PortsCommand>());
    return commands;
}

}  // namespace veld::cli
