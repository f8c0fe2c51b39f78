#include "config/transmitter_backup.h"

#include "common/prompts.h"
#include "config/cp1250.h"
#include "config/file_write.h"
#include "config/messages.h"
#include "link/device_access.h"
#include "model/backup_image.h"
#include "model/eeprom_map.h"
#include "model/record_codec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace veld::config {
namespace {

namespace map = model::eeprom;

// A backup is a few kilobytes; anything far larger is not one.
constexpr qint64 kMaxBackupBytes = 1 << 20;
// Below DeviceAccess::kMaxReadCount, which leaves room for one preamble byte only: a reply of 39
// bytes with the usual two or more overflows the receive buffer.
constexpr std::size_t kReadChunk = 32;

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString SignatureText(std::span<const std::uint8_t> bytes) {
    QString text;
    for (const std::uint8_t b : bytes)
        text += (text.isEmpty() ? u""_s : u" "_s) +
                u"%1"_s.arg(static_cast<unsigned>(b), 2, 16, QChar(u'0')).toUpper();
    return text;
}

// The stored time is ISO text; the question shows it as a technician reads dates here. A time
// that does not parse (an edited file) is shown as it stands.
QString TimeText(const std::string& stored) {
    const QString iso = QString::fromStdString(stored);
    const QDateTime at = QDateTime::fromString(iso, Qt::ISODate);
    return at.isValid() ? at.toString(u"d. M. yyyy H:mm:ss"_s) : iso;
}

// The note as the header shows it: one line, without the padding.
QString NoteText(const std::vector<std::uint8_t>& bytes) {
    QString note =
        cp1250::Decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    for (QChar& c : note)
        if (c.unicode() < 0x20)
            c = u' ';
    while (note.endsWith(u' '))
        note.chop(1);
    return note;
}

}  // namespace

// Through the one save path of the program: the earlier file stays whole when a save fails.
std::optional<QString> SaveFileAtomically(const QString& path, const QByteArray& bytes) {
    const FileWrite written = WriteFileAtomically(path, bytes);
    if (written.status == FileWrite::NotAFile)
        return kMsgNotAFileNothingSaved.arg(Shown(path));
    if (!written)
        return FileErrorText(written.error);
    return std::nullopt;
}

TransmitterBackup::TransmitterBackup(link::DeviceAccess& device, Prompts& prompts)
    : device_(device), prompts_(prompts) {}

template <class R>
bool TransmitterBackup::failed(const R& result) {
    if (!result.strict())
        return false;
    failure_.record(*result.strict());
    return true;
}

void TransmitterBackup::stopped(const QString& text) {
    const auto& failure = failure_.last();
    if (failure && !failure->messageShown())
        prompts_.message(failure->describe());
    prompts_.message(text);
}

void TransmitterBackup::progressed(std::size_t area) {
    if (progress)
        progress(static_cast<int>(100 * (area + 1) / std::size(map::kBackupAreas)));
}

std::optional<model::BackupImage> TransmitterBackup::read(const QDateTime& when) {
    failure_.clear();
    const auto signature = device_.readBytes(map::kSignature.address, map::kSignature.length);
    if (failed(signature)) {
        stopped(kMsgBackupNotSaved);
        return std::nullopt;
    }
    if (!model::IsVeldSignature(*signature)) {
        prompts_.message(kMsgNotVeld + u' ' + kMsgBackupNotSaved);
        return std::nullopt;
    }
    const auto firmware = device_.readBytes(map::kFirmware.address, 1);
    if (failed(firmware)) {
        stopped(kMsgBackupNotSaved);
        return std::nullopt;
    }

    model::BackupImage image;
    image.signature = {(*signature)[0], (*signature)[1]};
    image.firmware = (*firmware)[0];
    image.time = when.toString(Qt::ISODate).toStdString();
    for (const map::NamedArea& area : map::kBackupAreas) {
        model::BackupArea read{area.name, area.item.address, {}};
        for (std::uint16_t at = 0; at < area.item.length;) {
            const auto count =
                static_cast<std::uint8_t>(std::min<std::size_t>(kReadChunk, area.item.length - at));
            const auto bytes =
                device_.readBytes(static_cast<std::uint16_t>(area.item.address + at), count);
            if (failed(bytes)) {
                stopped(kMsgBackupNotSaved);
                return std::nullopt;
            }
            read.bytes.insert(read.bytes.end(), bytes->begin(), bytes->end());
            at = static_cast<std::uint16_t>(at + count);
        }
        if (area.item.address == map::kNote.address)
            image.note = NoteText(read.bytes).toStdString();
        image.areas.push_back(std::move(read));
        progressed(image.areas.size() - 1);
    }
    return image;
}

