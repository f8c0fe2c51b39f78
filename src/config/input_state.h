#pragma once

#include "common/prompts.h"
#include "config/number_format.h"
#include "lin/functions.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace veld::lin {
struct PointStore;
}
namespace veld::model {
struct TransmitterConfig;
}

namespace veld::config {

struct MainForm;
struct LinDialogForm;

// Values of the input page that live beside the controls: those the type rules set and those
// the entry checks leave for the write operations to test.
struct InputState {
    // Set when the input type is chosen.
    float SignalLow = 0;  // electrical scale of a unified-signal type
    float SignalHigh = 0;
    float SignalOffset = 0;
    float SignalSpan = 0;
    QString InputTypeText;       // text of the last accepted input type
    bool LinFileChosen = false;  // "ze souboru" was chosen since the last read-all
    // Sensor matching on: the coefficients accepted in "Přizpůsobení čidlu" (SensorMatch).
    std::optional<lin::PlatinumCoefficients> MatchedPlatinum;

    // Left by the entry checks.
    long double AllowedLow = 0;
    long double AllowedHigh = 0;
    QString UnitText;  // unit in the range messages
    long double MinSpan = 0;
    bool BeginOutOfRange = false;
    bool EndOutOfRange = false;
    bool SpanTooSmall = false;
    std::uint8_t BeginDecimals = 0;  // decimal-place class of a unified-signal range
    std::uint8_t EndDecimals = 0;
    float DampingCoefficient = 0;
    bool DampingRefused = false;  // `Tlumeni` is no number or outside 0.3..30 s
    bool IncompleteInput = false;
};

// What the model takes from its surroundings; the defaults are the system's.
struct ModelSettings {
    DecimalSeparator decimalSeparator = SystemDecimalSeparator();
    // Whether a folder exists; default QDir::exists.
    std::function<bool(const QString&)> directoryExists;
    // Used when a profile's folder does not exist; default the user's documents folder, or the
    // home folder where there is none.
    QString documentsDirectory;
};

// The pieces one handler group works on, all owned by the window model.
struct Editor {
    MainForm& form;
    LinDialogForm& dialog;
    model::TransmitterConfig& config;
    InputState& state;
    lin::PointStore& points;
    Prompts& prompts;
    const ModelSettings& settings;
};

}  // namespace veld::config
