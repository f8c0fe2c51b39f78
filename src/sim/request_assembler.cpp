#include "sim/request_assembler.h"

#include <algorithm>

namespace veld::sim {

namespace {
constexpr std::size_t kAddressLength = link::DeviceAddress.size();
// Delimiter, address, command and byte count.
constexpr std::size_t kHeader = 1 + kAddressLength + 2;
// Checksum, pad, CRC low, CRC high.
constexpr std::size_t kTrailer = 4;
}  // namespace

std::vector<Request> RequestAssembler::Feed(std::span<const Byte> bytes, link::Micros now) {
    std::vector<Request> out;
    if (bytes.empty())
        return out;
    if (!buffer_.empty() && now - lastArrival_ > gap_) {
        ++stats_.abandoned;
        buffer_.clear();
        arrival_.clear();
    }
    lastArrival_ = now;
    // One byte at a time keeps the buffer within kMaxFrame whatever arrives.
    for (Byte b : bytes) {
        buffer_.push_back(b);
        arrival_.push_back(now);
        Extract(out);
    }
    return out;
}

void RequestAssembler::Reset() {
    buffer_.clear();
    arrival_.clear();
}

void RequestAssembler::Drop(std::size_t count) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(count));
    arrival_.erase(arrival_.begin(), arrival_.begin() + static_cast<std::ptrdiff_t>(count));
}

void RequestAssembler::Extract(std::vector<Request>& out) {
    for (;;) {
        const auto firstFF = std::find(buffer_.begin(), buffer_.end(), Byte{0xFF});
        if (firstFF != buffer_.begin()) {
            const auto noise = static_cast<std::size_t>(firstFF - buffer_.begin());
            stats_.noiseBytes += noise;
            Drop(noise);
        }
        if (buffer_.empty())
            return;

        std::size_t p = 0;  // preamble bytes
        while (p < buffer_.size() && buffer_[p] == 0xFF)
            ++p;
        if (p > kMaxPreamble) {
            Drop(p - kMaxPreamble);
            p = kMaxPreamble;
        }
        if (p == buffer_.size())
            return;  // still in the preamble
        if (buffer_[p] != link::kRequestDelimiter) {
            stats_.noiseBytes += p + 1;
            Drop(p + 1);
            continue;
        }
        if (buffer_.size() < p + kHeader)
            return;
        const std::size_t n = buffer_[p + kHeader - 1];
        const std::size_t end = p + kHeader + n + kTrailer;  // one past the CRC high byte
        if (buffer_.size() < end)
            return;

        const std::span<const Byte> all(buffer_);
        const std::size_t checksumAt = p + kHeader + n;
        if (link::XorChecksum(all.subspan(p, kHeader + n)) != buffer_[checksumAt]) {
            // Whatever follows the delimiter may hold the start of a good request.
            ++stats_.badChecksum;
            Drop(p + 1);
            continue;
        }
        const auto crc = static_cast<std::uint16_t>(buffer_[end - 2] | (buffer_[end - 1] << 8));
        std::size_t covered = 0;  // preamble bytes the sender's CRC included
        for (std::size_t k = p; k >= 1; --k) {
            if (link::Crc16(all.subspan(p - k, k + kHeader + n + 2)) == crc) {
                covered = k;
                break;
            }
        }
        if (covered == 0) {
            ++stats_.badCrc;
            Drop(p + 1);
            continue;
        }
        if (!std::equal(link::DeviceAddress.begin(), link::DeviceAddress.end(),
                        buffer_.begin() + static_cast<std::ptrdiff_t>(p + 1))) {
            // A sound request for another device: skip it whole.
            ++stats_.wrongAddress;
            Drop(end);
            continue;
        }
        Request r;
        r.command = buffer_[p + kHeader - 2];
        r.data.assign(buffer_.begin() + static_cast<std::ptrdiff_t>(p + kHeader),
                      buffer_.begin() + static_cast<std::ptrdiff_t>(checksumAt));
        r.wireLength = covered + (end - p);
        r.firstByteAt = arrival_[p - covered];
        ++stats_.accepted;
        out.push_back(std::move(r));
        Drop(end);
    }
}

}  // namespace veld::sim