Outcome TransmitterBackup::write(const QString& path, const model::BackupImage& image) {
    if (const auto error =
            SaveFileAtomically(path, QByteArray::fromStdString(model::SerializeBackup(image)))) {
        prompts_.message(*error);
        return Outcome::Stopped;
    }
    return Outcome::Completed;
}

Outcome TransmitterBackup::save(const QString& path) {
    const auto image = read(now());
    return image ? write(path, *image) : Outcome::Stopped;
}

std::optional<QString> TransmitterBackup::saveInto(const QString& folder) {
    const QDateTime at = now();
    const auto image = read(at);
    if (!image)
        return std::nullopt;
    const QDir dir(folder);
    const QString name = BackupFileName(at, QString::fromStdString(image->note));
    QString path = dir.filePath(name);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(name.chopped(4) + u"_%1.txt"_s.arg(n));
    if (write(path, *image) != Outcome::Completed)
        return std::nullopt;
    return path;
}

QString BackupFileName(const QDateTime& at, const QString& note) {
    QString name = u"zaloha_"_s + at.toString(u"yyyy-MM-dd_HH-mm-ss"_s);
    QString kept;
    for (const QChar c : note.simplified()) {
        if (c == u' ')
            kept += u'_';
        else if (c.unicode() >= 0x20 && !u"\\/:*?\"<>|"_s.contains(c))
            kept += c;
    }
    kept = kept.left(40);
    // Windows drops dots and blanks at the end of a name.
    while (kept.endsWith(u'.') || kept.endsWith(u'_'))
        kept.chop(1);
    if (!kept.isEmpty())
        name += u'_' + kept;
    return name + u".txt"_s;
}

Outcome TransmitterBackup::restore(const QString& path) {
    failure_.clear();
    written_.clear();
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        prompts_.message(kMsgNotAFile.arg(Shown(path)) + kMsgNothingWritten);
        return Outcome::Stopped;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        prompts_.message(kMsgBackupCannotOpen.arg(Shown(path), file.errorString()) +
                         kMsgNothingWritten);
        return Outcome::Stopped;
    }
    const QByteArray bytes = file.read(kMaxBackupBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxBackupBytes) {
        prompts_.message(kMsgNotABackup.arg(Shown(path)) + kMsgNothingWritten);
        return Outcome::Stopped;
    }
    const model::ParsedBackup parsed = model::ParseBackup(bytes.toStdString());
    if (!parsed.image) {
        prompts_.message(u"%1: %2"_s.arg(Shown(path), QString::fromStdString(parsed.message)) +
                         kMsgNothingWritten);
        return Outcome::Stopped;
    }
    const model::BackupImage& image = *parsed.image;

    const auto signature = device_.readBytes(map::kSignature.address, map::kSignature.length);
    if (failed(signature)) {
        stopped(kMsgNothingWritten.trimmed());
        return Outcome::Stopped;
    }
    if (!std::equal(signature->begin(), signature->end(), image.signature.begin())) {
        prompts_.message(kMsgBackupOtherSignature.arg(SignatureText(image.signature),
                                                      SignatureText(*signature)) +
                         kMsgNothingWritten);
        return Outcome::Stopped;
    }
    const QString note = QString::fromStdString(image.note);
    if (!prompts_.question(kAskRestoreBackup.arg(
            TimeText(image.time), note.isEmpty() ? QString() : u" („%1“)"_s.arg(note))))
        return Outcome::Declined;

    const auto stop = [&](const QString& step) {
        stopped(
            kMsgRestoreStopped.arg(step, written_.isEmpty() ? u"žádná"_s : written_.join(u", "_s)));
        return Outcome::Stopped;
    };
    // The same bracket as the whole write: the transmitter stops measuring until "Continue".
    if (failed(device_.command("Stop")))
        return stop(u"u příkazu „Stop“"_s);
    for (const model::BackupArea& area : image.areas) {
        if (failed(device_.writeBytes(area.address, area.bytes)))
            return stop(u"při zápisu oblasti „%1“"_s.arg(QString::fromStdString(area.name)));
        written_.append(QString::fromStdString(area.name));
        progressed(static_cast<std::size_t>(written_.size() - 1));
    }
    if (failed(device_.command("Reset")))
        return stop(u"u příkazu „Reset“"_s);
    if (failed(device_.command("Continue")))
        return stop(u"u příkazu „Continue“"_s);
    return Outcome::Completed;
}

}  // namespace veld::config
