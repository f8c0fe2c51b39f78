#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// Comparing two configurations field by field, each as the lines of a configuration file.
namespace veld::config {

class MainWindowModel;

struct FieldDifference {
    QString field;        // the file's name of it: "vstup", "dolní mez", "tlumení", ...
    QString transmitter;  // empty when that side has no such field
    QString file;

    bool operator==(const FieldDifference&) const = default;
};

// The fields of `transmitter` and `file` (lines "name: value" as ConfigFile::Lines() gives them)
// that differ, in the order of `file`, then those only the transmitter has. Numbers are equal when
// they are equal in single precision, as the transmitter stores them ("400.7" and "400.7000122";
// "1.0s" and "1s" for the damping). The totals of the difference inputs are not kept in the
// transmitter and are left out.
std::vector<FieldDifference> CompareConfigurations(const QStringList& transmitter,
                                                   const QStringList& file);

// The whole read, then the comparison of what it shows with `expected`; nothing when the read
// stopped (it has said why).
std::optional<std::vector<FieldDifference>> ReadAndCompare(MainWindowModel& model,
                                                           const QStringList& expected);

// "field: transmitter → file", one line each.
QStringList DifferenceLines(const std::vector<FieldDifference>& differences);

}  // namespace veld::config
