#include "cli/lin_command.h"

#include "lin/format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include <QJsonArray>
#include <QJsonObject>

#include "lin/functions.h"
#include "lin/precise_table.h"

namespace veld::cli {
namespace {

using lin::SegmentImage;

std::optional<int> parseInt(const std::string& word) {
    int value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || end != word.data() + word.size() || word.empty())
        return std::nullopt;
    return value;
}

// Shortest text that reads back to the same value.
std::string number(long double v) {
    if (!std::isfinite(v))
        return "null";
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

// A single-precision value as uploaded, written as its exact double so that a reader in double
// precision gets the very value the transmitter receives ("0.1" would read as another number).
// JSON output gets the same through JsonNumber.
std::string number(float v) {
    if (!std::isfinite(v))
        return "null";
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(v));
    return std::string(buf, res.ptr);
}

class LinCommand final : public Command {
public:
    std::string name() const override { return "lin"; }
    bool usesTransmitter() const override { return false; }
    std::string usage() const override {
        return "usage: veld-cli lin [--json] curve CODE VALUE... | inverse CODE SIGNAL... | "
               "spline CODE LO HI | precise CODE LO HI | fit POINTS DEGREE LO HI | "
               "segments POINTS";
    }
    std::string help() const override {
        return "Shows what a linearization would upload before it is written (single "
               "precision):\n"
               "  curve CODE VALUE...        the characteristic of curve CODE at each value\n"
               "  inverse CODE SIGNAL...     its inverse\n"
               "  spline CODE LO HI          the 20-segment spline table for the range\n"
               "  precise CODE LO HI         the precise 20-segment table (codes 0..12), and\n"
               "                             its largest error as the transmitter computes it\n"
               "  fit POINTS DEGREE LO HI    the least-squares polynomial through a point file\n"
               "  segments POINTS            straight segments through a point file\n"
               "The mathematics' messages go to standard error; exit 1 when it stops.\n";
    }
    int execute(const std::vector<std::string>& args, cli::Context& context) override;

private:
    // One run of the command.
    struct Context {
        std::ostream& out;
        std::ostream& err;
        bool json;
        cli::Context& cli;
        // The mathematics' messages, in the order given; true when it gave a value.
        template <typename T>
        bool shown(const lin::Result<T>& result) {
            for (const auto& text : result.messages)
                err << text << '\n';
            return result.value.has_value();
        }
        // A value for the single-precision reals: no number is a usage error, a number out of
        // their range a failure. std::nullopt with the exit code in `exit`.
        std::optional<long double> value(const std::string& word, const std::string& what,
                                         const LinCommand& command, int& exit);
    };

