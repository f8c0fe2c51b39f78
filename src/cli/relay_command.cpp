#include "cli/relay_command.h"

#include <QJsonObject>
#include <optional>

#include "cli/handler_failure.h"
#include "config/number_format.h"
#include "config/text_util.h"
#include "link/device_access.h"
#include "model/code_tables.h"

using namespace Qt::Literals::StringLiterals;

namespace veld::cli {

namespace {

std::string WithUnit(const QString& text, const QString& unit) {
    return (unit.isEmpty() ? text : text + u' ' + unit).toStdString();
}

}  // namespace

std::string RelayCommand::usage() const {
    return "usage: veld-cli [--port PORT] [--yes] [--json] relay K [--enable [--on X] [--off Y] "
           "[--delay-on S] [--delay-off S] [--mode HYSTEREZE|OKNO] | --disable]";
}

std::string RelayCommand::help() const {
    return "Limit comparator K (1..4) of the page \"Relé\".\n"
           "  relay K            reads it (\"Přečíst\") and prints its values\n"
           "  relay K --enable   ticks \"Povolení mezního komparátoru K\" and saves (\"Uložit\"):\n"
           "                     the presence test, the question, then the delays, the limits and\n"
           "                     the mode byte are written\n"
           "  relay K --disable  reads it, clears the box and saves: only the enable bit is\n"
           "                     cleared\n"
           "  --on X, --off Y    switch-on and switch-off limits, typed into the edits\n"
           "  --delay-on S, --delay-off S   delays in seconds, 0..255 (default 0)\n"
           "  --mode HYSTEREZE|OKNO         the relay mode (default HYSTEREZE)\n"
           "The save checks, as the window does, that both limits and both delays are filled,\n"
           "also when switching off (then they are not written: --disable reads them first\n"
           "unless all four are given). Each value passes the window's\n"
           "check as it is left; a refused value stops the command. Nothing is written before\n"
           "the question is answered Yes (--yes, or on the terminal).\n";
}

int RelayCommand::run(const std::vector<std::string>& args, ModelDriver& driver, Context& context) {
    if (args.empty())
        return usageError(context, "missing comparator number K");
    static const std::vector<std::string> kNumbers{"1", "2", "3", "4"};
    const auto number = std::find(kNumbers.begin(), kNumbers.end(), args[0]);
    if (number == kNumbers.end())
        return usageError(context, "comparator number K is 1..4, not '" + args[0] + "'");
    const int k = static_cast<int>(number - kNumbers.begin()) + 1;
    if (args.size() == 1)
        return read(k, driver, context);

    std::optional<bool> enable;
    std::optional<QString> on, off, delayOn, delayOff, mode;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--enable" || word == "--disable") {
            const bool wanted = word == "--enable";
            if (enable && *enable != wanted)
                return usageError(context, "--enable and --disable exclude each other");
            enable = wanted;
            continue;
        }
        std::optional<QString>* value = word == "--on"          ? &on
                                        : word == "--off"       ? &off
                                        : word == "--delay-on"  ? &delayOn
                                        : word == "--delay-off" ? &delayOff
                                        : word == "--mode"      ? &mode
                                                                : nullptr;
        if (!value)
            return usageError(context, "unknown option '" + word + "'");
        if (i + 1 >= args.size())
            return usageError(context, word + " needs a value");
        *value = QString::fromStdString(args[++i]);
    }
    if (!enable)
        return usageError(context, "values are saved with --enable or --disable");
    if (mode && *mode != config::q(model::kRelayHysteresis) &&
        *mode != config::q(model::kRelayWindow))
        return usageError(context, "--mode is HYSTEREZE or OKNO");

    config::ComparatorGroup& g = *driver.model().form.Komparator[static_cast<std::size_t>(k - 1)];
    // Switching off writes only the enable bit, yet the save wants every value filled: those not
    // given are read first, as a technician presses "Přečíst".
    if (!*enable && !(on && off && delayOn && delayOff)) {
        const config::Outcome read = driver.click(g.Preckomp.name);
        if (read != config::Outcome::Completed) {
            ReportSilentFailure(context.err(), driver.model().comparators().lastFailure());
            return ExitCodeOf(read);
        }
    }
    // Each limit is compared with the other as it stands when it is left, and both start at 0:
    // a 0 typed first would look equal to the other limit not yet typed.
    const auto isZero = [](const std::optional<QString>& text) {
        const auto v =
            text ? config::ParseReal(*text, config::DecimalSeparator::Point) : std::nullopt;
        return v && *v == 0;
    };
    std::vector<std::pair<const config::Edit*, std::optional<QString>>> entries{
        {&g.EMezsep, on}, {&g.EMezroz, off}, {&g.EZpoSep, delayOn}, {&g.EZpoRoz, delayOff}};
    if (isZero(on))
        std::swap(entries[0], entries[1]);
    for (const auto& [edit, text] : entries) {
        if (text && !driver.enter(edit->name, *text))
            return kFailure;
    }
    if (mode && *mode != g.RezimRele.text && !driver.choose(g.RezimRele.name, *mode))
        return kFailure;
    if (!driver.tick(g.PovolKompar.name, *enable))
        return kFailure;
    const config::Outcome outcome = driver.click(g.Ulozkomp.name);
    if (outcome == config::Outcome::Stopped)
        ReportSilentFailure(context.err(), driver.model().comparators().lastFailure());
    if (outcome == config::Outcome::Completed && context.json()) {
        context.writeJson({{u"comparator"_s, k}, {u"enabled"_s, *enable}});
    }
    return ExitCodeOf(outcome);
}

