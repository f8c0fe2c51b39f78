#pragma once

#include "config/input_state.h"

namespace veld::model {
struct InputTypeInfo;
}

// The rules that tie the input controls to the chosen input type.
namespace veld::config {

class LinFileChoice;

class InputRules {
public:
    InputRules(Editor& editor, LinFileChoice& linFile) : e_(editor), linFile_(linFile) {}

    // Change of `Vstup`: resets the dependent controls and sets them up for the type.
    void VstupChange();
    // Unit of the selected type into the unit labels, `VolenaJednotka` and `UnitCode`.
    void PrepJednotek();
    // Change of `PripCidl`: first-letter shortcut, then the check of the connection.
    void PripCidlChange();
    // Change of `Linearizace`; "ze souboru" lets the user choose the point file.
    void LinearizaceChange();
    // Change of `VolenaJednotka`: first-character shortcut, unit code and labels.
    void VolenaJednotkaChange();
    // Changes of `SnOdpor` and `DelPomer` (also when code sets them).
    void SnOdporChange();
    void DelPomerChange();

    // The accepted type shown in `Vstup`, or nullptr.
    const model::InputTypeInfo* currentType() const;

private:
    void setUnitLabels(const QString& unit);
    void setFixedUnifiedRange(const model::InputTypeInfo& type);

    Editor& e_;
    LinFileChoice& linFile_;
};

}  // namespace veld::config
