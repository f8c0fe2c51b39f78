#include "cli/eeprom_command.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <optional>

#include <QJsonArray>

#include "link/device_access.h"
#include "session/session.h"

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

// What the command line says about a failed access: the engine has shown its own message where it
// had one; anything else it did not tell is said here.
int Failed(Context& context, const link::AccessFailure& failure) {
    if (!failure.messageShown())
        context.err() << failure.describe().toStdString() << '\n';
    return kFailure;
}

}  // namespace

std::string EepromCommand::usage() const {
    return "usage: veld-cli [--port PORT] eeprom read ADDRESS COUNT | eeprom write ADDRESS "
           "HEXBYTES...";
}

std::string EepromCommand::help() const {
    return "Reads or writes the transmitter's EEPROM by address (decimal, or hexadecimal with "
           "0x).\n"
           "  read ADDRESS COUNT      prints the bytes as hex pairs, 16 to a line\n"
           "  write ADDRESS HEXBYTES  writes the bytes (\"0D\", \"0de5\" or \"0D,E5\")\n"
           "Exit 1 when the transmitter did not confirm every request: no answer, a bad checksum,\n"
           "or a response code other than 0 (named in the message).\n";
}

int EepromCommand::execute(const std::vector<std::string>& args, Context& context) {
    if (args.empty())
        return usageError(context, "missing read or write");
    const std::string& verb = args[0];
    if (verb == "read") {
        if (args.size() != 3)
            return usageError(context, "read takes ADDRESS and COUNT");
        const auto address = ParseNumber(args[1]);
        const auto count = ParseNumber(args[2]);
        if (!address || *address >= kAddressSpace)
            return usageError(context, "bad ADDRESS '" + args[1] + "'");
        if (!count || *count == 0 || *count > kAddressSpace - *address)
            return usageError(context, "bad COUNT '" + args[2] + "'");
        return read(context, *address, *count);
    }
    if (verb == "write") {
        if (args.size() < 3)
            return usageError(context, "write takes ADDRESS and at least one byte");
        const auto address = ParseNumber(args[1]);
        if (!address || *address >= kAddressSpace)
            return usageError(context, "bad ADDRESS '" + args[1] + "'");
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 2; i < args.size(); ++i) {
            if (!ParseHexBytes(args[i], bytes))
                return usageError(context, "bad HEXBYTES '" + args[i] + "'");
        }
        if (bytes.size() > kAddressSpace - *address)
            return usageError(context, "write runs past address 65535");
        return write(context, *address, bytes);
    }
    return usageError(context, "unknown eeprom command '" + verb + "'");
}

int EepromCommand::read(Context& context, unsigned address, unsigned count) {
    link::DeviceAccess& device = context.session().device();
    std::vector<std::uint8_t> bytes;
    for (unsigned done = 0; done < count;) {
        const unsigned chunk = std::min<unsigned>(kReadChunk, count - done);
        const auto reply = device.readBytes(static_cast<std::uint16_t>(address + done),
                                            static_cast<std::uint8_t>(chunk));
        // Nothing on standard output after a failure: a partial dump would mislead.
        if (const auto failure = reply.strict())
            return Failed(context, *failure);
        bytes.insert(bytes.end(), reply->begin(), reply->end());
        done += chunk;
    }
    if (context.json()) {
        QJsonArray values;
        for (std::uint8_t b : bytes)
            values.append(int{b});
        context.writeJson({{QStringLiteral("address"), static_cast<int>(address)},
                           {QStringLiteral("bytes"), values}});
        return kSuccess;
    }
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
        text += hex;
        text += ((i + 1) % 16 == 0 || i + 1 == bytes.size()) ? '\n' : ' ';
    }
    context.out() << text << std::flush;
    return kSuccess;
}

int EepromCommand::write(Context& context, unsigned address,
                         const std::vector<std::uint8_t>& bytes) {
    const auto written = context.session().device().writeBytes(static_cast<std::uint16_t>(address),
                                                               bytes, kWriteChunk);
    if (const auto failure = written.strict())
        return Failed(context, *failure);
    if (context.json())
        context.writeJson({{QStringLiteral("address"), static_cast<int>(address)},
                           {QStringLiteral("written"), static_cast<int>(bytes.size())}});
    return kSuccess;
}

}  // namespace veld::cli
