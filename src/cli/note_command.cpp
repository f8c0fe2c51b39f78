#include "cli/note_command.h"

#include <QJsonObject>

#include "cli/handler_failure.h"

using namespace Qt::Literals::StringLiterals;

namespace veld::cli {

std::string NoteCommand::usage() const {
    return "usage: veld-cli [--port PORT] [--yes] [--json] note [TEXT]";
}

std::string NoteCommand::help() const {
    return "The user note the transmitter keeps (60 characters at 512).\n"
           "  note          reads it and prints it (trailing blanks and control characters\n"
           "                removed, other control characters printed as \\xHH)\n"
           "  note TEXT     writes TEXT, padded with blanks; quote it when it has blanks. The\n"
           "                transmitter holds only characters of code page windows-1250 and at\n"
           "                most 60 of them: any other text is refused before anything is sent.\n"
           "  note -- TEXT  the same for a TEXT that begins with \"-\"\n";
}

int NoteCommand::run(const std::vector<std::string>& args, ModelDriver& driver, Context& context) {
    std::vector<std::string> words = args;
    if (!words.empty() && words.front() == "--")
        words.erase(words.begin());
    else if (!words.empty() && words.front().size() > 1 && words.front()[0] == '-')
        return usageError(context, "unknown option '" + words.front() + "'");
    if (words.size() > 1)
        return usageError(context, "note takes one TEXT; quote a text with blanks");

    config::MainWindowModel& model = driver.model();
    config::MainForm& f = model.form;
    if (words.empty()) {
        const config::Outcome outcome = driver.click(f.Prec_Pozn.name);
        if (outcome != config::Outcome::Completed) {
            ReportSilentFailure(context.err(), model.userNote().lastFailure());
            return ExitCodeOf(outcome);
        }
        if (context.json())
            context.writeJson({{u"note"_s, f.EditUzPozn.text()}});
        else
            context.out() << TerminalText(f.EditUzPozn.text()) << '\n' << std::flush;
        return kSuccess;
    }

    // Put in whole, not typed: the box would cut a longer text at 60 characters without a word,
    // and the save is to refuse it instead.
    f.EditUzPozn.setText(QString::fromStdString(words.front()));
    const config::Outcome outcome = driver.click(f.Uloz_Pozn.name);
    if (outcome != config::Outcome::Completed) {
        ReportSilentFailure(context.err(), model.userNote().lastFailure());
        return ExitCodeOf(outcome);
    }
    if (context.json())
        context.writeJson({{u"note"_s, f.EditUzPozn.text()}});
    return kSuccess;
}

}  // namespace veld::cli
