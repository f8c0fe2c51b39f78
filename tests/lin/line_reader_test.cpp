#include "lin/line_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <ios>
#include <sstream>
#include <streambuf>

namespace veld::lin {
namespace {

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
    struct Case {
        std::string text;
        std::string read;
    };
    const Case cases[] = {
        {"", " end 0"},
        {"a\nb", "[a][b] end 2"},
        {"a\r\nb\r\n\n", "[a][b][] end 3"},
        {std::string("a\0b\n", 4), std::string("[a\0b] end 1", 11)},
        {"12345678\n12345678\r\n", "[12345678][12345678] end 2"},  // the CR is no part of it
        {"1\n123456789\n", "[1] line too long 2"},
        {"123456789", " line too long 1"},
        // Exactly the file limit is read; one byte more is refused before any line.
        {std::string(31, '\n') + "x", blankLines(31) + "[x] end 32"},
        {std::string(33, '\n'), " file too large 0"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.text);
        EXPECT_EQ(readAll(in, small), c.read) << c.text.substr(0, 20);
    }
}

// An endless stream of one pattern that counts what it hands out, or fails on the first read.
class Endless : public std::streambuf {
public:
    explicit Endless(std::string pattern, bool fail = false)
        : pattern_(std::move(pattern)), fail_(fail) {}
    std::size_t handedOut = 0;

protected:
    int_type underflow() override {
        if (fail_)
            throw std::ios_base::failure("read error");
        setg(pattern_.data(), pattern_.data(), pattern_.data() + pattern_.size());
        handedOut += pattern_.size();
        return traits_type::to_int_type(pattern_[0]);
    }

private:
    std::string pattern_;
    bool fail_;
};

TEST(LineReader, endlessInputStopsAtTheLimitNotAtTheEndOfMemory) {
    Endless zeros(std::string(4096, '\0'));
    std::istream z(&zeros);
    EXPECT_EQ(readAll(z, {}), " line too long 1");
    EXPECT_LE(zeros.handedOut, 128u * 1024);

    Endless lines(std::string(4095, ' ') + "\n");
    std::istream l(&lines);
    LineReader reader(l);
    std::string line;
    int count = 0;
    while (reader.next(line) == Status::Line)
        ++count;
    EXPECT_EQ(reader.next(line), Status::FileTooLarge);
    EXPECT_EQ(count, 256);  // 1 MiB of them
    EXPECT_LE(lines.handedOut, (1u << 20) + 128 * 1024);

    Endless broken("x", true);
    std::istream e(&broken);
    EXPECT_EQ(readAll(e, {}), " read error 0");
}

}  // namespace
}  // namespace veld::lin
