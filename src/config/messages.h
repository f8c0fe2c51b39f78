#pragma once

// The texts the window's handlers show in message boxes and questions, each defined once. Texts
// with %1, %2, ... are completed with QString::arg where they are shown.

#include <QString>

namespace veld::config {

// Entries of the page "Konfigurace vstupu" as the user leaves them.
inline const QString kMsgNoSenseResistor = QStringLiteral("Není zadána hodnota snímacího odporu.");
inline const QString kMsgSenseResistorZero =
    QStringLiteral("Zadana hodnota snímacího odporu nesmí být 0.");
inline const QString kMsgBadSenseResistor =
    QStringLiteral("Špatně zadaná hodnota snímacího odporu.");
inline const QString kMsgBadLowerLimit = QStringLiteral("Špatně zadaná dolní mez.");
inline const QString kMsgBadUpperLimit = QStringLiteral("Špatně zadaná horní mez");
// Followed by the interval and the unit.
inline const QString kMsgLowerOutsideInterval =
    QStringLiteral("Dolní hodnota rozsahu musí být v intervalu ");
inline const QString kMsgUpperOutsideInterval =
    QStringLiteral("Horní hodnota rozsahu musí být v intervalu ");
inline const QString kMsgMinimumSpan = QStringLiteral("Povolené minimální rozpětí je ");
inline const QString kMsgBadNumber = QStringLiteral("Císlo je špatne definováno.");
inline const QString kMsgDampingRange = QStringLiteral("Tlumení musí být v rozsahu 0.3...30 s.");
inline const QString kMsgBadTotalResistance =
    QStringLiteral("Špatně zadaná hodnota celkového odporu potenciometru.");
inline const QString kMsgTotalResistanceRange =
    QStringLiteral("Hodnota celkového odporu potenciometru musí být v intervalu 0 až 4000 Ohm");
inline const QString kMsgMaxCurrentRange =
    QStringLiteral("Maximální hodnota proudu musí být v intervalu 0 až ");  // then the limit
inline const QString kMsgBadColdJunction =
    QStringLiteral("Špatně zadaná volba vzdálenosti studeného konce.");
inline const QString kMsgBadFaultCurrent = QStringLiteral("Špatně zadaná volba chybového proudu");
inline const QString kMsgBadConnection = QStringLiteral("špatně zadaný způsob připojení čidla");
inline const QString kMsgBadLinearization = QStringLiteral("špatně zadaný způsob linearizace");
inline const QString kMsgBadDivider = QStringLiteral("špatně zadaná hodnota dělícího poměru");

// The completeness check before a write.
inline const QString kMsgNoConnection = QStringLiteral("Není zadán způsob připojení čidla");
inline const QString kMsgNoMeasuringResistor =
    QStringLiteral("Není zadána hodnota měřicího odporu");
inline const QString kMsgNoLinearization = QStringLiteral("Není zadán způsob linearizace");
inline const QString kMsgNoRangeBegin = QStringLiteral("Není zadána dolní mez rozsahu");
inline const QString kMsgNoRangeEnd = QStringLiteral("Není zadána horní mez rozsahu");
inline const QString kMsgNoDamping = QStringLiteral("Není zadána časová konstanta tlumení");
inline const QString kMsgNoFaultCurrent = QStringLiteral("Není zadána volba chybového proudu");
inline const QString kMsgNoLinFile = QStringLiteral("Není vybrán soubor pro linearizaci.");
inline const QString kMsgNoUnit = QStringLiteral("Není zadaná jednotka.");
inline const QString kMsgNoPotentiometerTotal =
    QStringLiteral("Není zadán celkový odpor potenciometru.");
inline const QString kMsgNoResistorPairTotal =
    QStringLiteral("Není zadána hodnota maximálního odporu součtu měřených rezistorů.");
inline const QString kMsgNoVoltageTotal =
    QStringLiteral("Není zadána maximální hodnota měřených napětí.");
inline const QString kMsgNoCurrentTotal =
    QStringLiteral("Není zadána maximální hodnota měřených proudů.");

// The PV correction and the setting with a reference.
inline const QString kMsgBadCorrection =
    QStringLiteral("Špatně zadaná hodnota korekce měřeného odporu.");
inline const QString kMsgNoCorrection = QStringLiteral("Je nutno vyplnit hodnotu korekce PV.");
inline const QString kAskSetLowerLimit =
    QStringLiteral("Opravdu se má nastavit dolní mez převodníku?");
inline const QString kAskSetUpperLimit =
    QStringLiteral("Opravdu se má nastavit horní mez převodníku?");
inline const QString kMsgPvOutOfRange = QStringLiteral("Procesní hodnota je mimo povolený rozsah.");
inline const QString kMsgPvTooHigh = QStringLiteral("Procesní hodnota je příliž velká.");
inline const QString kMsgPvTooLow = QStringLiteral("Procesní hodnota je příliž malá.");
inline const QString kMsgSignalSpanTooSmall = QStringLiteral("Příliž malé rozpětí vst. signálu.");

// The linearization file and its dialog.
inline const QString kMsgBadPolynomialDegree = QStringLiteral("Špatně zadaný stupeň polynomu.");
inline const QString kMsgDegreeAbovePoints =
    QStringLiteral("Stupeň linearizačního polynomu nesmí být větší než počet bodů.");
inline const QString kMsgTooFewPoints =
    QStringLiteral("Minimální počet bodů pro linearizaci je 3.");
inline const QString kMsgTooManyPoints =
    QStringLiteral("Maximální počet bodů pro linearizaci je 100.");
inline const QString kMsgTooManySegmentPoints = QStringLiteral(
    "Maximální počet bodů pro linearizaci metodou proložení lineárními přímkami "
    "v zadaných bodech je 21.");
inline const QString kMsgDegreeRange = QStringLiteral("Stupeň polynomu musí být 2 až 8.");
inline const QString kMsgNoDeviation = QStringLiteral("Odchylku nelze spočítat.");

// Files.
inline const QString kMsgFileError = QStringLiteral("Chyba c. %1");  // %1 the system's error code
inline const QString kNotAFileReason = QStringLiteral("není to soubor");  // why a save failed

// The configuration file.
inline const QString kMsgFileDataError = QStringLiteral("Chyba v datech souboru.");
inline const QString kMsgControlCharacter =
    QStringLiteral("Údaj „%1“ obsahuje řídicí znak, který soubor neunese. Soubor nebyl uložen.");
inline const QString kMsgConfigUnencodable = QStringLiteral(
    "Znak „%1“ nelze uložit: konfigurační soubor zná jen znaky kódové stránky "
    "windows-1250. Soubor nebyl uložen.");
inline const QString kMsgNotAFileNothingSaved =
    QStringLiteral("„%1“ není soubor. Nic nebylo uloženo.");
inline const QString kMsgNotAFileNothingLoaded =
    QStringLiteral("„%1“ není soubor. Nic nebylo načteno.");
inline const QString kMsgConfigTooLarge = QStringLiteral(
    "Soubor „%1“ je větší než 1 MiB, konfigurační soubor to není. "
    "Nic nebylo načteno.");
inline const QString kMsgConfigLineTooLong = QStringLiteral(
    "Řádek %1 souboru „%2“ je delší než %3 znaků, konfigurační soubor to není. "
    "Nic nebylo načteno.");

// The analog output and the measurement.
inline const QString kMsgInputNotRead = QStringLiteral("Není přečtena konfigurace vstupu.");
inline const QString kMsgNoOutputBegin = QStringLiteral("Není vyplněno okno dolní meze výstupu.");
inline const QString kMsgNoOutputEnd = QStringLiteral("Není vyplněno okno horní meze výstupu.");
inline const QString kMsgBadOutputReply = QStringLiteral("Špatně načtená hodnota z převodníku.");
inline const QString kMsgBadPvReply = QStringLiteral("špatně načtená hodnota z převodníku");

// The limit comparators (%1 their number).
inline const QString kMsgNoSwitchOnLimit = QStringLiteral("Není zadána mez sepnutí komparátoru %1");
inline const QString kMsgNoSwitchOffLimit =
    QStringLiteral("Není zadána mez rozepnutí komparátoru %1");
inline const QString kMsgNoSwitchOnDelay =
    QStringLiteral("Není zadán čas zpoždění sepnutí komparátoru %1");
inline const QString kMsgNoSwitchOffDelay =
    QStringLiteral("Není zadán čas zpoždění rozepnutí komparátoru %1");
inline const QString kMsgNoRelayOutput =
    QStringLiteral("Připojený převodník neobsahuje spínací výstup %1");
inline const QString kAskWriteRelay = QStringLiteral("Opravdu se má zapsat konfigurace Relé %1?");
inline const QString kAskDisableComparator =
    QStringLiteral("Opravdu se má vypnout mezní komparátor %1?");
inline const QString kRestartNote =
    QStringLiteral(" Po potvrzení a zápisu nutno vypnout a zapnout napájení.");
inline const QString kMsgBadSwitchOnLimit =
    QStringLiteral("špatně zadaná mez sepnutí komparátoru %1");
inline const QString kMsgBadSwitchOffLimit =
    QStringLiteral("špatně zadaná mez rozepnutí komparátoru %1");
inline const QString kMsgEqualLimits =
    QStringLiteral("Meze sepnutí a rozepnutí komparátoru nesmí být zcela shodné");
inline const QString kMsgSwitchOnDelayRange =
    QStringLiteral("Povolená mez pro zpoždění sepnutí je 0 až 255 s");
inline const QString kMsgSwitchOffDelayRange =
    QStringLiteral("Povolená mez pro zpoždění rozepnutí je 0 až 255 s");
inline const QString kMsgBadSwitchOnDelay = QStringLiteral("špatně zadaná mez zpoždění sepnutí");
inline const QString kMsgBadSwitchOffDelay = QStringLiteral("špatně zadaná mez zpoždění rozepnutí");
inline const QString kMsgModeAfterRestart =
    QStringLiteral("Změna režimu se projeví až po restartu přístroje.");

// The user note.
inline const QString kMsgNoteUnencodable = QStringLiteral(
    "Znak „%1“ nelze do poznámky uložit: převodník zná jen znaky kódové stránky "
    "windows-1250. Poznámka nebyla uložena.");
inline const QString kMsgNoteTooLong = QStringLiteral(
    "Poznámka může mít nejvýše %1 znaků, zadaná jich má %2. Poznámka nebyla uložena.");

// The backup of the transmitter.
inline const QString kMsgBackupNotSaved = QStringLiteral("Záloha nebyla uložena.");
// The whole write.
inline const QString kAskWrite = QStringLiteral("Opravdu se má zapsat konfigurace ?");
inline const QString kMsgOverdriven = QStringLiteral("Přebuzen vstup");
inline const QString kMsgNotVeld = QStringLiteral("Typ převodníku není VELD.");
inline const QString kMsgNothingWritten = QStringLiteral(" Nic nebylo zapsáno.");
inline const QString kMsgNotAFile = QStringLiteral("„%1“ není soubor.");
inline const QString kMsgBackupCannotOpen = QStringLiteral("Zálohu „%1“ nelze otevřít: %2.");
inline const QString kMsgNotABackup = QStringLiteral("Soubor „%1“ není záloha převodníku VELD.");
inline const QString kMsgBackupOtherSignature =
    QStringLiteral("Záloha je z převodníku s podpisem %1, připojený převodník má %2.");
inline const QString kAskRestoreBackup =
    QStringLiteral("Opravdu se má do převodníku zapsat záloha z %1%2 ?");
inline const QString kMsgRestoreStopped =
    QStringLiteral("Obnova ze zálohy se zastavila %1. Zapsané oblasti: %2.");

// Files the user saves: the trend and the traffic record.
inline const QString kMsgTrendNotSaved = QStringLiteral(
    "Soubor „%1“ se nepodařilo uložit: %2\nPřípadný dřívější obsah souboru zůstal beze změny.");
inline const QString kMsgTrafficNotSaved = QStringLiteral(
    "Záznam „%1“ se nepodařilo uložit: %2\nPřípadný dřívější obsah souboru zůstal beze změny.");

}  // namespace veld::config
