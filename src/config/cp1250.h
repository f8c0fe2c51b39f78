#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Texts the transmitter and the configuration files hold: one byte a character, code page
// windows-1250 (the code page of the program's own Czech texts).
namespace veld::config::cp1250 {

struct Encoded {
    QByteArray bytes;
    // The first character windows-1250 cannot hold (one code point); empty when every one fits.
    QString unencodable;
    bool ok() const { return unencodable.isEmpty(); }
};

// Every character as its byte. A character the code page cannot hold is never replaced: the
// result names it and its bytes are not to be used.
Encoded Encode(const QString& text);

// Every byte as the character with that code.
QString Decode(QByteArrayView bytes);

// The character of each byte 0x80..0xFF, the code page's own table. Used where the system's
// converters do not offer windows-1250.
char16_t UpperHalf(unsigned char byte);

}  // namespace veld::config::cp1250
