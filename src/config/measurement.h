#pragma once

#include "config/handler_support.h"
#include "config/outcome.h"
#include "config/trend.h"

#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

// The page "Měření": the primary variable read with "ReadPV", once per click or continuously
// on the 1.5 s tick of `Timer3`, with the request and the reply shown in hexadecimal. Each
// continuous measurement also goes into the trend the page draws.
//
// Continuous measurement does not hold the click handler: Start makes the first measurement at
// once and returns; the ticks come from the clock (the window's event loop, or virtual time in
// tests). A tick measures when no measurement runs; one that comes while a measurement runs is
// lost. A tick that comes while another operation of the window runs (its transactions, its
// questions) waits until that has ended, so no measurement slips in between its steps. Stop
// ends continuous measurement after the measurement that runs.
namespace veld::config {

class MainWindowModel;

class Measurement {
public:
    static constexpr std::chrono::milliseconds kTickInterval{1500};  // `Timer3`
    // How often a tick that found another operation running looks again.
    static constexpr std::chrono::milliseconds kRetryInterval{50};

    explicit Measurement(MainWindowModel& model);
    ~Measurement();
    Measurement(const Measurement&) = delete;
    Measurement& operator=(const Measurement&) = delete;

    // One measurement (`ButMeasPV`, "Změřit"). Completed when a value is shown.
    Outcome ButMeasPVClick();
    // Continuous measurement (`Start_Mer`, "Start měření"): the trend starts afresh and the first
    // measurement runs at once; the outcome is that of the first measurement.
    Outcome Start_MerClick();
    // `Stop_mer`: the stop request.
    void Stop_merClick();
    // The tick of `Timer3`: a measurement is due.
    void Timer3Timer();

    bool continuousRunning() const { return running_; }
    // The value of the last measurement as the transmitter sent it; nothing when it failed.
    std::optional<float> lastValue() const { return lastValue_; }
    const Trend& trend() const { return trend_; }
    // Why the last measurement failed, when the transmitter's answer was at fault.
    const std::optional<link::AccessFailure>& lastFailure() const { return failure_.last(); }

    // Two upper-case hexadecimal digits, high nibble first.
    static QString ByteToHex(std::uint8_t b);
    // Each byte as ByteToHex followed by one blank ("FF 82 ").
    static QString HexBytes(std::span<const std::uint8_t> bytes);
    // Decimals of the shown value: 6 for voltages and for thermocouples that are not
    // "linearizováno", 3 otherwise.
    static int Decimals(const QString& inputType, const QString& linearization);
    // The value as shown: fixed point with the given decimals and a full stop; empty when it
    // cannot be shown.
    static QString FormatValue(float value, int decimals);

private:
    // One measurement as `ButMeasPVClick` makes it; the value shown, or nothing.
    std::optional<float> measure();
    std::optional<float> measureOnce();
    // A continuous measurement: measure, feed the trend, end when Stop came meanwhile.
    void measureContinuous();
    void scheduleTick();
    void scheduleRetry();
    // Runs a due measurement when nothing else runs.
    void serve();
    void finish();
    bool otherOperationRunning() const;

    MainWindowModel& m_;
    Trend trend_;
    FailureRecord failure_;
    std::optional<float> lastValue_;
    bool stopRequest_ = false;
    bool measurementDue_ = false;
    bool running_ = false;
    bool measuring_ = false;
    bool retryPending_ = false;
    // Changes when continuous measurement starts or ends: ticks of an earlier run do nothing.
    std::uint64_t run_ = 0;
    // Scheduled ticks hold a weak reference: a tick after this object has gone does nothing.
    std::shared_ptr<Measurement*> self_;
};

}  // namespace veld::config
