#include "cli/output_command.h"

#include <QJsonObject>
#include <optional>

#include "cli/handler_failure.h"
#include "config/number_format.h"
#include "link/device_access.h"

using namespace Qt::Literals::StringLiterals;

namespace veld::cli {

std::string OutputCommand::usage() const {
    return "usage: veld-cli [--port PORT] [--yes] [--json] output [LO HI [--read]]";
}

std::string OutputCommand::help() const {
    return "The range of the 4-20 mA output: the process values for 4 mA (LO) and 20 mA (HI),\n"
           "in the unit of the primary variable.\n"
           "  output              reads the two values stored in the transmitter\n"
           "  output LO HI        saves them with the output scaling computed from the\n"
           "                      transmitter's calibration constants\n"
           "  --read              runs the whole read (\"&Přečíst z převodníku\" of the input\n"
           "                      page) first: the save, as in the window, refuses to run\n"
           "                      before the input configuration is known\n";
}

int OutputCommand::run(const std::vector<std::string>& args, ModelDriver& driver,
                       Context& context) {
    std::vector<std::string> values;
    bool readFirst = false;
    for (const std::string& word : args) {
        if (word == "--read")
            readFirst = true;
        else if (word.size() > 1 && word[0] == '-' &&
                 !config::ParseReal(QString::fromStdString(word), config::DecimalSeparator::Point))
            return usageError(context, "unknown option '" + word + "'");
        else
            values.push_back(word);
    }
    if (values.size() != 0 && values.size() != 2)
        return usageError(context, "give both LO and HI, or neither");
    if (readFirst && values.empty())
        return usageError(context, "--read goes with LO and HI");

    config::MainWindowModel& model = driver.model();
    config::MainForm& f = model.form;
    if (values.empty()) {
        const config::Outcome outcome = driver.click(f.Button3.name);
        if (outcome != config::Outcome::Completed) {
            ReportSilentFailure(context.err(), model.analogOutput().lastFailure());
            return ExitCodeOf(outcome);
        }
        const QString unit = f.Label23.caption.trimmed();
        if (context.json()) {
            const auto number = [&](const config::Edit& box) {
                const auto v = config::ParseReal(box.text(), model.settings().decimalSeparator);
                return v ? JsonNumber(static_cast<double>(*v)) : QJsonValue();
            };
            context.writeJson({{u"begin"_s, number(f.EdLoLimDA)},
                               {u"end"_s, number(f.EdHiLimDA)},
                               {u"unit"_s, unit}});
            return kSuccess;
        }
        const auto line = [&](const config::Label& label, const config::Edit& box) {
            QString text = label.caption + u": "_s + box.text();
            if (!unit.isEmpty())
                text += u' ' + unit;
            return text.toStdString();
        };
        context.out() << line(f.LabLoLimDA, f.EdLoLimDA) << '\n'
                      << line(f.LabHiLimDA, f.EdHiLimDA) << '\n'
                      << std::flush;
        return kSuccess;
    }

    if (readFirst) {
        const config::Outcome read = driver.click(f.Precist.name);
        if (read != config::Outcome::Completed) {
            ReportSilentFailure(context.err(), model.readAll().lastFailure());
            return ExitCodeOf(read);
        }
    }
    if (!driver.enter(f.EdLoLimDA.name, QString::fromStdString(values[0])) ||
        !driver.enter(f.EdHiLimDA.name, QString::fromStdString(values[1])))
        return kFailure;
    const config::Outcome outcome = driver.click(f.Button2.name);
    if (outcome == config::Outcome::Stopped)
        ReportSilentFailure(context.err(), model.analogOutput().lastFailure());
    if (outcome == config::Outcome::Completed && context.json()) {
        const config::AnalogOutput& output = model.analogOutput();
        context.writeJson({{u"begin"_s, JsonNumber(output.OutputRangeLo)},
                           {u"end"_s, JsonNumber(output.OutputRangeHi)}});
    }
    return ExitCodeOf(outcome);
}

}  // namespace veld::cli
