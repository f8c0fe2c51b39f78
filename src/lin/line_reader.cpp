#include "lin/line_reader.h"

#include <algorithm>
#include <istream>

namespace veld::lin {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

}  // namespace

LineReader::LineReader(std::istream& in, Limits limits) : in_(in), limits_(limits) {}

bool LineReader::fill() {
    buffer_.erase(0, pos_);
    pos_ = 0;
    // One byte beyond the limit tells a file of exactly the limit from a longer one.
    const std::size_t room = limits_.maxFileBytes + 1 - total_;
    const std::size_t want = std::min(kChunk, room);
    const std::size_t old = buffer_.size();
    buffer_.resize(old + want);
    in_.read(buffer_.data() + old, static_cast<std::streamsize>(want));
    const auto got = static_cast<std::size_t>(in_.gcount());
    buffer_.resize(old + got);
    total_ += got;
    if (in_.bad()) {
        failed_ = Status::ReadError;
        return false;
    }
    if (total_ > limits_.maxFileBytes) {
        failed_ = Status::FileTooLarge;
        return false;
    }
    if (got < want)
        ended_ = true;
    return got > 0;
}

LineReader::Status LineReader::next(std::string& line) {
    line.clear();
    for (;;) {
        if (failed_ != Status::Line)
            return failed_;
        const std::size_t newline = buffer_.find('\n', pos_);
        const std::size_t end = newline == std::string::npos ? buffer_.size() : newline;
        std::size_t length = end - pos_;
        // A "\r" ending the line is no part of it.
        if (length > limits_.maxLineBytes &&
            !(length == limits_.maxLineBytes + 1 && buffer_[end - 1] == '\r')) {
            lineNumber_ += 1;
            failed_ = Status::LineTooLong;
            return failed_;
        }
        if (newline != std::string::npos || (ended_ && length > 0)) {
            if (length > 0 && buffer_[end - 1] == '\r')
                --length;
            line.assign(buffer_, pos_, length);
            pos_ = newline == std::string::npos ? end : newline + 1;
            ++lineNumber_;
            return Status::Line;
        }
        if (ended_ || !fill()) {
            if (failed_ != Status::Line)
                return failed_;
            if (pos_ == buffer_.size())
                return Status::End;
        }
    }
}

}  // namespace veld::lin
