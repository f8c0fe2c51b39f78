#pragma once

#include "common/prompts.h"
#include "config/handler_support.h"
#include "config/outcome.h"

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
    // Checks the file (a damaged or foreign one is refused before anything is sent), compares
    // the signature with the transmitter's, asks, then writes every area back between "Stop" and
    // "Reset", "Continue" as the whole write does. A failure stops it and names what was written.
    Outcome restore(const QString& path);

    // The areas the last restore wrote completely, in order.
    const QStringList& writtenAreas() const { return written_; }
    const std::optional<link::AccessFailure>& lastFailure() const { return failure_.last(); }

    // The time written into the header; tests set their own.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

private:
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

}  // namespace veld::config
