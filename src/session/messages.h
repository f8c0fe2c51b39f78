#pragma once

// The texts the session shows: the settings it cannot use, the search for the transmitter.
// Texts with %1 are completed with QString::arg where they are shown.

#include <QString>

namespace veld::session {

inline const QString kMsgSettingsUnusable = QStringLiteral(
    "Nastavení nelze použít: „%1“ není soubor. Program pracuje s výchozím "
    "nastavením a žádné neukládá.");

// The search for the transmitter: its headline, then what each port tried said.
inline const QString kMsgFoundOnPort = QStringLiteral("Převodník nalezen na portu %1.");
inline const QString kMsgNoPortListed =
    QStringLiteral("Převodník nebyl nalezen: systém neuvádí žádný sériový port.");
inline const QString kMsgNotFound = QStringLiteral("Převodník nebyl nalezen na žádném portu.");
inline const QString kTrialUnintelligible = QStringLiteral("nesrozumitelná odpověď (%1)");
inline const QString kTrialCannotOpen = QStringLiteral("nelze otevřít");
inline const QString kTrialNoAnswer = QStringLiteral("neodpovídá");
inline const QString kTrialPortError = QStringLiteral("chyba portu");
inline const QString kTrialOtherDevice = QStringLiteral("odpovídá jiný přístroj (%1)");
inline const QString kTrialFound = QStringLiteral("převodník odpovídá");

}  // namespace veld::session
