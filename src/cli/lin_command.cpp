#include "cli/lin_command.h"

#include "lin/format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <sstream>

#include "lin/lin_math.h"

namespace veld::cli {
namespace {

using lin::LinMath;
using lin::SegmentImage;

class StreamMessages final : public lin::LinMessages {
public:
    explicit StreamMessages(std::ostream& err) : err_(err) {}
    void message(const std::string& text) override { err_ << text << '\n'; }

private:
    std::ostream& err_;
};

std::optional<int> parseInt(const std::string& word) {
    int value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || end != word.data() + word.size() || word.empty())
        return std::nullopt;
    return value;
}

// Shortest text that reads back to the same value; JSON has no infinities, so they are null.
std::string number(long double v) {
    if (!std::isfinite(v))
        return "null";
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

// A single-precision value as uploaded, written as its exact double so that a reader in double
// precision gets the very value the transmitter receives ("0.1" would read as another number).
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
    std::string usage() const override {
        return "usage: veld-cli lin [--json] curve CODE VALUE... | inverse CODE SIGNAL... | "
               "spline CODE LO HI | fit POINTS DEGREE LO HI | segments POINTS";
    }
    int execute(const std::vector<std::string>& args, std::ostream& out,
                std::ostream& err) override;

private:
    struct Context {
        std::ostream& out;
        std::ostream& err;
        bool json;
        StreamMessages messages;
        lin::PointStore store;
        LinMath math;
        Context(std::ostream& o, std::ostream& e, bool j)
            : out(o), err(e), json(j), messages(e), math(messages, store) {}
    };

    int usageError(std::ostream& err, const std::string& why) const {
        err << why << "; " << usage() << '\n';
        return kUsage;
    }
    int curve(Context& c, const std::vector<std::string>& words, bool inverse) const;
    int spline(Context& c, const std::vector<std::string>& words) const;
    int fit(Context& c, const std::vector<std::string>& words) const;
    int segments(Context& c, const std::vector<std::string>& words) const;
    static bool loadPoints(Context& c, const std::string& path);
    static void printImage(Context& c, const SegmentImage& image, std::ostringstream& json);
};

int LinCommand::execute(const std::vector<std::string>& args, std::ostream& out,
                        std::ostream& err) {
    bool json = false;
    std::vector<std::string> words;
    for (const auto& a : args) {
        if (a == "--json") {
            json = true;
        } else if (a == "--text") {
            json = false;
        } else if (a == "--help" || a == "-h") {
            out << usage() << '\n';
            return kSuccess;
        } else if (a.size() > 1 && a[0] == '-' && !lin::ParseReal(a)) {
            return usageError(err, "unknown option '" + a + "'");
        } else {
            words.push_back(a);
        }
    }
    if (words.empty())
        return usageError(err, "missing lin command");
    Context c(out, err, json);
    const std::string verb = words.front();
    words.erase(words.begin());
    if (verb == "curve")
        return curve(c, words, false);
    if (verb == "inverse")
        return curve(c, words, true);
    if (verb == "spline")
        return spline(c, words);
    if (verb == "fit")
        return fit(c, words);
    if (verb == "segments")
        return segments(c, words);
    return usageError(err, "unknown lin command '" + verb + "'");
}

int LinCommand::curve(Context& c, const std::vector<std::string>& words, bool inverse) const {
    const char* what = inverse ? "inverse" : "curve";
    if (words.size() < 2)
        return usageError(c.err, std::string(what) + " takes CODE and at least one value");
    const auto code = parseInt(words[0]);
    if (!code)
        return usageError(c.err, "bad CODE '" + words[0] + "'");
    std::vector<long double> args;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const auto v = lin::ParseReal(words[i]);
        if (!v)
            return usageError(c.err, "bad value '" + words[i] + "'");
        args.push_back(*v);
    }
    std::vector<long double> results;
    for (long double v : args) {
        results.push_back(inverse ? c.math.TemperatureOf(*code, v) : c.math.SignalAt(*code, v));
        if (c.math.CurveError != 0)
            return kFailure;
    }
    if (c.json) {
        c.out << "{\"values\": [";
        for (std::size_t i = 0; i < results.size(); ++i)
            c.out << (i ? ", " : "") << number(results[i]);
        c.out << "]}\n";
    } else {
        for (std::size_t i = 0; i < results.size(); ++i)
            c.out << number(args[i]) << '\t' << number(results[i]) << '\n';
    }
    return kSuccess;
}

