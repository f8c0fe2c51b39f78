#pragma once

#include "config/handler_support.h"
#include "config/input_state.h"
#include "config/outcome.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace veld::link {
class DeviceAccess;
}

// The user note: 60 characters at 512, one byte each in windows-1250, padded with blanks.
namespace veld::config {

class UserNote {
public:
    static constexpr int kLength = 60;

    UserNote(Editor& editor, link::DeviceAccess& device, std::function<void()> changed);

    // When set, the two routines move `Prenos` after each transaction; the note buttons set it,
    // the whole read and the whole write clear it so that they keep `Prenos` to themselves.
    bool NoteProgress = false;

    // `EditUzPozn` to the transmitter in three writes of 20 bytes. A text the transmitter cannot
    // hold (a character outside windows-1250, more than 60 of them) is refused with a message
    // before anything is sent.
    Outcome zapis_uz_pozn();
    // Four reads of 15 bytes into `EditUzPozn`, trailing blanks and control bytes removed; a
    // failed read leaves the box as it was.
    Outcome cteni_uz_pozn();

    Outcome Uloz_PoznClick();
    Outcome Prec_PoznClick();

    // The 60 bytes stored for a note, or the message that refuses it.
    struct Bytes {
        QByteArray bytes;
        QString refusal;
    };
    static Bytes EncodeNote(const QString& text);
    // The note as shown from the 60 bytes read.
    static QString DecodeNote(QByteArray bytes);

    // Why the last operation stopped, when the transmitter's answer was at fault.
    const std::optional<link::AccessFailure>& lastFailure() const { return failure_.last(); }

private:
    Editor& e_;
    link::DeviceAccess& device_;
    Progress progress_;
    FailureRecord failure_;
};

}  // namespace veld::config
