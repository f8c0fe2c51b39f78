#include "config/backup_page.h"

#include "config/main_window_model.h"
#include "config/transmitter_backup.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace veld::config {
namespace {

const QString kBackupFilter = u"*.txt|*.txt|*.*|*.*"_s;

}  // namespace

void BackupPage::progress(int position) {
    m_.form.Prenos.position = position;
    m_.notifyChanged();
}

Outcome BackupPage::ZalohovatClick() {
    const auto path = m_.prompts().saveFile({u"Záloha převodníku"_s, kBackupFilter, {}, u"txt"_s});
    if (!path)
        return Outcome::Stopped;
    TransmitterBackup backup(m_.device(), m_.prompts());
    backup.now = now;
    backup.progress = [this](int p) { progress(p); };
    progress(0);
    const Outcome saved = backup.save(*path);
    if (saved == Outcome::Completed)
        m_.prompts().message(
            u"Záloha převodníku je uložena v „%1“."_s.arg(QDir::toNativeSeparators(*path)));
    return saved;
}

Outcome BackupPage::ObnovitClick() {
    const auto path = m_.prompts().openFile({u"Obnova ze zálohy"_s, kBackupFilter, {}, {}});
    if (!path)
        return Outcome::Stopped;
    TransmitterBackup backup(m_.device(), m_.prompts());
    backup.progress = [this](int p) { progress(p); };
    progress(0);
    const Outcome restored = backup.restore(*path);
    if (restored == Outcome::Completed)
        m_.prompts().message(u"Záloha je zapsána do převodníku."_s);
    return restored;
}

Outcome BackupPage::PorovnatClick() {
    const Outcome loaded = m_.configFile().ctisoubClick();
    if (loaded != Outcome::Completed)
        return loaded;
    const auto differences = ReadAndCompare(m_, m_.configFile().Lines());
    if (!differences)
        return Outcome::Stopped;
    if (differences->empty()) {
        m_.prompts().message(u"Konfigurace v převodníku se shoduje se souborem."_s);
        return Outcome::Completed;
    }
    differences_ = *differences;
    ++comparisons_;
    return Outcome::Completed;
}

void BackupPage::VybratSlozkuClick() {
    FileDialogRequest request{u"Složka záloh"_s, {}, m_.form.SlozkaZaloh.text(), {}};
    request.folder = true;
    const auto folder = m_.prompts().openFile(request);
    if (!folder)
        return;
    m_.form.SlozkaZaloh.setText(QDir::cleanPath(*folder));
    settingClicked();
}

void BackupPage::settingClicked() {
    if (settingsChanged)
        settingsChanged();
}

bool BackupPage::backupBeforeWrite() {
    const MainForm& f = m_.form;
    if (!f.ZalohaPredZapisem.checked)
        return true;
    const QString notWritten = u"Konfigurace nebyla zapsána: záloha před zápisem se nezdařila."_s;
    if (f.SlozkaZaloh.isEmpty()) {
        m_.prompts().message(u"Není zvolena složka záloh. "_s + notWritten);
        return false;
    }
    if (!QDir(f.SlozkaZaloh.text()).exists()) {
        m_.prompts().message(u"Složka záloh „%1“ neexistuje. "_s.arg(
                                 QDir::toNativeSeparators(f.SlozkaZaloh.text())) +
                             notWritten);
        return false;
    }
    TransmitterBackup backup(m_.device(), m_.prompts());
    backup.now = now;
    if (!backup.saveInto(f.SlozkaZaloh.text())) {
        m_.prompts().message(notWritten);
        return false;
    }
    return true;
}

Outcome BackupPage::verifyAfterWrite(Outcome written) {
    if (written != Outcome::Completed || !m_.form.OveritZapis.checked)
        return written;
    // The page as written, against the page as read back.
    const auto differences = ReadAndCompare(m_, m_.configFile().Lines());
    if (!differences) {
        m_.prompts().message(u"Čtení po zápisu se zastavilo: zápis není ověřen."_s);
        return Outcome::Stopped;
    }
    if (differences->empty()) {
        m_.prompts().message(u"Zápis je ověřen: převodník vrátil zapsanou konfiguraci."_s);
        return Outcome::Completed;
    }
    m_.prompts().message(
        u"Ověření zápisu: převodník vrátil jinou konfiguraci, než byla zapsána "
        u"(položka: převodník → zapsáno):\n"_s +
        DifferenceLines(*differences).join(u'\n'));
    return Outcome::Stopped;
}

}  // namespace veld::config
