#include "cli/calibrate_command.h"

#include <QJsonObject>

#include "cli/handler_failure.h"

using namespace Qt::Literals::StringLiterals;

namespace veld::cli {

std::string CalibrateCommand::usage() const {
    return "usage: veld-cli [--port PORT] [--yes] [--json] calibrate lower|upper";
}

std::string CalibrateCommand::help() const {
    return "Calibration against a reference: apply the reference signal to the input first.\n"
           "Reads the whole configuration as \"&Přečíst z převodníku\" does, then asks\n"
           "\"Opravdu se má nastavit dolní mez převodníku?\" (lower) or \"... horní mez ...\"\n"
           "(upper); on Yes the transmitter takes the present value as the new range end and\n"
           "the new range is read back and printed. A refusal of the transmitter is shown\n"
           "with its message. Not offered for the linearization \"druhá odmocnina\".\n";
}

int CalibrateCommand::run(const std::vector<std::string>& args, ModelDriver& driver,
                          Context& context) {
    if (args.size() != 1 || (args[0] != "lower" && args[0] != "upper"))
        return usageError(context, "calibrate takes lower or upper");
    const bool lower = args[0] == "lower";

    config::MainWindowModel& model = driver.model();
    config::MainForm& f = model.form;
    const config::Outcome read = driver.click(f.Precist.name);
    if (read != config::Outcome::Completed) {
        ReportSilentFailure(context.err(), model.readAll().lastFailure());
        return ExitCodeOf(read);
    }
    if (const auto why = NoInputConfiguration(model)) {
        context.err() << *why << kMsgCalibrationUnavailable << '\n';
        return kFailure;
    }
    // The window keeps these buttons out of sight; the read enables them where a calibration
    // makes sense, and the command goes no further than the window would.
    config::Button& button = lower ? f.S_Dolmez : f.S_Hormez;
    if (!button.enabled) {
        context.err() << kMsgCalibrationNotOffered.arg(f.Linearizace.text).toStdString() << '\n';
        return kFailure;
    }
    config::Calibration& calibration = model.calibration();
    const config::Outcome outcome =
        lower ? calibration.S_DolmezClick() : calibration.S_HormezClick();
    model.notifyChanged();
    if (outcome != config::Outcome::Completed) {
        if (outcome == config::Outcome::Stopped)
            ReportSilentFailure(context.err(), calibration.lastFailure());
        return ExitCodeOf(outcome);
    }

    const QString unit = f.Label8.caption;
    if (context.json()) {
        context.writeJson({{u"begin"_s, JsonNumber(static_cast<double>(model.config.RangeBegin))},
                           {u"end"_s, JsonNumber(static_cast<double>(model.config.RangeEnd))},
                           {u"unit"_s, unit}});
        return kSuccess;
    }
    const auto line = [&](const config::Label& label, const config::Edit& box) {
        QString text = label.caption + u": "_s + box.text();
        if (!unit.isEmpty())
            text += u' ' + unit;
        return text.toStdString();
    };
    context.out() << line(f.Label6, f.Pocatek) << '\n' << line(f.Label7, f.Konec) << '\n';
    context.out() << std::flush;
    return kSuccess;
}

}  // namespace veld::cli
