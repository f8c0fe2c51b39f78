#include "cli/measure_command.h"

#include <QJsonArray>
#include <QJsonObject>
#include <charconv>
#include <chrono>
#include <cmath>
#include <optional>

#include "cli/handler_failure.h"
#include "config/number_format.h"
#include "link/clock.h"
#include "link/device_access.h"
#include "session/session.h"

using namespace Qt::Literals::StringLiterals;

namespace veld::cli {

namespace {

// The bytes of a display such as `EdSend` ("FF 82 "), as numbers.
QJsonArray BytesOf(const QString& hex) {
    QJsonArray bytes;
    for (const QString& pair : hex.split(u' ', Qt::SkipEmptyParts))
        bytes.append(pair.toInt(nullptr, 16));
    return bytes;
}

constexpr link::Micros kPauseStep = std::chrono::milliseconds(200);

std::optional<long> ParseCount(const std::string& word) {
    long value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || end != word.data() + word.size())
        return std::nullopt;
    return value;
}

}  // namespace

std::string MeasureCommand::usage() const {
    return "usage: veld-cli [--port PORT] [--json] measure [--count N] [--interval S]";
}

std::string MeasureCommand::help() const {
    return "Reads the whole configuration (as \"&Přečíst z převodníku\"; the window measures\n"
           "only after it), then measures the primary variable N times (\"Změřit\", default 1),\n"
           "S seconds apart (default 1.5, the window's continuous measurement).\n"
           "Each measurement prints one line: the value as the window shows it (3 decimals, 6\n"
           "for voltages and unlinearized thermocouples), an empty line when it failed. With\n"
           "--json each line is one object: value, text, unit, request and reply bytes (reply\n"
           "null when the measurement failed). Exit 1 when the read or any measurement failed.\n";
}

int MeasureCommand::run(const std::vector<std::string>& args, ModelDriver& driver,
                        Context& context) {
    long count = 1;
    double interval = 1.5;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word != "--count" && word != "--interval")
            return usageError(context, "unknown argument '" + word + "'");
        if (i + 1 >= args.size())
            return usageError(context, word + " needs a value");
        const std::string& value = args[++i];
        if (word == "--count") {
            const auto n = ParseCount(value);
            if (!n || *n < 1 || *n > kMaxCount)
                return usageError(context, "--count is a whole number 1.." +
                                               std::to_string(kMaxCount) + ", not '" + value + "'");
            count = *n;
        } else {
            const auto s =
                config::ParseReal(QString::fromStdString(value), config::DecimalSeparator::Point);
            if (!s || *s < 0 || *s > kMaxInterval)
                return usageError(context, "--interval is 0..86400 seconds, not '" + value + "'");
            interval = static_cast<double>(*s);
        }
    }

    config::MainWindowModel& model = driver.model();
    config::MainForm& f = model.form;
    const config::Outcome read = driver.click(f.Precist.name);
    if (read != config::Outcome::Completed) {
        ReportSilentFailure(context.err(), model.readAll().lastFailure());
        return ExitCodeOf(read);
    }

    link::Clock& clock = context.session().clock();
    const link::Micros start = clock.now();
    const auto step =
        std::chrono::duration_cast<link::Micros>(std::chrono::duration<double>(interval));
    bool allDone = true;
    for (long i = 0; i < count; ++i) {
        if (i > 0) {
            // From the start of one measurement to the start of the next, as a timer ticks; in
            // short steps, so that an interruption does not wait for a long interval.
            const link::Micros due = start + step * i;
            while (clock.now() < due && !context.interruption())
                clock.pause(std::min<link::Micros>(due - clock.now(), kPauseStep));
        }
        if (context.interruption())
            break;
        const config::Outcome outcome = driver.click(f.ButMeasPV.name);
        const std::optional<float> value = model.measurement().lastValue();
        if (outcome != config::Outcome::Completed) {
            allDone = false;
            ReportSilentFailure(context.err(), model.measurement().lastFailure());
        }
        if (context.json()) {
            const bool ok = outcome == config::Outcome::Completed && value;
            context.writeJson(
                {{u"value"_s, ok ? JsonNumber(static_cast<double>(*value)) : QJsonValue()},
                 {u"text"_s, f.ZoZmHodn.text()},
                 {u"unit"_s, f.Label8.caption.trimmed()},
                 {u"request"_s, BytesOf(f.EdSend.text())},
                 // After a failure the window still shows the previous reply: not this one's.
                 {u"reply"_s, ok ? QJsonValue(BytesOf(f.EdReceive.text())) : QJsonValue()}});
        } else {
            context.out() << f.ZoZmHodn.text().toStdString() << '\n' << std::flush;
        }
    }
    return allDone ? kSuccess : kFailure;
}

}  // namespace veld::cli