int RelayCommand::read(int k, ModelDriver& driver, Context& context) {
    config::MainWindowModel& model = driver.model();
    config::ComparatorGroup& g = *model.form.Komparator[static_cast<std::size_t>(k - 1)];
    const config::Outcome outcome = driver.click(g.Preckomp.name);
    if (outcome != config::Outcome::Completed) {
        ReportSilentFailure(context.err(), model.comparators().lastFailure());
        return ExitCodeOf(outcome);
    }
    const config::Comparators::Values& v = model.comparators().values(k);
    const QString unit = g.unitMezsep.caption.trimmed();
    if (context.json()) {
        context.writeJson({{u"comparator"_s, k},
                           {u"enabled"_s, g.PovolKompar.checked},
                           {u"mode"_s, g.RezimRele.text},
                           {u"on"_s, JsonNumber(static_cast<double>(v.SwitchOnLimit))},
                           {u"off"_s, JsonNumber(static_cast<double>(v.SwitchOffLimit))},
                           {u"delayOn"_s, JsonNumber(static_cast<double>(v.SwitchOnDelay))},
                           {u"delayOff"_s, JsonNumber(static_cast<double>(v.SwitchOffDelay))},
                           {u"unit"_s, unit}});
        return kSuccess;
    }
    std::ostream& out = context.out();
    out << g.heading.caption.toStdString() << '\n'
        << g.PovolKompar.caption.toStdString() << ": " << (g.PovolKompar.checked ? "ano" : "ne")
        << '\n'
        << "Mez sepnutí: " << WithUnit(g.EMezsep.text(), unit) << '\n'
        << "Mez rozepnutí: " << WithUnit(g.EMezroz.text(), unit) << '\n'
        << "Zpoždění sepnutí: " << WithUnit(g.EZpoSep.text(), u"s"_s) << '\n'
        << "Zpoždění rozepnutí: " << WithUnit(g.EZpoRoz.text(), u"s"_s) << '\n'
        << g.labRezim.caption.toStdString() << ": " << g.RezimRele.text.toStdString() << '\n'
        << std::flush;
    return kSuccess;
}

}  // namespace veld::cli
