#include "sim/fault_policy.h"

#include <algorithm>
#include <charconv>

namespace veld::sim {

namespace {

// Index of the delimiter: the first byte after the preamble that is not 0xFF.
std::size_t DelimiterIndex(const std::vector<Byte>& reply) {
    std::size_t i = 0;
    while (i < reply.size() && reply[i] == 0xFF)
        ++i;
    return i;
}

std::optional<std::uint32_t> ParseNumber(std::string_view text) {
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

}  // namespace

ShapedReply ApplyFaults(const FaultSet& faults, std::vector<Byte> reply) {
    ShapedReply out;
    const auto has = [&](Fault::Kind kind) {
        return std::any_of(faults.begin(), faults.end(),
                           [kind](const Fault& f) { return f.kind == kind; });
    };
    const auto amount = [&](Fault::Kind kind) {
        return std::find_if(faults.begin(), faults.end(),
                            [kind](const Fault& f) { return f.kind == kind; })
            ->amount;
    };

    if (has(Fault::Kind::NoReply)) {
        out.send = false;
        return out;
    }
    if (has(Fault::Kind::Delay))
        out.delay = std::chrono::milliseconds(amount(Fault::Kind::Delay));
    if (has(Fault::Kind::LongPreamble)) {
        const std::size_t delimiter = DelimiterIndex(reply);
        reply.erase(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(delimiter));
        const std::size_t preamble =
            std::min(amount(Fault::Kind::LongPreamble), Fault::kMaxPreamble);
        reply.insert(reply.begin(), preamble, Byte{0xFF});
    }
    const std::size_t delimiter = DelimiterIndex(reply);
    constexpr std::size_t kAddressLength = link::DeviceAddress.size();
    if (has(Fault::Kind::WrongAddress) && reply.size() > delimiter + kAddressLength + 1) {
        // Flipping a bit of the address byte and of the checksum keeps the XOR sum right.
        reply[delimiter + kAddressLength] ^= 0x01;
        reply.back() ^= 0x01;
    }
    if (has(Fault::Kind::ByteCountOver) && delimiter < reply.size()) {
        const std::size_t addressLength = (reply[delimiter] & 0x80) != 0 ? kAddressLength : 1;
        const std::size_t count = delimiter + addressLength + 2;
        if (count + 1 < reply.size()) {
            // The checksum follows the change, as it does for the address.
            reply.back() ^= static_cast<Byte>(reply[count] ^ Fault::kOversizeByteCount);
            reply[count] = Fault::kOversizeByteCount;
        }
    }
    const bool badCopy = has(Fault::Kind::RepeatedBadChecksum);
    const bool copy = badCopy || has(Fault::Kind::Repeated);
    std::vector<Byte> copied;
    if (badCopy && !reply.empty()) {
        copied = reply;
        copied.back() ^= 0xFF;
    }
    if (has(Fault::Kind::BadChecksum) && !reply.empty())
        reply.back() ^= 0xFF;
    if (copy && !badCopy)
        copied = reply;
    if (has(Fault::Kind::Truncated)) {
        const std::size_t kept = amount(Fault::Kind::Truncated);
        reply.resize(std::min(reply.size(), kept));
        copied.resize(std::min(copied.size(), kept));
    }
    if (copy) {
        const auto gap = std::chrono::milliseconds(
            amount(badCopy ? Fault::Kind::RepeatedBadChecksum : Fault::Kind::Repeated));
        out.repeat = ShapedReply::Copy{std::move(copied), gap};
    }
    out.bytes = std::move(reply);
    return out;
}

void FaultPolicy::Queue(FaultSet faults, std::size_t requests) {
    if (requests > 0)
        queue_.push_back({std::move(faults), requests});
}

std::size_t FaultPolicy::Queued() const {
    std::size_t n = 0;
    for (const Entry& e : queue_)
        n += e.requests;
    return n;
}

void FaultPolicy::Clear() {
    queue_.clear();
    permanent_.clear();
}

FaultSet FaultPolicy::Next() {
    if (onAnswer)
        onAnswer();
    if (queue_.empty())
        return permanent_;
    Entry& front = queue_.front();
    if (--front.requests > 0)
        return front.faults;
    FaultSet next = std::move(front.faults);
    queue_.pop_front();
    return next;
}

std::optional<std::string> AddFaultRule(FaultPolicy& policy, std::string_view rule) {
    const std::string quoted = "fault \"" + std::string(rule) + "\": ";
    std::string_view faultsPart = rule;
    std::size_t times = 1;
    bool permanent = false;
    if (const auto colon = rule.find(':'); colon != std::string_view::npos) {
        faultsPart = rule.substr(0, colon);
        const std::string_view timesText = rule.substr(colon + 1);
        if (timesText == "all") {
            permanent = true;
        } else {
            const auto n = ParseNumber(timesText);
            if (!n || *n == 0)
                return quoted + "count must be a positive number or \"all\"";
            times = *n;
        }
    }
    FaultSet faults;
    while (!faultsPart.empty()) {
        const auto plus = faultsPart.find('+');
        const std::string_view item = faultsPart.substr(0, plus);
        faultsPart =
            plus == std::string_view::npos ? std::string_view{} : faultsPart.substr(plus + 1);
        const auto eq = item.find('=');
        const std::string_view name = item.substr(0, eq);
        std::optional<std::uint32_t> value;
        if (eq != std::string_view::npos) {
            value = ParseNumber(item.substr(eq + 1));
            if (!value)
                return quoted + "\"" + std::string(item.substr(eq + 1)) + "\" is not a number";
        }
        const bool needsValue = name == "delay" || name == "long-preamble" || name == "truncated" ||
                                name == "repeat" || name == "repeat-bad-checksum";
        if (needsValue != value.has_value()) {
            return quoted + "\"" + std::string(name) +
                   (needsValue ? "\" needs =N" : "\" takes no value");
        }
        if (name == "none")
            continue;
        if (name == "no-reply")
            faults.push_back(Fault::NoReply());
        else if (name == "bad-checksum")
            faults.push_back(Fault::BadChecksum());
        else if (name == "wrong-address")
            faults.push_back(Fault::WrongAddress());
        else if (name == "byte-count-over")
            faults.push_back(Fault::ByteCountOver());
        else if (name == "delay")
            faults.push_back(Fault::Delay(std::chrono::milliseconds(*value)));
        else if (name == "long-preamble")
            faults.push_back(Fault::LongPreamble(*value));
        else if (name == "truncated")
            faults.push_back(Fault::Truncated(*value));
        else if (name == "repeat")
            faults.push_back(Fault::Repeated(std::chrono::milliseconds(*value)));
        else if (name == "repeat-bad-checksum")
            faults.push_back(Fault::RepeatedBadChecksum(std::chrono::milliseconds(*value)));
        else
            return quoted + "unknown fault \"" + std::string(name) + "\"";
    }
    if (permanent) {
        policy.SetPermanent(std::move(faults));
    } else {
        policy.Queue(std::move(faults), times);
    }
    return std::nullopt;
}

}  // namespace veld::sim
