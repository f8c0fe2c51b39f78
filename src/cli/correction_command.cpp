#include "cli/correction_command.h"

#include <QJsonObject>

#include "cli/handler_failure.h"
#include "config/read_all.h"

using namespace Qt::Literals::StringLiterals;

namespace veld::cli {

std::string CorrectionCommand::usage() const {
    return "usage: veld-cli [--port PORT] [--yes] [--json] correction [VALUE]";
}

std::string CorrectionCommand::help() const {
    return "The correction added to the primary variable, kept by the transmitter at 120.\n"
           "  correction          reads it and prints it as the window shows it (one decimal),\n"
           "                      followed by the value stored where that differs\n"
           "  correction VALUE    saves VALUE (typed with \".\"); a value the window would\n"
           "                      refuse is not written\n"
           "The whole write of the configuration stores the correction as well.\n";
}

int CorrectionCommand::run(const std::vector<std::string>& args, ModelDriver& driver,
                           Context& context) {
    if (args.size() > 1)
        return usageError(context, "correction takes at most one VALUE");
    config::MainWindowModel& model = driver.model();
    config::Calibration& calibration = model.calibration();
    config::Edit& box = model.form.korekcePV;

    if (args.empty()) {
        // "&Přečíst korekci", which the window runs from its information labels.
        const config::Outcome outcome = calibration.Button1Click();
        model.notifyChanged();
        if (outcome != config::Outcome::Completed) {
            ReportSilentFailure(context.err(), calibration.lastFailure());
            return ExitCodeOf(outcome);
        }
        const auto stored = static_cast<float>(model.config.PvCorrection);
        if (context.json()) {
            context.writeJson({{u"correction"_s, JsonNumber(stored)}, {u"shown"_s, box.text()}});
            return kSuccess;
        }
        const QString exact =
            config::FormatGeneralDigits(stored, 7, model.settings().decimalSeparator);
        std::string line = box.text().toStdString();
        if (config::ParseReal(box.text(), model.settings().decimalSeparator) !=
            config::ParseReal(exact, model.settings().decimalSeparator))
            line += " (" + exact.toStdString() + ")";
        context.out() << line << '\n' << std::flush;
        return kSuccess;
    }

    // The value as typed into `korekcePV` and checked on leaving it; the save would otherwise
    // write the value last accepted, which is not what the command line asked for.
    box.setText(QString::fromStdString(args[0]));
    calibration.korekcePVExit();
    if (box.isEmpty()) {
        model.notifyChanged();
        return kFailure;
    }
    const config::Outcome outcome = calibration.Button8Click();
    model.notifyChanged();
    if (outcome != config::Outcome::Completed) {
        ReportSilentFailure(context.err(), calibration.lastFailure());
        return ExitCodeOf(outcome);
    }
    if (context.json())
        context.writeJson(
            {{u"correction"_s, JsonNumber(static_cast<float>(model.config.PvCorrection))}});
    return kSuccess;
}

}  // namespace veld::cli
