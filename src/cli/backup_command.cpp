#include "cli/backup_command.h"

#include <QJsonArray>
#include <QJsonObject>

#include "config/transmitter_backup.h"

using namespace Qt::Literals::StringLiterals;

namespace veld::cli {
namespace {

// The one FILE argument; empty after a usage error has been reported.
std::optional<QString> FileArgument(const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0].empty() || (args[0].size() > 1 && args[0][0] == '-'))
        return std::nullopt;
    return QString::fromStdString(args[0]);
}

}  // namespace

std::string BackupCommand::usage() const {
    return "usage: veld-cli [--port PORT] [--json] backup FILE";
}

std::string BackupCommand::help() const {
    return "Reads every area of the transmitter's memory that the program writes (the presets'\n"
           "area, the output scaling, the correction, the linearization image, the configuration,\n"
           "the note, the comparators, the range items; never the factory constants at 36 or the\n"
           "signature) and saves them to FILE with the signature, the firmware number, the time\n"
           "and the note, protected by a CRC-32. FILE is replaced only once the new one is\n"
           "complete. Nothing is written to the transmitter.\n";
}

int BackupCommand::run(const std::vector<std::string>& args, ModelDriver& driver,
                       Context& context) {
    const auto file = FileArgument(args);
    if (!file)
        return usageError(context, "backup takes one FILE");
    config::MainWindowModel& m = driver.model();
    config::TransmitterBackup backup(m.device(), m.prompts());
    const config::Outcome outcome = backup.save(*file);
    if (outcome == config::Outcome::Completed && context.json())
        context.writeJson({{u"file"_s, *file}});
    return ExitCodeOf(outcome);
}

std::string RestoreCommand::usage() const {
    return "usage: veld-cli [--port PORT] [--yes] [--json] restore FILE";
}

std::string RestoreCommand::help() const {
    return "Writes a backup made by \"backup\" back into the transmitter. A damaged file, a file\n"
           "that is no backup, or a backup of a transmitter with another signature is refused\n"
           "before anything is sent. After the question (--yes, or on the terminal) the areas\n"
           "are written between \"Stop\" and \"Reset\", \"Continue\", as the whole write does;\n"
           "a failed step stops the restore and names the areas written until then.\n";
}

int RestoreCommand::run(const std::vector<std::string>& args, ModelDriver& driver,
                        Context& context) {
    const auto file = FileArgument(args);
    if (!file)
        return usageError(context, "restore takes one FILE");
    config::MainWindowModel& m = driver.model();
    config::TransmitterBackup backup(m.device(), m.prompts());
    const config::Outcome outcome = backup.restore(*file);
    if (outcome == config::Outcome::Completed && context.json())
        context.writeJson(
            {{u"file"_s, *file}, {u"areas"_s, QJsonArray::fromStringList(backup.writtenAreas())}});
    return ExitCodeOf(outcome);
}

}  // namespace veld::cli
