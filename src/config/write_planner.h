#pragma once

#include "config/input_state.h"
#include "config/messages.h"
#include "lin/functions.h"
#include "lin/lin_math.h"
#include "lin/messages.h"
#include "lin/point_file.h"
#include "lin/segment_image.h"
#include "model/transmitter_config.h"

#include <QString>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

// The whole write as data. The planner turns a copy of the page into the record and the ordered
// steps of the write (transactions, the checks between them, `Prenos`, messages); WriteAll sends
// the steps and stops where a check fails.
namespace veld::config {

// What the write takes from the page and the settings once the entry checks passed: what the
// user types while a transaction waits changes nothing that is written.
struct WriteSnapshot {
    QString inputType;        // `Vstup`
    QString linearization;    // `Linearizace`
    QString wiring;           // `PripCidl`
    QString faultCurrent;     // `Chybproud`
    QString correction;       // `korekcePV`
    bool polynomial = false;  // "ze souboru" with the first method of the dialog
    bool precise = false;     // "Přesná linearizace" ticked
    // Sensor matching: the table's characteristic, nothing else.
    std::optional<lin::PlatinumCoefficients> platinum;
    DecimalSeparator separator = DecimalSeparator::Point;
    InputState state;
    model::TransmitterConfig record;
    lin::PointStore points;
};

// One step of the write, in the order the sender takes them.
struct WriteStep {
    enum class Kind : std::uint8_t {
        // Transactions. A failure is remembered until the next Check, or ends the write at once
        // with `stopOnFailure`.
        Read,     // "ReadEEPROM" of `length` bytes at `address`; the steps after it see the reply
        Write,    // "WriteEEPROM" of `data` at `address`, then `pauseAfter`
        Command,  // `command` without data
        Correction,  // the correction button's own save of `text`; `data` is what it sends
        // The sequence.
        Check,     // stops when a transaction failed since the last check
        Progress,  // `Prenos` to `value`
        Message,   // `text`
        Question,  // `text`; No ends the write as Declined
        Stop,      // the write ends here as Stopped
        // Steps that take the reply of the read before them (ResolveStep).
        Signature,      // a transmitter of another type stops the write
        ModeFlags,      // the flags read back, bits 2 and 3 set (`value` 1) or cleared
        OutputScaling,  // from the factory constants
        // What the program learns at this point of the write.
        Firmware,         // the firmware number read
        Keep,             // the tables `tables[value]` are kept for the next write
        Publish,          // the derived part of the record
        ModeFlagsKnown,   // the mode flags written are `value`
        DisplayDecimals,  // the unified signal's decimals are `value`
        SignalRange,      // the range's ends become the signal's
        RangeExits,       // the range's entry checks run again on the page
        NoteDone,         // the note's progress is no longer shown
        Completed,        // the measurement buttons are enabled
    };
    Kind kind = Kind::Check;
    std::string_view command;
    std::uint16_t address = 0;
    std::uint8_t length = 0;
    std::vector<std::uint8_t> data;
    std::chrono::milliseconds pauseAfter{0};
    bool stopOnFailure = false;
    int value = 0;
    QString text;
};

// What the program keeps from write to write, as it stands at a point of the write: the write's
// mathematics (a square-root write sends the spline last built) and the segment table.
struct WriteTables {
    lin::LinMath math;
    lin::SegmentImage image;
};

struct WriteAllPlan {
    model::TransmitterConfig record;  // as written; the mode flags as the page held them
    long double curveRangeLo = 0;     // the characteristic's range, published with the record
    long double curveRangeHi = 0;
    std::vector<WriteStep> steps;
    std::vector<WriteTables> tables;
};

// The steps a reply-dependent step stands for, given the reply of the read before it.
std::vector<WriteStep> ResolveStep(const WriteAllPlan& plan, const WriteStep& step,
                                   std::span<const std::uint8_t> reply);

class WritePlanner {
public:
    WritePlanner();
    WritePlanner(const WritePlanner&) = delete;
    WritePlanner& operator=(const WritePlanner&) = delete;

    // Changes nothing the planner keeps but its copy of the points: the sender keeps the tables
    // at the plan's Keep steps, so a write that stops early leaves the tables as it left them.
    WriteAllPlan plan(const WriteSnapshot& page);
    void keep(const WriteTables& tables);

    const lin::SegmentImage& segmentImage() const { return image_; }

private:
    class Sink final : public lin::LinMessages {
    public:
        void message(const std::string& text) override;
        std::vector<WriteStep>* steps = nullptr;
    };

    Sink sink_;
    lin::PointStore points_;
    std::optional<lin::LinMath> math_;
    lin::SegmentImage image_{};
};

}  // namespace veld::config
