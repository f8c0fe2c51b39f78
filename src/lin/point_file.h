#pragma once

#include <array>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace veld::lin {

// One line of a linearization file: the measured input value and the value the transmitter is
// to output for it.
struct Point {
    long double in;
    long double out;
};

inline constexpr int kMaxPoints = 100;

struct PointFileResult {
    bool ok = false;            // all lines read, 1..100 points, end lines computable
    std::vector<Point> points;  // the points read (empty when !ok, except the first 100 of a
                                // file that has too many)
    std::string message;        // Czech text to show when !ok
    int badLine = 0;            // 1-based line of the offending line, 0 if none
};

// Reads a linearization file: one point per line, two numbers separated by blanks or tabs with
// "." as decimal separator; the rest of a line after the two numbers is ignored. Blank lines at
// the end of the file are not points; a blank line between points is an error. Numbers must
// fit single precision, as the transmitter's reals do; files over 1 MiB and lines over 4 KiB
// are refused without being read whole. Nothing of a file that fails is meant to be used.
PointFileResult ReadPointFile(std::istream& in);
// `path` is UTF-8. A file that cannot be opened or read (a folder) gives !ok with a message
// naming it.
PointFileResult ReadPointFile(const std::string& path);

// The two straight lines through the first and the last point: output = input * OutSlope +
// OutOffset, and its inverse input = output * InSlope + InOffset.
struct EndLines {
    long double OutSlope = 0, OutOffset = 0, InSlope = 0, InOffset = 0;
};
// std::nullopt when the first and last point share their input or their output value (a zero
// denominator); `points` must not be empty.
std::optional<EndLines> ComputeEndLines(const std::vector<Point>& points);

// The program-wide point store of the linearization file, one object.
struct PointStore {
    std::array<long double, kMaxPoints + 1> PointsIn{}, PointsOut{};  // index 1..100
    int PointCount = 0;
    int PointTotal = 0;
    bool PointsLoaded = false;
    long double EndLineOutSlope = 0, EndLineOutOffset = 0, EndLineInSlope = 0, EndLineInOffset = 0;
    int PolyDegreeSetting = 6;

    // Fills the arrays, counts, PointsLoaded and end lines. Returns false and changes nothing
    // when the points are not 1..100 or their end lines are not computable (ReadPointFile
    // refuses such files already).
    bool load(const std::vector<Point>& points);
    // The loaded points in file order.
    std::vector<Point> points() const;
};

}  // namespace veld::lin
