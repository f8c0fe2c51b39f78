#pragma once

#include "config/config_compare.h"
#include "config/outcome.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <vector>

// The page "Záloha": the transmitter's backup and its restore, the comparison of a configuration
// file with the transmitter, and the two settings of the whole write. The rules are those of
// TransmitterBackup and CompareConfigurations, which the command line runs too.
namespace veld::config {

class MainWindowModel;

class BackupPage {
public:
    explicit BackupPage(MainWindowModel& model) : m_(model) {}

    // `Zalohovat`: the save dialog, then the backup.
    Outcome ZalohovatClick();
    // `Obnovit`: the open dialog, then the restore with its checks and its question.
    Outcome ObnovitClick();
    // `Porovnat`: loads a configuration file as "Přečíst" of "Konfigurace ze souboru" does, reads
    // the transmitter, and hands the differences to the view (`comparisons` moves), or says that
    // there are none.
    Outcome PorovnatClick();
    // `VybratSlozku`: the folder of the backups taken before a write.
    void VybratSlozkuClick();
    // A setting's check box was ticked or cleared.
    void settingClicked();

    // The whole write brackets its transactions with these. With `ZalohaPredZapisem` ticked, a
    // backup into the chosen folder; false when it failed (said why): the write must not start.
    bool backupBeforeWrite();
    // With `OveritZapis` ticked and the write completed, the configuration read back and
    // compared with the page as written; Stopped when it differs or the read stopped.
    Outcome verifyAfterWrite(Outcome written);

    const std::vector<FieldDifference>& differences() const { return differences_; }
    // Moves each time a comparison has differences to show.
    int comparisons() const { return comparisons_; }

    // The application remembers the settings whenever one changes.
    std::function<void()> settingsChanged;
    // The time of the backups; tests set their own.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

private:
    void progress(int position);

    MainWindowModel& m_;
    std::vector<FieldDifference> differences_;
    int comparisons_ = 0;
};

}  // namespace veld::config
