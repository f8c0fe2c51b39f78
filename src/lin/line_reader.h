#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

namespace veld::lin {

// Reads a text file line by line without ever holding more than its limits: a file that goes
// on past `maxFileBytes` (or /dev/zero) and a line longer than `maxLineBytes` stop the reading
// once the limit is crossed, not after the whole has been read.
class LineReader {
public:
    struct Limits {
        std::size_t maxFileBytes = std::size_t{1} << 20;  // 1 MiB
        std::size_t maxLineBytes = 4096;
    };
    enum class Status { Line, End, FileTooLarge, LineTooLong, ReadError };

    explicit LineReader(std::istream& in) : LineReader(in, Limits{}) {}
    LineReader(std::istream& in, Limits limits);

    // The next line, without its "\n" or "\r\n". After anything but Line the reading is over.
    Status next(std::string& line);
    // 1-based number of the line last returned, or of the line found too long.
    int lineNumber() const { return lineNumber_; }
    const Limits& limits() const { return limits_; }

private:
    bool fill();  // false once the stream has ended

    std::istream& in_;
    Limits limits_;
    std::string buffer_;
    std::size_t pos_ = 0;
    std::size_t total_ = 0;
    bool ended_ = false;
    Status failed_ = Status::Line;
    int lineNumber_ = 0;
};

}  // namespace veld::lin
