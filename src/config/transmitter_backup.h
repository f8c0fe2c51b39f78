#pragma once

#include "common/prompts.h"
#include "config/handler_support.h"
#include "config/outcome.h"
#include "model/backup_image.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace veld::link {
class DeviceAccess;
}

// "Záloha převodníku": the areas of the memory the program writes, saved to a file and written
// back from it.
namespace veld::config {

class TransmitterBackup {
public:
    TransmitterBackup(link::DeviceAccess& device, Prompts& prompts);

    // Reads the signature, the firmware number and every area of the backup table, then saves
    // the file atomically. Nothing is saved when a read fails.
    Outcome save(const QString& path);
    // The same into `folder`, under BackupFileName() of the time and the note read; a name taken
    // already gets a number. The path saved, or nothing when the backup stopped (it said why).
    std::optional<QString> saveInto(const QString& folder);
    // Checks the file (a damaged or foreign one is refused before anything is sent), compares
    // the signature with the transmitter's, asks, then writes every area back between "Stop" and
    // "Reset", "Continue" as the whole write does. A failure stops it and names what was written.
    Outcome restore(const QString& path);

    // The areas the last restore wrote completely, in order.
    const QStringList& writtenAreas() const { return written_; }
    const std::optional<link::AccessFailure>& lastFailure() const { return failure_.last(); }

    // The time written into the header; tests set their own.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // The share done, 0..100, after each area read or written.
    std::function<void(int)> progress;

private:
    // The header and every area; nothing when a read failed or the device is no VELD.
    std::optional<model::BackupImage> read(const QDateTime& when);
    Outcome write(const QString& path, const model::BackupImage& image);
    void progressed(std::size_t area);
    template <class R>
    bool failed(const R& result);
    // The message of a failed transaction the link has not shown, then `text`.
    void stopped(const QString& text);

    link::DeviceAccess& device_;
    Prompts& prompts_;
    FailureRecord failure_;
    QStringList written_;
};

// Writes the bytes beside the target and renames them over it once complete: a failed save
// leaves an existing file as it was. A target that exists and is no regular file (a folder, a
// device) is refused. The Czech message, or nothing on success.
std::optional<QString> SaveFileAtomically(const QString& path, const QByteArray& bytes);

// "zaloha_2026-12-07_10-00-00_Kotelna_3.txt": the note with blanks as "_", without the characters
// a file name cannot hold on any system, at most 40 characters of it.
QString BackupFileName(const QDateTime& at, const QString& note);

}  // namespace veld::config