void LinCommand::printImage(Context& c, const SegmentImage& image, std::ostringstream& json) {
    constexpr auto kSegments = static_cast<std::size_t>(lin::kSegmentCount);
    if (c.json) {
        json << "\"breakpoints\": [";
        for (std::size_t k = 0; k < image.groups.size(); ++k)
            json << (k ? ", " : "") << number(image.groups[k].x);
        json << "], \"segments\": [";
        for (std::size_t k = 0; k < kSegments; ++k) {
            const auto& g = image.groups[k];
            json << (k ? ", " : "") << "{\"c3\": " << number(g.c3) << ", \"c2\": " << number(g.c2)
                 << ", \"c1\": " << number(g.c1) << ", \"c0\": " << number(g.c0) << '}';
        }
        json << ']';
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

int LinCommand::spline(Context& c, const std::vector<std::string>& words) const {
    if (words.size() != 3)
        return usageError(c.err, "spline takes CODE LO HI");
    const auto code = parseInt(words[0]);
    if (!code)
        return usageError(c.err, "bad CODE '" + words[0] + "'");
    const auto lo = lin::ParseReal(words[1]);
    const auto hi = lin::ParseReal(words[2]);
    if (!lo)
        return usageError(c.err, "bad LO '" + words[1] + "'");
    if (!hi)
        return usageError(c.err, "bad HI '" + words[2] + "'");
    LinMath& m = c.math;
    m.LinForward = 0;
    m.LinTask = 1;
    m.LinSource = 2;
    m.LinSensor = *code;
    m.DisplayCurve = *code;
    m.CurveRangeLo = std::min(*lo, *hi);
    m.CurveRangeHi = std::max(*lo, *hi);
    if (!m.BuildSplineTable())
        return kFailure;
    const auto image = m.SplineImage();
    if (!image)
        return kFailure;
    // The deviation of the spline as built, in extended precision, at the 901 test points.
    const lin::Deviation dev = m.SplineDeviation;
    std::ostringstream json;
    printImage(c, *image, json);
    if (c.json) {
        c.out << '{' << json.str() << ", \"max_deviation\": " << number(dev.max)
              << ", \"rms_deviation\": " << number(dev.rms) << "}\n";
    } else {
        c.out << "max_deviation\t" << number(dev.max) << "\nrms_deviation\t" << number(dev.rms)
              << '\n';
    }
    return kSuccess;
}

bool LinCommand::loadPoints(Context& c, const std::string& path) {
    const lin::PointFileResult file = lin::ReadPointFile(path);
    if (!file.ok) {
        c.err << file.message << '\n';
        return false;
    }
    return c.store.load(file.points);
}

int LinCommand::fit(Context& c, const std::vector<std::string>& words) const {
    if (words.size() != 4)
        return usageError(c.err, "fit takes POINTS DEGREE LO HI");
    const auto degree = parseInt(words[1]);
    const auto lo = lin::ParseReal(words[2]);
    const auto hi = lin::ParseReal(words[3]);
    if (!degree)
        return usageError(c.err, "bad DEGREE '" + words[1] + "'");
    if (!lo)
        return usageError(c.err, "bad LO '" + words[2] + "'");
    if (!hi)
        return usageError(c.err, "bad HI '" + words[3] + "'");
    if (!loadPoints(c, words[0]))
        return kFailure;
    LinMath& m = c.math;
    m.LinForward = 0;
    m.LinTask = 1;
    m.LinSource = 1;
    m.LinSensor = lin::kCurveFileLine;
    m.DisplayCurve = lin::kCurveFileLine;
    m.LinStep = std::fabs(*hi - *lo) / 100;
    m.CurveRangeLo = std::min(*lo, *hi);
    m.CurveRangeHi = std::max(*lo, *hi);
    m.PolyDegree = *degree;
    if (!m.FitPolynomial())
        return kFailure;
    const std::vector<float> coefficients = m.UploadCoefficients();
    if (c.json) {
        c.out << "{\"degree\": " << m.UploadDegree << ", \"coefficients\": [";
        for (std::size_t i = 0; i < coefficients.size(); ++i)
            c.out << (i ? ", " : "") << number(coefficients[i]);
        c.out << "], \"max_deviation\": " << number(m.FitMaxDeviation)
              << ", \"rms_deviation\": " << number(m.FitRmsDeviation)
              << ", \"max_percent\": " << number(m.FitMaxPercent) << "}\n";
    } else {
        c.out << "degree\t" << m.UploadDegree << '\n';
        for (std::size_t i = 0; i < coefficients.size(); ++i)
            c.out << 'a' << coefficients.size() - 1 - i << '\t' << number(coefficients[i]) << '\n';
        c.out << "max_deviation\t" << number(m.FitMaxDeviation) << "\nrms_deviation\t"
              << number(m.FitRmsDeviation) << "\nmax_percent\t" << number(m.FitMaxPercent) << '\n';
    }
    return kSuccess;
}

int LinCommand::segments(Context& c, const std::vector<std::string>& words) const {
    if (words.size() != 1)
        return usageError(c.err, "segments takes POINTS");
    if (!loadPoints(c, words[0]))
        return kFailure;
    SegmentImage image;
    if (!c.math.BuildLineSegments(image))
        return kFailure;
    std::ostringstream json;
    printImage(c, image, json);
    if (c.json)
        c.out << '{' << json.str() << "}\n";
    return kSuccess;
}

}  // namespace

std::unique_ptr<Command> makeLinCommand() {
    return std::make_unique<LinCommand>();
}

}  // namespace veld::cli