    int usageError(std::ostream& err, const std::string& why) const {
        err << why << "; " << usage() << '\n';
        return kUsage;
    }
    using Command::usageError;
    int curve(Context& c, const std::vector<std::string>& words, bool inverse) const;
    // The spline table, or with `precise` the precise one.
    int table(Context& c, const std::vector<std::string>& words, bool precise) const;
    int fit(Context& c, const std::vector<std::string>& words) const;
    int segments(Context& c, const std::vector<std::string>& words) const;
    static std::optional<std::vector<lin::Point>> loadPoints(Context& c, const std::string& path);
    // As text, or into the JSON object.
    static void printImage(Context& c, const SegmentImage& image, QJsonObject& json);
};

int LinCommand::execute(const std::vector<std::string>& args, cli::Context& context) {
    std::ostream& out = context.out();
    std::ostream& err = context.err();
    bool json = context.json();
    std::vector<std::string> words;
    for (const auto& a : args) {
        if (a == "--json") {
            json = true;
        } else if (a == "--text") {
            json = false;
        } else if (a.size() > 1 && a[0] == '-' &&
                   lin::ParseBoundedReal(a).status == lin::BoundedReal::NotANumber) {
            return usageError(err, "unknown option '" + a + "'");
        } else {
            words.push_back(a);
        }
    }
    if (words.empty())
        return usageError(err, "missing lin command");
    Context c{out, err, json, context};
    const std::string verb = words.front();
    words.erase(words.begin());
    if (verb == "curve")
        return curve(c, words, false);
    if (verb == "inverse")
        return curve(c, words, true);
    if (verb == "spline" || verb == "precise")
        return table(c, words, verb == "precise");
    if (verb == "fit")
        return fit(c, words);
    if (verb == "segments")
        return segments(c, words);
    return usageError(err, "unknown lin command '" + verb + "'");
}

std::optional<long double> LinCommand::Context::value(const std::string& word,
                                                      const std::string& what,
                                                      const LinCommand& command, int& exit) {
    const lin::BoundedReal v = lin::ParseBoundedReal(word);
    if (v.status == lin::BoundedReal::Number)
        return v.value;
    if (v.status == lin::BoundedReal::OutOfRange) {
        err << "Hodnota " << lin::QuoteForMessage(word) << " je " << lin::OutOfRangeText() << ".\n";
        exit = kFailure;
    } else {
        exit = command.usageError(err, "bad " + what + " '" + word + "'");
    }
    return std::nullopt;
}

int LinCommand::curve(Context& c, const std::vector<std::string>& words, bool inverse) const {
    const char* what = inverse ? "inverse" : "curve";
    if (words.size() < 2)
        return usageError(c.err, std::string(what) + " takes CODE and at least one value");
    const auto code = parseInt(words[0]);
    if (!code)
        return usageError(c.err, "bad CODE '" + words[0] + "'");
    std::vector<long double> args;
    int exit = kSuccess;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const auto v = c.value(words[i], "value", *this, exit);
        if (!v)
            return exit;
        args.push_back(*v);
    }
    std::vector<long double> results;
    for (long double v : args) {
        const auto r = inverse ? lin::Inverse(*code, v) : lin::Characteristic(*code, v);
        if (!c.shown(r))
            return kFailure;
        results.push_back(*r);
    }
    if (c.json) {
        QJsonArray values;
        for (long double r : results)
            values.append(JsonNumber(static_cast<double>(r)));
        c.cli.writeJson({{QStringLiteral("values"), values}});
    } else {
        for (std::size_t i = 0; i < results.size(); ++i)
            c.out << number(args[i]) << '\t' << number(results[i]) << '\n';
    }
    return kSuccess;
}

void LinCommand::printImage(Context& c, const SegmentImage& image, QJsonObject& json) {
    constexpr auto kSegments = static_cast<std::size_t>(lin::kSegmentCount);
    if (c.json) {
        QJsonArray breakpoints;
        for (const auto& g : image.groups)
            breakpoints.append(JsonNumber(g.x));
        QJsonArray segments;
        for (std::size_t k = 0; k < kSegments; ++k) {
            const auto& g = image.groups[k];
            segments.append(QJsonObject{{QStringLiteral("c3"), JsonNumber(g.c3)},
                                        {QStringLiteral("c2"), JsonNumber(g.c2)},
                                        {QStringLiteral("c1"), JsonNumber(g.c1)},
                                        {QStringLiteral("c0"), JsonNumber(g.c0)}});
        }
        json.insert(QStringLiteral("breakpoints"), breakpoints);
        json.insert(QStringLiteral("segments"), segments);
        return;
    }
    c.out << "k\tx\tc3\tc2\tc1\tc0\n";
    for (std::size_t k = 0; k < kSegments; ++k) {
        const auto& g = image.groups[k];
        c.out << k << '\t' << number(g.x) << '\t' << number(g.c3) << '\t' << number(g.c2) << '\t'
              << number(g.c1) << '\t' << number(g.c0) << '\n';
    }
    c.out << lin::kSegmentCount << '\t' << number(image.groups[lin::kSegmentCount].x) << '\n';
}

