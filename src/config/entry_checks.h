#pragma once

#include "config/input_state.h"

#include <functional>

namespace veld::config {

// Evaluates the built-in characteristic of a curve code at x (temperature to signal). The
// mathematics shows its own message for a code it does not know.
using CharacteristicFn = std::function<long double(int curve, long double x)>;

// The checks that run when the user leaves an entry of the input page, and the completeness
// check before a write. They show their message, put the focus back and leave flags in
// `InputState` for the write operations.
class EntryChecks {
public:
    explicit EntryChecks(Editor& editor) : e_(editor) {}

    // The decimal-separator rule for every numeric entry.
    QString UpravaFormatu(const QString& text);

    void TestMez();
    void TestMez1();
    void TestRozpeti();

    void PocatekExit();
    void KonecExit();
    void TlumeniExit();
    void SnOdporExit();
    void DelPomerExit();
    void CelkovyOdporExit();
    void VzdStKonExit();
    void ChybproudExit();
    void Testvyplneni();

    // The electrical value of the sensor `SensorCurve` at x, from its built-in characteristic.
    float ZPPrepoc(long double x);
    void setCharacteristic(CharacteristicFn fn) { characteristic_ = std::move(fn); }

    // The damping filter coefficient for a time constant in seconds, limited to 0.002..1.0.
    static float DampingCoefficient(long double seconds);

private:
    enum class End { Begin, End };
    void rangeExit(End end);
    bool fromFile() const;

    Editor& e_;
    CharacteristicFn characteristic_;
};

}  // namespace veld::config
