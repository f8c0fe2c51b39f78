#include "lin/point_file.h"

#include "lin/format.h"
#include "lin/line_reader.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <istream>
#include <string_view>

namespace veld::lin {
namespace {

constexpr std::string_view kTooMany = "Maximální počet bodů pro linearizaci je 100.";
constexpr std::string_view kNotLoaded = " Soubor nebyl načten.";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view nextToken(std::string_view& rest) {
    std::size_t i = 0;
    while (i < rest.size() && isBlank(rest[i]))
        ++i;
    std::size_t j = i;
    while (j < rest.size() && !isBlank(rest[j]))
        ++j;
    const auto token = rest.substr(i, j - i);
    rest.remove_prefix(j);
    return token;
}

// Paths are the user's own choice and quoted whole unless absurdly long.
constexpr std::size_t kMaxPathChars = 260;

std::string lineText(int line) {
    return "na řádku " + std::to_string(line);
}

PointFileResult failure(std::string message, int line) {
    PointFileResult r;
    r.message = std::move(message);
    r.badLine = line;
    return r;
}

enum class Column { Input, Desired };

// A word that is no number, or a number the transmitter's reals cannot hold.
PointFileResult badValue(Column column, std::string_view word, BoundedReal::Status status,
                         int line) {
    const bool input = column == Column::Input;
    const std::string where =
        QuoteForMessage(word) + " " + lineText(line) + " linearizačního souboru";
    std::string text;
    if (status == BoundedReal::OutOfRange)
        text = std::string(input ? "Vstupní" : "Požadovaná") + " hodnota " + where + " je " +
               OutOfRangeText() + ".";
    else
        text = std::string(input ? "Chybná vstupní" : "Chybná požadovaná") + " hodnota " + where +
               " (očekávají se dvě čísla s desetinnou tečkou).";
    return failure(text + std::string(kNotLoaded), line);
}

}  // namespace

std::optional<EndLines> ComputeEndLines(const std::vector<Point>& points) {
    const Point& first = points.front();
    const Point& last = points.back();
    if (last.in == first.in || last.out == first.out)
        return std::nullopt;
    EndLines e;
    e.OutSlope = (last.out - first.out) / (last.in - first.in);
    e.OutOffset = first.out - e.OutSlope * first.in;
    e.InSlope = (last.in - first.in) / (last.out - first.out);
    e.InOffset = first.in - e.InSlope * first.out;
    return e;
}

namespace {

std::string sizeText(const LineReader::Limits& limits) {
    return std::to_string(limits.maxFileBytes / 1024 / 1024) + " MiB (" +
           std::to_string(limits.maxFileBytes) + " bajtů)";
}

// The reading itself; `path` names the file in the messages that concern the whole file.
PointFileResult readPoints(std::istream& in, const std::string* path) {
    const std::string file = path ? "Linearizační soubor " + QuoteForMessage(*path, kMaxPathChars)
                                  : "Linearizační soubor";
    PointFileResult result;
    std::vector<int> pointLines;
    int firstPendingBlank = 0;  // a blank line is an error only when a point follows it
    LineReader reader(in);
    std::string line;
    LineReader::Status status;
    while ((status = reader.next(line)) == LineReader::Status::Line) {
        const int lineNo = reader.lineNumber();
        std::string_view rest(line);
        if (lineNo == 1 && rest.substr(0, 3) == "\xEF\xBB\xBF")
            rest.remove_prefix(3);
        const auto first = nextToken(rest);
        if (first.empty()) {
            if (firstPendingBlank == 0)
                firstPendingBlank = lineNo;
            continue;
        }
        if (result.points.size() == static_cast<std::size_t>(kMaxPoints)) {
            // Keep the first 100 for the caller to see; none of them is to be used.
            PointFileResult r = failure(std::string(kTooMany), lineNo);
            r.points = std::move(result.points);
            return r;
        }
        if (firstPendingBlank != 0)
            return failure("Řádek " + std::to_string(firstPendingBlank) +
                               " linearizačního souboru je prázdný, body musí následovat bez "
                               "vynechaných řádků." +
                               std::string(kNotLoaded),
                           firstPendingBlank);
        const auto second = nextToken(rest);
        const BoundedReal x = ParseBoundedReal(first);
        if (x.status != BoundedReal::Number)
            return badValue(Column::Input, first, x.status, lineNo);
        if (second.empty())
            return failure("Chybí požadovaná hodnota " + lineText(lineNo) +
                               " linearizačního souboru (za " + QuoteForMessage(first) + ")." +
                               std::string(kNotLoaded),
                           lineNo);
        const BoundedReal y = ParseBoundedReal(second);
        if (y.status != BoundedReal::Number)
            return badValue(Column::Desired, second, y.status, lineNo);
        result.points.push_back({x.value, y.value});
        pointLines.push_back(lineNo);
    }
    switch (status) {
        case LineReader::Status::FileTooLarge:
            return failure(
                file + " je větší než " + sizeText(reader.limits()) + "." + std::string(kNotLoaded),
                0);
        case LineReader::Status::LineTooLong:
            return failure("Řádek " + std::to_string(reader.lineNumber()) +
                               " linearizačního souboru je delší než " +
                               std::to_string(reader.limits().maxLineBytes) + " bajtů." +
                               std::string(kNotLoaded),
                           reader.lineNumber());
        case LineReader::Status::ReadError:
            return failure(file + " nelze přečíst." + std::string(kNotLoaded), 0);
        case LineReader::Status::Line:
        case LineReader::Status::End:
            break;
    }
    if (result.points.empty())
        return failure("Linearizační soubor neobsahuje žádný bod." + std::string(kNotLoaded), 0);
    if (result.points.size() < 2)
        return failure("Linearizační soubor musí obsahovat alespoň dva body, obsahuje jen jeden " +
                           lineText(pointLines.front()) + "." + std::string(kNotLoaded),
                       pointLines.front());
    const Point& p1 = result.points.front();
    const Point& pn = result.points.back();
    const std::string lines = " (řádky " + std::to_string(pointLines.front()) + " a " +
                              std::to_string(pointLines.back()) + ")";
    if (p1.in == pn.in)
        return failure("První a poslední bod linearizačního souboru" + lines +
                           " mají stejnou naměřenou vstupní hodnotu " + FormatGeneral(p1.in) +
                           ", přímku mezi nimi nelze určit." + std::string(kNotLoaded),
                       pointLines.back());
    if (p1.out == pn.out)
        return failure("První a poslední bod linearizačního souboru" + lines +
                           " mají stejnou požadovanou hodnotu " + FormatGeneral(p1.out) +
                           ", přímku mezi nimi nelze určit." + std::string(kNotLoaded),
                       pointLines.back());
    result.ok = true;
    return result;
}

}  // namespace

PointFileResult ReadPointFile(std::istream& in) {
    return readPoints(in, nullptr);
}

PointFileResult ReadPointFile(const std::string& path) {
    // The path is UTF-8; going through char8_t keeps Czech file names intact on Windows too.
    const std::u8string u8path(path.begin(), path.end());
    const std::filesystem::path fsPath(u8path);
    const std::string quoted = QuoteForMessage(path, kMaxPathChars);
    std::error_code ec;
    if (std::filesystem::is_directory(fsPath, ec))
        return failure("Linearizační soubor " + quoted + " nelze přečíst, je to složka." +
                           std::string(kNotLoaded),
                       0);
    std::ifstream file(fsPath, std::ios::binary);
    if (!file)
        return failure("Linearizační soubor " + quoted + " nelze otevřít.", 0);
    return readPoints(file, &path);
}

bool PointStore::load(const std::vector<Point>& points) {
    if (points.empty() || points.size() > static_cast<std::size_t>(kMaxPoints))
        return false;
    const auto ends = ComputeEndLines(points);
    if (!ends)
        return false;
    PointsIn.fill(0);
    PointsOut.fill(0);
    for (std::size_t i = 0; i < points.size(); ++i) {
        PointsIn[i + 1] = points[i].in;
        PointsOut[i + 1] = points[i].out;
    }
    PointCount = static_cast<int>(points.size());
    PointTotal = PointCount;
    PointsLoaded = true;
    EndLineOutSlope = ends->OutSlope;
    EndLineOutOffset = ends->OutOffset;
    EndLineInSlope = ends->InSlope;
    EndLineInOffset = ends->InOffset;
    return true;
}

std::vector<Point> PointStore::points() const {
    std::vector<Point> out;
    for (int i = 1; i <= PointCount && i <= kMaxPoints; ++i)
        out.push_back(
            {PointsIn[static_cast<std::size_t>(i)], PointsOut[static_cast<std::size_t>(i)]});
    return out;
}

}  // namespace veld::lin