int LinCommand::table(Context& c, const std::vector<std::string>& words, bool precise) const {
    const std::string verb = precise ? "precise" : "spline";
    if (words.size() != 3)
        return usageError(c.err, verb + " takes CODE LO HI");
    const auto code = parseInt(words[0]);
    if (!code)
        return usageError(c.err, "bad CODE '" + words[0] + "'");
    int exit = kSuccess;
    const auto lo = c.value(words[1], "LO", *this, exit);
    if (!lo)
        return exit;
    const auto hi = c.value(words[2], "HI", *this, exit);
    if (!hi)
        return exit;
    const long double from = std::min(*lo, *hi), to = std::max(*lo, *hi);
    const auto table = precise ? lin::PreciseTable(*code, from, to) : lin::Spline(*code, from, to);
    if (!c.shown(table))
        return kFailure;
    // The deviation of the table as built, in extended precision, at the 901 test points; of
    // the precise table also the largest error as the transmitter computes it.
    const lin::Deviation dev = table->deviation;
    std::optional<long double> single;
    if (precise)
        single = lin::SingleDeviation(table->image, *code, from, to).max;
    QJsonObject json;
    printImage(c, table->image, json);
    if (c.json) {
        json.insert(QStringLiteral("max_deviation"), JsonNumber(static_cast<double>(dev.max)));
        json.insert(QStringLiteral("rms_deviation"), JsonNumber(static_cast<double>(dev.rms)));
        if (single)
            json.insert(QStringLiteral("single_max_deviation"),
                        JsonNumber(static_cast<double>(*single)));
        c.cli.writeJson(json);
    } else {
        c.out << "max_deviation\t" << number(dev.max) << "\nrms_deviation\t" << number(dev.rms)
              << '\n';
        if (single)
            c.out << "single_max_deviation\t" << number(*single) << '\n';
    }
    return kSuccess;
}

std::optional<std::vector<lin::Point>> LinCommand::loadPoints(Context& c, const std::string& path) {
    lin::PointFileResult file = lin::ReadPointFile(path);
    if (!file.ok) {
        c.err << file.message << '\n';
        return std::nullopt;
    }
    return std::move(file.points);
}

int LinCommand::fit(Context& c, const std::vector<std::string>& words) const {
    if (words.size() != 4)
        return usageError(c.err, "fit takes POINTS DEGREE LO HI");
    const auto degree = parseInt(words[1]);
    if (!degree)
        return usageError(c.err, "bad DEGREE '" + words[1] + "'");
    int exit = kSuccess;
    const auto lo = c.value(words[2], "LO", *this, exit);
    if (!lo)
        return exit;
    const auto hi = c.value(words[3], "HI", *this, exit);
    if (!hi)
        return exit;
    const auto points = loadPoints(c, words[0]);
    if (!points)
        return kFailure;
    const auto fit = lin::Fit(*points, *degree, std::min(*lo, *hi), std::max(*lo, *hi));
    if (!c.shown(fit))
        return kFailure;
    const std::vector<float> coefficients = fit->upload();
    if (c.json) {
        QJsonArray values;
        for (float a : coefficients)
            values.append(JsonNumber(a));
        c.cli.writeJson(
            {{QStringLiteral("degree"), fit->degree},
             {QStringLiteral("coefficients"), values},
             {QStringLiteral("max_deviation"), JsonNumber(static_cast<double>(fit->maxDeviation))},
             {QStringLiteral("rms_deviation"), JsonNumber(static_cast<double>(fit->rmsDeviation))},
             {QStringLiteral("max_percent"), JsonNumber(static_cast<double>(fit->maxPercent))}});
    } else {
        c.out << "degree\t" << fit->degree << '\n';
        for (std::size_t i = 0; i < coefficients.size(); ++i)
            c.out << 'a' << coefficients.size() - 1 - i << '\t' << number(coefficients[i]) << '\n';
        c.out << "max_deviation\t" << number(fit->maxDeviation) << "\nrms_deviation\t"
              << number(fit->rmsDeviation) << "\nmax_percent\t" << number(fit->maxPercent) << '\n';
    }
    return kSuccess;
}

int LinCommand::segments(Context& c, const std::vector<std::string>& words) const {
    if (words.size() != 1)
        return usageError(c.err, "segments takes POINTS");
    const auto points = loadPoints(c, words[0]);
    if (!points)
        return kFailure;
    const auto image = lin::Segments(*points);
    if (!c.shown(image))
        return kFailure;
    QJsonObject json;
    printImage(c, *image, json);
    if (c.json)
        c.cli.writeJson(json);
    return kSuccess;
}

}  // namespace

std::unique_ptr<Command> makeLinCommand() {
    return std::make_unique<LinCommand>();
}

}  // namespace veld::cli
