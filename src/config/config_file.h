#pragma once

#include "config/input_state.h"
#include "config/outcome.h"

#include <QString>
#include <QStringList>
#include <optional>

// The configuration text file: the input page saved as lines of "key: value" in windows-1250,
// ended by CR LF, and loaded back as if the user had chosen and typed every value.
namespace veld::config {

class InputRules;
class EntryChecks;
class Calibration;

class ConfigFile {
public:
    // A configuration file is a dozen short lines; anything far larger is not one.
    static constexpr qint64 kMaxFileBytes = 1 << 20;
    static constexpr int kMaxLineLength = 1024;

    ConfigFile(Editor& editor, InputRules& rules, EntryChecks& checks, Calibration& calibration);

    // `Ulosoub`: completeness check, the save dialog, then save().
    Outcome UlosoubClick();
    // `ctisoub`: the open dialog, then load().
    Outcome ctisoubClick();

    // The lines the file holds for the page as it stands (no completeness check), numbers with a
    // full stop.
    QStringList Lines() const;
    // Writes Lines() to the file: all or nothing, an existing file is replaced only once the new
    // one is complete. A text the code page cannot hold, and a name that is no regular file, are
    // refused before anything is written.
    Outcome save(const QString& path);
    // Reads the whole file and checks every line before it applies any; a malformed file
    // changes nothing.
    Outcome load(const QString& path);

private:
    struct Configuration;
    struct Parsed;
    Parsed parse(const QString& text) const;
    void apply(const Configuration& c);

    Editor& e_;
    InputRules& rules_;
    EntryChecks& checks_;
    Calibration& calibration_;
};

// The number in `text` (full stop, optional exponent) cut toward zero to `decimals` decimals in
// its decimal form, so that "0.7" stays 0.7; std::nullopt for anything else and for numbers a
// single cannot hold.
std::optional<long double> CutDecimalText(const QString& text, int decimals);

}  // namespace veld::config
