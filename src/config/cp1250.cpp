#include "config/cp1250.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>
#include <array>
#include <optional>

namespace veld::config::cp1250 {

namespace {

constexpr const char* kName = "windows-1250";

// Bytes 0x80..0xFF. 0x81, 0x83, 0x88, 0x90 and 0x98 have no character of their own and stand
// for the control codes of the same number, as the system converters map them.
constexpr std::array<char16_t, 128> kUpper = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

std::optional<unsigned char> TableByte(char32_t c) {
    if (c < 0x80)
        return static_cast<unsigned char>(c);
    for (std::size_t i = 0; i < kUpper.size(); ++i)
        if (kUpper[i] == c)
            return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

// One code point at a time; `at` moves past it.
QString CodePointAt(const QString& text, qsizetype& at) {
    const qsizetype length =
        text.at(at).isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate()
            ? 2
            : 1;
    QString c = text.mid(at, length);
    at += length;
    return c;
}

// The bytes of one code point, or nothing when the code page has no such character. A
// character counts only when it comes back unchanged: a converter's stand-in never does.
std::optional<QByteArray> EncodeOne(const QString& c) {
    QStringEncoder encoder(kName);
    if (!encoder.isValid()) {
        const auto ucs4 = c.toUcs4();
        if (ucs4.size() != 1)
            return std::nullopt;
        if (const auto byte = TableByte(ucs4.front()))
            return QByteArray(1, static_cast<char>(*byte));
        return std::nullopt;
    }
    const QByteArray bytes = encoder.encode(c);
    if (encoder.hasError() || bytes.size() != 1 || Decode(bytes) != c)
        return std::nullopt;
    return bytes;
}

}  // namespace

char16_t UpperHalf(unsigned char byte) {
    return byte < 0x80 ? char16_t{byte} : kUpper[static_cast<std::size_t>(byte - 0x80)];
}

Encoded Encode(const QString& text) {
    Encoded result;
    QStringEncoder encoder(kName);
    if (encoder.isValid()) {
        QByteArray bytes = encoder.encode(text);
        if (!encoder.hasError() && Decode(bytes) == text) {
            result.bytes = std::move(bytes);
            return result;
        }
    }
    // Character by character: either the system has no such converter, or some character did
    // not fit and the message is to name it.
    result.bytes.reserve(text.size());
    for (qsizetype at = 0; at < text.size();) {
        const QString c = CodePointAt(text, at);
        const auto byte = EncodeOne(c);
        if (!byte) {
            result.unencodable = c;
            return result;
        }
        result.bytes += *byte;
    }
    return result;
}

QString Decode(QByteArrayView bytes) {
    QStringDecoder decoder(kName);
    if (decoder.isValid())
        return decoder.decode(bytes);
    QString text;
    text.reserve(bytes.size());
    for (const char b : bytes)
        text += QChar(UpperHalf(static_cast<unsigned char>(b)));
    return text;
}

}  // namespace veld::config::cp1250
