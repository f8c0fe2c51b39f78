#include "cli/eeprom_command.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <optional>

namespace veld::cli {

namespace {

constexpr unsigned kAddressSpace = 0x10000;  // 16-bit EEPROM addresses

// Decimal, or hexadecimal with 0x.
std::optional<unsigned> ParseNumber(const std::string& text) {
    int base = 10;
    std::string_view digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    unsigned value = 0;
    const auto [end, ec] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty())
        return std::nullopt;
    return value;
}

// "0D", "0de5" or "0D,E5": pairs of hex digits.
bool ParseHexBytes(const std::string& word, std::vector<std::uint8_t>& bytes) {
    std::string digits;
    for (char c : word) {
        if (c == ',' || c == ':')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
        digits.push_back(c);
    }
    if (digits.empty() || digits.size() % 2 != 0)
        return false;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return true;
}

}  // namespace

std::string EepromCommand::usage() const {
    return "usage: veld-cli [--port PORT] eeprom read ADDRESS COUNT | eeprom write ADDRESS "
           "HEXBYTES...";
}

int EepromCommand::execute(const std::vector<std::string>& args, std::ostream& out,
                           std::ostream& err) {
    auto usageError = [&](const std::string& why) {
        err << why << "; " << usage() << '\n';
        return kUsage;
    };
    if (args.empty())
        return usageError("missing read or write");
    const std::string& verb = args[0];
    if (verb == "read") {
        if (args.size() != 3)
            return usageError("read takes ADDRESS and COUNT");
        const auto address = ParseNumber(args[1]);
        const auto count = ParseNumber(args[2]);
        if (!address || *address >= kAddressSpace)
            return usageError("bad ADDRESS '" + args[1] + "'");
        if (!count || *count == 0 || *count > kAddressSpace - *address) {
            return usageError("bad COUNT '" + args[2] + "'");
        }
        return read(provider_(err), *address, *count, out, err);
    }
    if (verb == "write") {
        if (args.size() < 3)
            return usageError("write takes ADDRESS and at least one byte");
        const auto address = ParseNumber(args[1]);
        if (!address || *address >= kAddressSpace)
            return usageError("bad ADDRESS '" + args[1] + "'");
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 2; i < args.size(); ++i) {
            if (!ParseHexBytes(args[i], bytes))
                return usageError("bad HEXBYTES '" + args[i] + "'");
        }
        if (bytes.size() > kAddressSpace - *address)
            return usageError("write runs past address 65535");
        return write(provider_(err), *address, bytes);
    }
    return usageError("unknown eeprom command '" + verb + "'");
}

int EepromCommand::read(link::Link& link, unsigned address, unsigned count, std::ostream& out,
                        std::ostream& err) {
    std::string text;
    unsigned printed = 0;
    for (unsigned done = 0; done < count;) {
        const unsigned chunk = std::min<unsigned>(kReadChunk, count - done);
        if (link.ReadKonst(static_cast<std::uint16_t>(address + done),
                           static_cast<std::uint8_t>(chunk))) {
            return kFailure;  // nothing on standard output: a partial dump would mislead
        }
        // The window never looks at the response code; a dump must not print bytes the
        // transmitter did not send, so a refusal or a short reply ends here.
        if (link.rx.ReplyByteCount < chunk + 2) {
            err << "Převodník neposlal požadovaná data (kód odpovědi "
                << static_cast<int>(link.rx.RxData[0]) << ").\n";
            return kFailure;
        }
        for (unsigned i = 0; i < chunk; ++i) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", link.rx.RxData[2 + i]);
            text += hex;
            ++printed;
            text += (printed % 16 == 0 || printed == count) ? '\n' : ' ';
        }
        done += chunk;
    }
    out << text << std::flush;
    return kSuccess;
}

int EepromCommand::write(link::Link& link, unsigned address,
                         const std::vector<std::uint8_t>& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const std::size_t chunk = std::min<std::size_t>(kWriteChunk, bytes.size() - done);
        for (std::size_t i = 0; i < chunk; ++i)
            link.tx.TxData[1 + i] = bytes[done + i];
        link.BuildRequest("WriteEEPROM", static_cast<std::uint32_t>(address + done),
                          static_cast<std::uint8_t>(chunk));
        if (link.SendAndWait())
            return kFailure;
        done += chunk;
    }
    return kSuccess;
}

}  // namespace veld::cli
