#include "cli/write_command.h"

#include <QJsonObject>
#include <optional>

#include "cli/messages.h"
#include "config/config_compare.h"
#include "lin/format.h"
#include "link/device_access.h"

using namespace Qt::Literals::StringLiterals;

namespace veld::cli {

struct WriteCommand::Arguments {
    QString file;
    std::optional<QString> points;
    bool polynomial = false;    // the dialog's default is the straight segments
    std::optional<int> degree;  // unset: the degree the dialog offers
    bool precise = false;       // ticks "Přesná linearizace"
    QStringList cvd;            // R0, A, B and optionally C for "Přizpůsobení čidlu"
    bool verify = false;
};

std::string WriteCommand::usage() const {
    return "usage: veld-cli [--port PORT] [--yes] [--json] write FILE [--points POINTS] "
           "[--method polynomial|segments] [--degree N] [--precise] [--cvd R0,A,B[,C]] [--verify]";
}

std::string WriteCommand::help() const {
    return "Writes the configuration file FILE into the transmitter.\n"
           "FILE is loaded as \"Přečíst\" of \"Konfigurace ze souboru\" loads it (its messages\n"
           "included); then \"&Uložit vše do převodníku\" is clicked: the entry checks, the\n"
           "question \"Opravdu se má zapsat konfigurace ?\" (--yes, or on the terminal), the\n"
           "device check, and the whole write from \"Stop\" to \"Continue\".\n"
           "Where FILE says \"linearizace: ze souboru\" the linearization is read from POINTS:\n"
           "  --points POINTS                  the linearization point file\n"
           "  --method polynomial|segments     \"Polynom metodou nejmenších čtverců\" or\n"
           "                                   \"Proložení lineárními přímkami v zadaných "
           "bodech\"\n"
           "                                   (default segments)\n"
           "  --degree N                       degree of the polynomial, 2..8 (default 6, or\n"
           "                                   the number of points when there are fewer); the\n"
           "                                   write takes 3..8 and, as the window, 6 for 2\n"
           "  --precise                        tick \"Přesná linearizace\": \"linearizováno\"\n"
           "                                   uploads the precise table (built-in sensors)\n"
           "  --cvd R0,A,B[,C]                 \"Přizpůsobení čidlu\" of a Pt100 or Pt1000\n"
           "                                   \"linearizováno\": the table (spline or precise)\n"
           "                                   is built from the sensor's own Callendar-Van\n"
           "                                   Dusen coefficients, e.g. 100.05,3.91e-3,-5.78e-7,\n"
           "                                   -4.18e-12 (C counts below 0 °C only); the\n"
           "                                   dialog's checks apply, a refusal sends nothing\n"
           "  --verify                         after the write, read the configuration back\n"
           "                                   and compare it with what was written; each\n"
           "                                   difference is named (\"field: transmitter →\n"
           "                                   written\") and the exit status is 1\n"
           "With --json the written configuration is printed as one JSON object.\n";
}

bool WriteCommand::answerDialog(const Arguments& a, ModelDriver& driver, Context& context) {
    config::LinDialogForm& dialog = driver.model().dialog;
    const int method = a.polynomial ? config::LinDialogForm::kMethodPolynomial
                                    : config::LinDialogForm::kMethodSegments;
    if (!driver.choose(dialog.Zpus_lin.name, dialog.Zpus_lin.items.value(method)))
        return false;
    if (a.degree && !driver.enter(dialog.stup_p.name, QString::number(*a.degree)))
        return false;
    driver.click(dialog.OK.name);
    if (dialog.visible) {
        context.err() << "the points dialog refused the choice\n";
        return false;
    }
    return true;
}

bool WriteCommand::matchSensor(const Arguments& a, ModelDriver& driver, Context& context) {
    config::MainWindowModel& m = driver.model();
    if (!m.form.ButCidlo.visible) {
        context.err() << "--cvd: FILE is no Pt100 or Pt1000 \"linearizováno\"; nothing was "
                         "written\n";
        return false;
    }
    config::SensorMatchForm& d = m.sensorDialog;
    driver.click(m.form.ButCidlo.name);
    if (!driver.tick(d.Prizpusobit.name, true))
        return false;
    const config::Edit* fields[] = {&d.CidloR0, &d.CidloA, &d.CidloB, &d.CidloC};
    for (qsizetype i = 0; i < 4; ++i)
        if (!driver.enter(fields[i]->name, i < a.cvd.size() ? a.cvd[i].trimmed() : QString()))
            return false;
    driver.click(d.CidloOK.name);
    // The checks refused a coefficient and said why.
    return !d.visible;
}

int WriteCommand::run(const std::vector<std::string>& args, ModelDriver& driver, Context& context) {
    Arguments a;
    std::optional<std::string> method;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--points" || word == "--method" || word == "--degree" || word == "--cvd") {
            if (i + 1 >= args.size())
                return usageError(context, word + " needs a value");
            const std::string& value = args[++i];
            if (word == "--points") {
                a.points = QString::fromStdString(value);
            } else if (word == "--cvd") {
                a.cvd = QString::fromStdString(value).split(u',');
                bool numbers = a.cvd.size() == 3 || a.cvd.size() == 4;
                for (const QString& number : a.cvd)
                    numbers = numbers && lin::ParseReal(number.trimmed().toStdString()).has_value();
                if (!numbers)
                    return usageError(context,
                                      "--cvd is R0,A,B or R0,A,B,C: numbers with a full stop, "
                                      "separated by commas");
            } else if (word == "--method") {
                if (value != "polynomial" && value != "segments")
                    return usageError(context, "--method is polynomial or segments");
                method = value;
            } else {
                bool ok = false;
                a.degree = QString::fromStdString(value).toInt(&ok);
                if (!ok || *a.degree < 2 || *a.degree > 8)
                    return usageError(context, "--degree is a whole number 2..8");
            }
        } else if (word == "--precise") {
            a.precise = true;
        } else if (word == "--verify") {
            a.verify = true;
        } else if (word.starts_with("--")) {
            return usageError(context, "unknown option '" + word + "'");
        } else if (a.file.isEmpty()) {
            a.file = QString::fromStdString(word);
        } else {
            return usageError(context, "one configuration file only");
        }
    }
    if (a.file.isEmpty())
        return usageError(context, "missing the configuration file FILE");
    a.polynomial = method == "polynomial";
    if (a.degree && !a.polynomial)
        return usageError(context, "--degree is the degree of --method polynomial");

    config::MainWindowModel& m = driver.model();
    TerminalPrompts& prompts = context.prompts();
    const int messages = prompts.messagesShown();
    // The open dialog of the load, then the point-file choice that a "ze souboru" line makes.
    prompts.queueFile(a.file);
    if (a.points)
        prompts.queueFile(*a.points);
    const config::Outcome loaded = driver.click(m.form.ctisoub.name);
    if (loaded != config::Outcome::Completed)
        return ExitCodeOf(loaded);
    // A point file was asked for and none was read: the page fell back to the type's defaults,
    // which are not what FILE says.
    if (m.state.LinFileChosen && !m.points.PointsLoaded) {
        if (!a.points)
            return usageError(context,
                              "FILE linearizes \"ze souboru\": name the point file with "
                              "--points");
        return kFailure;  // the reader has said why
    }
    if (m.dialog.visible && !answerDialog(a, driver, context))
        return kFailure;
    const bool fromFile = m.form.Linearizace.text == u"ze souboru"_s;
    if (a.points && !fromFile)
        context.err() << "--points not used: FILE does not linearize \"ze souboru\"\n";

    if (fromFile && !m.state.LinFileChosen) {
        // The first press only chooses the point file again; the range is typed anew.
        const QString begin = m.form.Pocatek.text();
        const QString end = m.form.Konec.text();
        if (!a.points)
            return usageError(context, "name the point file with --points");
        prompts.queueFile(*a.points);
        driver.click(m.form.Poslat.name);
        if (m.dialog.visible && !answerDialog(a, driver, context))
            return kFailure;
        if (!driver.enter(m.form.Pocatek.name, begin) || !driver.enter(m.form.Konec.name, end))
            return kFailure;
    }
    if (a.precise && !driver.tick(m.form.PresnaLin.name, true))
        return kFailure;
    if (!a.cvd.isEmpty() && !matchSensor(a, driver, context))
        return kFailure;
    // An entry check refused a value of FILE: the window would write the value before it.
    if (prompts.messagesShown() != messages) {
        context.err() << kMsgFileValueRefused << '\n';
        return kFailure;
    }
    const config::Outcome written = driver.click(m.form.Poslat.name);
    if (written == config::Outcome::Stopped) {
        const auto& failure = m.writeAll().lastFailure();
        if (failure && !failure->messageShown())
            context.err() << failure->describe().toStdString() << '\n';
    }
    if (written != config::Outcome::Completed)
        return ExitCodeOf(written);
    QJsonObject result{{u"file"_s, a.file},
                       {u"inputType"_s, m.form.Vstup.text},
                       {u"linearization"_s, m.form.Linearizace.text},
                       {u"hwCode"_s, m.config.HwCode},
                       {u"firmware"_s, m.form.firmwareNumber}};
    int exit = kSuccess;
    if (a.verify) {
        // The page as written, against the page as read back.
        const QStringList expected = m.configFile().Lines();
        const auto differences = config::ReadAndCompare(m, expected);
        if (!differences) {
            context.err() << "the read after the write stopped: the write is not verified\n";
            return kFailure;
        }
        for (const QString& line : config::DifferenceLines(*differences))
            context.err() << kVerificationLine << line.toStdString() << '\n';
        result.insert(u"verified"_s, differences->empty());
        exit = differences->empty() ? kSuccess : kFailure;
    }
    if (context.json())
        context.writeJson(result);
    return exit;
}

}  // namespace veld::cli
