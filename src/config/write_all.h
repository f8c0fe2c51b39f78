#pragma once

#include "config/handler_support.h"
#include "config/input_state.h"
#include "config/outcome.h"
#include "lin/lin_math.h"
#include "lin/messages.h"
#include "lin/point_file.h"
#include "lin/segment_image.h"
#include "model/hw_presets.h"
#include "model/transmitter_config.h"
#include "model/write_plan.h"

#include <QString>
#include <optional>

namespace veld::model {
struct InputTypeInfo;
}

// Writing the whole input configuration ("&Uložit vše do převodníku").
namespace veld::config {

class MainWindowModel;

// The entry checks run on the page as it stands. Then the write copies the page (the record, the
// state beside the controls, the point store and the texts it needs) and derives everything it
// sends from that copy: what the user types while a transaction waits changes nothing that is
// written. The transactions follow in their fixed order, bracketed by "Stop", "Reset" and
// "Continue"; `Prenos` shows each stage.
class WriteAll {
public:
    explicit WriteAll(MainWindowModel& model);
    WriteAll(const WriteAll&) = delete;
    WriteAll& operator=(const WriteAll&) = delete;

    // `Poslat`. Completed when the transmitter has confirmed "Continue" at the end; Declined when
    // the user answered No; Stopped otherwise, also for the first press with "ze souboru" after
    // a read, which only lets the user choose the point file.
    Outcome PoslatClick();

    // Why the last write stopped, when the transmitter's answer was at fault.
    const std::optional<link::AccessFailure>& lastFailure() const { return failure_.last(); }

    // The segment table as last prepared or built; the program keeps it from write to write.
    const lin::SegmentImage& segmentImage() const { return SegmentImage_; }

private:
    enum class Lin { BuiltIn, None, FromFile, SquareRoot };

    // What the write takes from the page besides the record and the point store.
    struct Page {
        const model::InputTypeInfo* type = nullptr;
        Lin lin = Lin::None;
        bool fourWire = false;
        bool polynomial = false;  // "ze souboru" with the first method of the dialog
        bool precise = false;     // "Přesná linearizace" ticked
        // Sensor matching: the table's characteristic, nothing else.
        std::optional<lin::PlatinumCoefficients> platinum;
        QString chybproud;
        QString pripCidl;
        QString korekcePV;
        InputState state;
    };

    class MathMessages final : public lin::LinMessages {
    public:
        explicit MathMessages(MainWindowModel& model) : m_(model) {}
        void message(const std::string& text) override;

    private:
        MainWindowModel& m_;
    };

    // The entry checks and the copy of the page.
    bool entriesAccepted();
    bool takePage();
    // Curve codes, the largest signal of the range and the hardware code.
    bool chooseHardware();
    // Internal unit, internal range and input limits.
    void internalRange();
    void zadHodPuvodni();
    void zadHodPrepoc();
    void setInternalRange(long double lo, long double hi, float begin, float end);
    float ZPPrepoc(long double value);
    // After the firmware number: the spline, the polynomial or the straight segments.
    bool buildLinearization();
    // The transactions, from "Stop" to "Continue".
    Outcome writeConfiguration();
    bool ZapisKonfigurace();
    bool writeSegmentImage();
    void writeCorrection();
    std::optional<float> gainSlot() const;
    void publish();

    // One "WriteEEPROM"; a failure is remembered until the next check of the sequence.
    bool send(const model::EepromWrite& write);
    // Each request only while the ones before succeeded.
    bool sendAll(const model::WritePlan& plan);
    template <class R>
    bool sent(const R& result);
    // A check of the sequence: false when a transaction failed since the last check.
    bool check();
    void message(const QString& text);

    MainWindowModel& m_;
    Progress progress_;
    FailureRecord failure_;
    bool failedSinceCheck_ = false;

    // The write's copy of the page and what it derives from it.
    Page page_;
    model::TransmitterConfig rec_;
    lin::PointStore points_;
    MathMessages mathMessages_;
    lin::LinMath math_;
    long double SignalMax_ = 0;
    bool RangeReversed_ = false;
    model::WritePlan outputFlags_;
    model::WritePlan polynomial_;

    // Program-wide, as the transmitter's table of it: kept from write to write.
    model::HwPreset HwPreset_{};
    lin::SegmentImage SegmentImage_{};
};

}  // namespace veld::config
