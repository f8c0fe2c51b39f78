#pragma once

#include "config/handler_support.h"
#include "config/outcome.h"
#include "config/write_planner.h"
#include "lin/segment_image.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// Writing the whole input configuration ("&Uložit vše do převodníku").
namespace veld::config {

class MainWindowModel;

// The entry checks run on the page as it stands. Then the write copies the page (the record, the
// state beside the controls, the point store and the texts it needs), the planner derives the
// steps from that copy, and a short loop sends them: what the user types while a transaction
// waits changes nothing that is written. The transactions follow in their fixed order, bracketed
// by "Stop", "Reset" and "Continue"; `Prenos` shows each stage.
class WriteAll {
public:
    explicit WriteAll(MainWindowModel& model);
    WriteAll(const WriteAll&) = delete;
    WriteAll& operator=(const WriteAll&) = delete;

    // `Poslat`. Completed when the transmitter has confirmed "Continue" at the end; Declined when
    // the user answered No; Stopped otherwise, also for the first press with "ze souboru" after
    // a read, which only lets the user choose the point file.
    Outcome PoslatClick();

    // The entry checks and the plan of the page as it stands, as `Poslat` would send it; nothing
    // when the checks refused the page (their messages have been shown) or, with "ze souboru"
    // after a read, the point file is chosen first.
    std::optional<WriteAllPlan> plan();

    // Why the last write stopped, when the transmitter's answer was at fault.
    const std::optional<link::AccessFailure>& lastFailure() const { return failure_.last(); }

    // The segment table as last prepared or built; the program keeps it from write to write.
    const lin::SegmentImage& segmentImage() const { return planner_.segmentImage(); }

private:
    bool entriesAccepted();
    WriteSnapshot snapshot() const;
    // Sends the plan; stops where a check fails.
    Outcome send(const WriteAllPlan& plan);
    // One step; the outcome when the write ends there.
    std::optional<Outcome> perform(const WriteAllPlan& plan, const WriteStep& step);
    template <class R>
    std::optional<Outcome> transacted(const R& result, const WriteStep& step);
    void publish(const WriteAllPlan& plan);
    void message(const QString& text);

    MainWindowModel& m_;
    Progress progress_;
    FailureRecord failure_;
    bool failedSinceCheck_ = false;
    std::vector<std::uint8_t> reply_;  // of the last read
    WritePlanner planner_;
};

}  // namespace veld::config
