#include "config/user_note.h"

#include "config/cp1250.h"
#include "config/main_form.h"
#include "config/messages.h"
#include "link/device_access.h"
#include "model/eeprom_map.h"

using namespace Qt::Literals::StringLiterals;

namespace veld::config {

namespace {

constexpr std::uint16_t kNoteAddress = model::eeprom::kNote.address;
constexpr int kWriteBlock = 20;
constexpr int kReadBlock = 15;
static_assert(model::eeprom::kNote.length == UserNote::kLength);
static_assert(UserNote::kLength % kWriteBlock == 0 && UserNote::kLength % kReadBlock == 0);

}  // namespace

UserNote::UserNote(Editor& editor, link::DeviceAccess& device, std::function<void()> changed)
    : e_(editor), device_(device), progress_(editor.form.Prenos, std::move(changed)) {}

UserNote::Bytes UserNote::EncodeNote(const QString& text) {
    Bytes result;
    const cp1250::Encoded encoded = cp1250::Encode(text);
    if (!encoded.ok()) {
        result.refusal = kMsgNoteUnencodable.arg(encoded.unencodable);
        return result;
    }
    if (encoded.bytes.size() > kLength) {
        result.refusal = kMsgNoteTooLong.arg(kLength).arg(encoded.bytes.size());
        return result;
    }
    result.bytes = encoded.bytes;
    result.bytes.append(kLength - encoded.bytes.size(), ' ');
    return result;
}

QString UserNote::DecodeNote(QByteArray bytes) {
    while (!bytes.isEmpty() && static_cast<unsigned char>(bytes.back()) <= 0x20)
        bytes.chop(1);
    return cp1250::Decode(bytes);
}

Outcome UserNote::zapis_uz_pozn() {
    failure_.clear();
    const Bytes note = EncodeNote(e_.form.EditUzPozn.text());
    if (!note.refusal.isEmpty()) {
        e_.prompts.message(note.refusal);
        return Outcome::Stopped;
    }
    const int stages[] = {33, 67, 100};
    for (int k = 0; k < kLength / kWriteBlock; ++k) {
        const auto block = note.bytes.mid(k * kWriteBlock, kWriteBlock);
        const link::Status written =
            device_.writeBytes(static_cast<std::uint16_t>(kNoteAddress + k * kWriteBlock),
                               {reinterpret_cast<const link::Byte*>(block.constData()),
                                static_cast<std::size_t>(block.size())});
        if (!written) {
            failure_.record(written.failure());
            return Outcome::Stopped;
        }
        if (NoteProgress)
            progress_(stages[k]);
    }
    return Outcome::Completed;
}

Outcome UserNote::cteni_uz_pozn() {
    failure_.clear();
    QByteArray bytes;
    for (int k = 0; k < kLength / kReadBlock; ++k) {
        const auto read = device_.readBytes(
            static_cast<std::uint16_t>(kNoteAddress + k * kReadBlock), kReadBlock);
        if (!read) {
            failure_.record(read.failure());
            return Outcome::Stopped;
        }
        if (NoteProgress)
            progress_(25 * (k + 1));
        for (const link::Byte b : *read)
            bytes.append(static_cast<char>(b));
    }
    e_.form.EditUzPozn.setText(DecodeNote(bytes));
    return Outcome::Completed;
}

Outcome UserNote::Uloz_PoznClick() {
    ButtonBusy busy(e_.form.Uloz_Pozn);
    progress_(0);
    NoteProgress = true;
    return zapis_uz_pozn();
}

Outcome UserNote::Prec_PoznClick() {
    ButtonBusy busy(e_.form.Prec_Pozn);
    progress_(0);
    NoteProgress = true;
    return cteni_uz_pozn();
}

}  // namespace veld::config
