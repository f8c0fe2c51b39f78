#include "lin/point_file.h"
#include "lin/format.h"
#include "lin/line_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <tuple>

namespace veld::lin {
namespace {

// Below 0.0001 the form turns scientific; 15 digits at most.
TEST(FormatGeneral, plainAndScientificForms) {
    // clang-format off
    struct Case { long double value; const char* text; };
    const Case cases[] = {
        {0.0L, "0"}, {-2.5L, "-2.5"}, {138.5055L, "138.5055"}, {0.0001L, "0.0001"},
        {-0.00044652683347L, "-0.00044652683347"}, {0.00001L, "1E-5"},
        {9.391712847e-5L, "9.391712847E-5"}, {-1.5e-7L, "-1.5E-7"},
        {123456789012345.0L, "123456789012345"}, {1e15L, "1E15"}, {1.0L / 3.0L, "0.333333333333333"}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(FormatGeneral(c.value), c.text) << c.text;
}

TEST(ParseBoundedReal, singleRangeNumbersOthersOutOfRangeOrNoNumber) {
    using S = BoundedReal::Status;
    // clang-format off
    // unbounded: what the window's entries read, ParseReal, takes as a number
    struct Case { const char* word; S status; bool unbounded; };
    const Case cases[] = {
        {"0", S::Number, true}, {"+1.5", S::Number, true}, {"3.4028234e38", S::Number, true},
        {"-1.1754944e-38", S::Number, true}, {"3.5e38", S::OutOfRange, true},
        {"1e4000", S::OutOfRange, true}, {"1e-40", S::OutOfRange, true},
        {"1e5000", S::OutOfRange, false}, {"1e-5000", S::OutOfRange, false},
        {"", S::NotANumber, false}, {"inf", S::NotANumber, false}, {"nan", S::NotANumber, false},
        {"1,5", S::NotANumber, false}, {"+-1", S::NotANumber, false},
        {"0x10", S::NotANumber, false}, {"1e-5000x", S::NotANumber, false}};
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(ParseBoundedReal(c.word).status, c.status) << c.word;
        EXPECT_EQ(ParseReal(c.word).has_value(), c.unbounded) << c.word;
    }
    EXPECT_EQ(ParseBoundedReal("-2.5e3").value, -2500.0L);
}

TEST(QuoteForMessage, shortEscapedAndValidUtf8) {
    const std::string forty(40, 'a');
    std::string czech;
    for (int i = 0; i < 41; ++i)
        czech += "ř";
    struct Case {
        std::string text, quoted;
    };
    // Named, not a temporary: GCC 12 at -O3 warns falsely on "literal" + std::string&&.
    const std::string czechCut = czech.substr(0, 80);
    const Case cases[] = {
        {forty, "\"" + forty + "\""},
        {forty + "b", "\"" + forty + "…\""},
        {std::string("a\0\rb\x7F", 5), "\"a\\x00\\x0Db\\x7F\""},
        {czech, "\"" + czechCut + "…\""},                           // 40 characters, not 40 bytes
        {"\xFF\xC5", "\"\\xFF\\xC5\""},                             // no UTF-8, or cut short
        {"\xC0\xAF\xED\xA0\x80", "\"\\xC0\\xAF\\xED\\xA0\\x80\""},  // overlong, surrogate
        {"C:\\měření\\body.txt", "\"C:\\měření\\body.txt\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QuoteForMessage(c.text), c.quoted) << c.quoted;
    EXPECT_LT(QuoteForMessage(std::string(1 << 20, '\0')).size(), 200u);
}

PointFileResult read(const std::string& text) {
    std::istringstream in(text);
    return ReadPointFile(in);
}

std::string linesOfPoints(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += std::to_string(i) + " " + std::to_string(10 * i) + "\n";
    return text;
}

// Two numbers a line, the rest ignored; extended precision; no newline at the end; a byte order
// mark and trailing blank lines.
TEST(ReadPointFile, acceptedForms) {
    struct Case {
        std::string text;
        std::vector<Point> points;
    };
    const Case cases[] = {
        {"0.5\t-1.25 comment, 3 4\n  2 3e2\r\n+4. .5 x\n", {{0.5L, -1.25L}, {2, 300}, {4, 0.5L}}},
        {"0.1 100.000000000000001\n2 3\n", {{0.1L, 100.000000000000001L}, {2, 3}}},
        {"1 2\n3 4", {{1, 2}, {3, 4}}},
        {"\xEF\xBB\xBF"
         "1 2\n3 4\n\n  \t\n",
         {{1, 2}, {3, 4}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        const auto r = read(c.text);
        ASSERT_TRUE(r.ok) << r.message;
        EXPECT_EQ(r.badLine, 0);
        ASSERT_EQ(r.points.size(), c.points.size());
        for (std::size_t i = 0; i < c.points.size(); ++i) {
            EXPECT_EQ(r.points[i].in, c.points[i].in) << i;
            EXPECT_EQ(r.points[i].out, c.points[i].out) << i;
        }
    }
}

TEST(ReadPointFile, hundredPointsAreAcceptedAndHundredOneRefused) {
    const auto full = read(linesOfPoints(100) + "\n");
    ASSERT_TRUE(full.ok) << full.message;
    EXPECT_EQ(full.points.size(), 100u);

    const auto over = read(linesOfPoints(101));
    EXPECT_FALSE(over.ok);
    EXPECT_EQ(over.message, "Maximální počet bodů pro linearizaci je 100.");
    EXPECT_EQ(over.badLine, 101);
    EXPECT_EQ(over.points.size(), 100u);
}

TEST(ReadPointFile, refusedFilesNameTheLineAndValueAndReturnNoPoint) {
    const std::string longToken(1000, '9');
    std::string blankLines;
    while (blankLines.size() <= 1 << 20)
        blankLines += std::string(4000, ' ') + "\n";
    // Named, not a temporary: GCC 12 at -O3 warns falsely on "literal" + std::string&&.
    const std::string longCut = longToken.substr(0, 40);
    const std::string quotedLong = "\"" + longCut + "…\" na řádku 2";
    struct Case {
        std::string text;
        int line;
        std::string fragment;
    };
    const Case cases[] = {
        {"1 2\n1,5 3\n4 5\n", 2, "\"1,5\" na řádku 2"},
        {"1 2\n3\n4 5\n", 2, "Chybí požadovaná hodnota na řádku 2"},
        {"1 2\n\n3 4\n", 2, "Řádek 2 linearizačního souboru je prázdný"},
        // Numbers the transmitter's single-precision reals cannot hold.
        {"1 2\n1e39 3\n", 2,
         "Vstupní hodnota \"1e39\" na řádku 2 linearizačního souboru je mimo rozsah"},
        {"1 2\n3 1e4000\n", 2, "Požadovaná hodnota \"1e4000\" na řádku 2"},
        {"1 2\n3 1e-40\n", 2, "\"1e-40\" na řádku 2 linearizačního souboru je mimo rozsah"},
        {std::string("1 2\n3\0 4\n", 9), 2, "\"3\\x00\" na řádku 2"},
        {"1 2\n" + longToken + "x 3\n", 2, quotedLong},
        {"1 2\n" + std::string(5000, '1') + " 2\n", 2,
         "Řádek 2 linearizačního souboru je delší než 4096 bajtů."},
        {"1 2\n3 4\n" + blankLines, 0, "je větší než 1 MiB (1048576 bajtů)."},
        // Too few points, or first and last points without a line between them.
        {"", 0, "neobsahuje žádný bod"},
        {"1 2 x\n\n", 1, "obsahuje jen jeden na řádku 1"},
        {"5 1\n6 2\n5 3\n", 3, "(řádky 1 a 3) mají stejnou naměřenou vstupní hodnotu 5,"},
        {"1 7.5\n2 8\n3 7.5\n", 3, "stejnou požadovanou hodnotu 7.5,"},
    };
    for (const auto& c : cases) {
        const std::string shown = c.text.substr(0, 60);
        const auto r = read(c.text);
        EXPECT_FALSE(r.ok) << shown;
        EXPECT_TRUE(r.points.empty()) << shown;
        EXPECT_EQ(r.badLine, c.line) << shown;
        EXPECT_NE(r.message.find(c.fragment), std::string::npos) << r.message;
        EXPECT_NE(r.message.find("Soubor nebyl načten."), std::string::npos) << r.message;
        EXPECT_LT(r.message.size(), 400u) << shown;
    }
}

// A file read from disk: the command line's lin tests.
TEST(ReadPointFile, unreadableFilesGiveAMessageNamingTheFile) {
    const std::string dir = ::testing::TempDir();
    struct Case {
        std::string path, fragment;
    };
    const Case cases[] = {
        {"/nonexistent/dir/lin.txt", "\"/nonexistent/dir/lin.txt\" nelze otevřít."},
        {dir, "\"" + dir + "\" nelze přečíst, je to složka."},
        // Endless input is refused after its first line, not read until memory runs out.
        {"/dev/zero", "Řádek 1 linearizačního souboru je delší než 4096 bajtů."},
    };
    for (const auto& c : cases) {
        if (c.path == "/dev/zero" && !std::filesystem::exists(c.path))
            continue;
        const auto r = ReadPointFile(c.path);
        EXPECT_FALSE(r.ok) << c.path;
        EXPECT_NE(r.message.find(c.fragment), std::string::npos) << r.message;
    }
}

TEST(PointStore, loadFillsArraysAndEndLines_aRefusedLoadChangesNothing) {
    PointStore store;
    ASSERT_TRUE(store.load({{1, 10}, {2, 15}, {3, 30}}));
    EXPECT_EQ(store.PointsIn[1], 1.0L);
    EXPECT_EQ(store.PointsOut[3], 30.0L);
    // Line through (1, 10) and (3, 30): out = 10 * in + 0, in = 0.1 * out + 0.
    EXPECT_EQ(std::tuple(store.EndLineOutSlope, store.EndLineOutOffset), std::tuple(10.0L, 0.0L));
    EXPECT_NEAR(static_cast<double>(store.EndLineInSlope), 0.1, 1e-18);
    EXPECT_NEAR(static_cast<double>(store.EndLineInOffset), 0.0, 1e-18);

    EXPECT_FALSE(store.load({{1, 10}, {1, 30}}));
    EXPECT_FALSE(store.load({}));
    EXPECT_FALSE(store.load(std::vector<Point>(101, Point{1, 2})));
    EXPECT_EQ(std::tuple(store.PointCount, store.PointsIn[3]), std::tuple(3, 3.0L));
}

using Status = LineReader::Status;

// Every line read, then the status that ended the reading and the line it names.
std::string readAll(std::istream& in, LineReader::Limits limits) {
    LineReader reader(in, limits);
    std::string out, line;
    Status s;
    while ((s = reader.next(line)) == Status::Line)
        out += "[" + line + "]";
    const char* names[] = {"line", "end", "file too large", "line too long", "read error"};
    return out + " " + names[static_cast<int>(s)] + " " + std::to_string(reader.lineNumber());
}

std::string blankLines(int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += "[]";
    return out;
}

TEST(LineReader, linesAndLimits) {
    const LineReader::Limits small{32, 8};
    // clang-format off
    struct Case { std::string text, read; };
    const Case cases[] = {
        {"", " end 0"}, {"a\nb", "[a][b] end 2"}, {"a\r\nb\r\n\n", "[a][b][] end 3"},
        {std::string("a\0b\n", 4), std::string("[a\0b] end 1", 11)},
        {"12345678\n12345678\r\n", "[12345678][12345678] end 2"},  // the CR is no part of it
        {"1\n123456789\n", "[1] line too long 2"}, {"123456789", " line too long 1"},
        // Exactly the file limit is read; one byte more is refused before any line.
        {std::string(31, '\n') + "x", blankLines(31) + "[x] end 32"},
        {std::string(33, '\n'), " file too large 0"}};
    // clang-format on
    for (const auto& c : cases) {
        std::istringstream in(c.text);
        EXPECT_EQ(readAll(in, small), c.read) << c.text.substr(0, 20);
    }
}

}  // namespace
}  // namespace veld::lin
