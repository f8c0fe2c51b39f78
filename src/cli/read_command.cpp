#include "cli/read_command.h"

#include <QJsonArray>
#include <QJsonObject>

#include "cli/handler_failure.h"

using namespace Qt::Literals::StringLiterals;

namespace veld::cli {

std::string ReadCommand::usage() const {
    return "usage: veld-cli [--port PORT] [--yes] [--json] read [--save FILE]";
}

std::string ReadCommand::help() const {
    return "Reads the whole input configuration from the transmitter, as \"&Přečíst z\n"
           "převodníku\" does in the window, and prints it as the lines of a configuration\n"
           "file (UTF-8). The user note is read as well; with --json it is in \"note\".\n"
           "  --save FILE   also saves the configuration file (windows-1250), as \"Uložit\" of\n"
           "                \"Konfigurace ze souboru\" does: the page must be complete (the\n"
           "                total value of the difference inputs is not kept in the\n"
           "                transmitter and must then be given in the window).\n";
}

int ReadCommand::run(const std::vector<std::string>& args, ModelDriver& driver, Context& context) {
    std::optional<QString> saveTo;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--save") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return usageError(context, "--save needs a file name");
            saveTo = QString::fromStdString(args[++i]);
        } else if (args[i].rfind("--save=", 0) == 0 && args[i].size() > 7) {
            saveTo = QString::fromStdString(args[i].substr(7));
        } else {
            return usageError(context, "unexpected '" + args[i] + "'");
        }
    }

    config::MainWindowModel& model = driver.model();
    const config::Outcome read = driver.click(model.form.Precist.name);
    if (read != config::Outcome::Completed) {
        ReportSilentFailure(context.err(), model.readAll().lastFailure());
        return ExitCodeOf(read);
    }
    const QStringList lines = model.configFile().Lines();

    config::Outcome saved = config::Outcome::Completed;
    if (saveTo) {
        // Such a file would not load again.
        if (const auto why = NoInputConfiguration(model)) {
            context.err() << *why << kMsgFileNotSaved << '\n';
            saved = config::Outcome::Stopped;
        } else {
            context.prompts().queueFile(*saveTo);
            saved = driver.click(model.form.Ulosoub.name);
        }
    }
    if (context.json()) {
        QJsonObject result{{u"lines"_s, QJsonArray::fromStringList(lines)},
                           {u"note"_s, model.form.EditUzPozn.text()}};
        if (saveTo)
            result.insert(u"saved"_s, saved == config::Outcome::Completed
                                          ? QJsonValue(*saveTo)
                                          : QJsonValue(QJsonValue::Null));
        context.writeJson(result);
    } else {
        for (const QString& line : lines)
            context.out() << TerminalText(line) << '\n';
        context.out() << std::flush;
    }
    return ExitCodeOf(saved);
}

}  // namespace veld::cli
