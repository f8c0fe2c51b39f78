#pragma once

// The Czech texts the command line writes to standard error itself (the window's messages come
// through the prompts). Texts with %1, %2 are completed with QString::arg where they are written.

#include <QString>
#include <string_view>

namespace veld::cli {

inline constexpr std::string_view kMsgOutputLost =
    "Výstup se nepodařilo zapsat (plný disk nebo zavřený standardní výstup).";
inline constexpr std::string_view kMsgNoSerialPort = "Systém neuvádí žádný sériový port.";
inline const QString kMsgNoInputConfiguration = QStringLiteral(
    "Převodník nemá platnou konfiguraci vstupu: kód typu vstupu %1 není z rozsahu "
    "1..24.");
inline constexpr std::string_view kMsgFileNotSaved = " Soubor nebyl uložen.";
inline constexpr std::string_view kMsgCalibrationUnavailable =
    " Nastavení s referencí není dostupné.";
inline const QString kMsgCalibrationNotOffered =
    QStringLiteral("Nastavení s referencí není u této konfigurace (%1) dostupné.");
inline constexpr std::string_view kMsgFileValueRefused =
    "Hodnotu ze souboru kontrola odmítla (viz výše); do převodníku se nic nezapsalo.";
inline constexpr std::string_view kVerificationLine = "Ověření: ";  // then a difference

// The traffic record (--trace-file).
inline const QString kMsgTraceCannotOpen =
    QStringLiteral("Záznam provozu „%1“ nelze otevřít: %2. Nic nebylo odesláno.");
inline const QString kMsgTraceWriteFailed = QStringLiteral(
    "Do záznamu provozu „%1“ se nepodařilo zapsat (%2); další transakce v něm "
    "chybí.");

// An interruption by a signal: "Přerušeno signálem SIGINT. Převodník potvrdil přenosů: 3
// (naposledy WriteEEPROM na adresu 400), průběh 20 %; další přenos už nebyl odeslán."
inline constexpr std::string_view kMsgInterruptedBy = "Přerušeno signálem ";
inline constexpr std::string_view kMsgConfirmedTransfers = ". Převodník potvrdil přenosů: ";
inline constexpr std::string_view kMsgLastTransfer = " (naposledy ";
inline constexpr std::string_view kMsgAtAddress = " na adresu ";
inline constexpr std::string_view kMsgProgress = ", průběh ";
inline constexpr std::string_view kMsgNotSentFurther = "; další přenos už nebyl odeslán";
inline constexpr std::string_view kMsgLeftStopped =
    "Převodník zůstal zastavený: po příkazu Stop nedostal Reset ani Continue a jeho konfigurace "
    "je zapsána jen zčásti. Zapište ji znovu celou.";

}  // namespace veld::cli
