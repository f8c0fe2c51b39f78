#pragma once

#include "config/handler_support.h"
#include "config/outcome.h"

#include <QString>
#include <array>
#include <cstdint>

// The four limit comparators of the page "Relé": reading and writing each one, the checks of
// its edits and the two confirmations. Each comparator is read and written on its own; none
// takes part in the whole read or write or in the configuration file.
namespace veld::config {

class MainWindowModel;
struct ComparatorGroup;

class Comparators {
public:
    static constexpr int kCount = 4;

    // What the program holds of comparator k; the exit checks keep it in step with the edits
    // and the write sends it.
    struct Values {
        long double SwitchOnLimit = 0;
        long double SwitchOffLimit = 0;
        long double SwitchOnDelay = 0;  // seconds; as typed, the write sends the whole part
        long double SwitchOffDelay = 0;
    };

    explicit Comparators(MainWindowModel& model) : m_(model) {}

    // k = 1..4 throughout; another k does nothing (and reports Stopped).
    Outcome PreckompClick(int k);
    Outcome UlozkompClick(int k);
    void EMezsepExit(int k);
    void EMezrozExit(int k);
    // Comparator 2 names its delay edits `Ezposep2` and `Ezporoz2`.
    void EZpoSepExit(int k);
    void EZpoRozExit(int k);
    void RezimReleChange(int k);

    const Values& values(int k) const { return values_.at(static_cast<std::size_t>(k - 1)); }
    // Why the last read or write stopped, when the transmitter's answer was at fault.
    const std::optional<link::AccessFailure>& lastFailure() const { return failure_.last(); }

    // The presence bit of switching output k in the two bytes read at 1120 (`ModeFlags` bit 7
    // for output 1, the equipment byte's bits 0..2 for outputs 2..4).
    static bool OutputPresent(int k, std::uint8_t modeFlags, std::uint8_t equipment);
    // The mode byte written back: bit 0 set, bit 1 for "OKNO", the transmitter's bits as read.
    static std::uint8_t EnabledMode(std::uint8_t read, const QString& mode);

private:
    enum class Limit { On, Off };
    enum class Delay { On, Off };
    void limitExit(int k, Limit which);
    void delayExit(int k, Delay which);
    // The delay message of the exit check when the value lies outside 0..255, else empty.
    static QString delayRangeMessage(long double seconds, Delay which);
    Outcome enable(int k, ComparatorGroup& g);
    Outcome disable(int k);
    void progress(int position);
    template <class R>
    bool failed(const R& result);
    Values& valuesOf(int k) { return values_.at(static_cast<std::size_t>(k - 1)); }

    MainWindowModel& m_;
    std::array<Values, kCount> values_{};
    FailureRecord failure_;
};

}  // namespace veld::config
