#include "config/config_compare.h"

#include "config/main_window_model.h"

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace veld::config {
namespace {

// Fields the transmitter does not keep: a read leaves them empty or as they were.
bool NotKept(const QString& field) {
    return field.startsWith(u"max. hodnota"_s) || field == u"maximální hodnota proudu"_s ||
           field.startsWith(u"čidlo "_s);  // sensor matching: the table only
}

std::vector<std::pair<QString, QString>> Fields(const QStringList& lines) {
    std::vector<std::pair<QString, QString>> fields;
    for (const QString& line : lines) {
        const qsizetype colon = line.indexOf(u": "_s);
        if (colon <= 0 || line.endsWith(u':'))  // the header "Konfigurační data pro ...:"
            continue;
        const QString field = line.left(colon);
        if (!NotKept(field))
            fields.emplace_back(field, line.mid(colon + 2).trimmed());
    }
    return fields;
}

std::optional<float> Single(QString text, const QString& field) {
    if (field == u"tlumení"_s && text.endsWith(u's'))
        text.chop(1);
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return static_cast<float>(value);
}

bool Same(const QString& field, const QString& a, const QString& b) {
    if (a == b)
        return true;
    const auto x = Single(a, field);
    const auto y = Single(b, field);
    return x && y && *x == *y;
}

}  // namespace

std::vector<FieldDifference> CompareConfigurations(const QStringList& transmitter,
                                                   const QStringList& file) {
    const auto read = Fields(transmitter);
    const auto wanted = Fields(file);
    const auto find = [](const auto& fields, const QString& field) -> const QString* {
        for (const auto& [name, value] : fields)
            if (name == field)
                return &value;
        return nullptr;
    };
    std::vector<FieldDifference> differences;
    for (const auto& [field, value] : wanted) {
        const QString* other = find(read, field);
        if (!other || !Same(field, *other, value))
            differences.push_back({field, other ? *other : QString(), value});
    }
    for (const auto& [field, value] : read)
        if (!find(wanted, field))
            differences.push_back({field, value, QString()});
    return differences;
}

std::optional<std::vector<FieldDifference>> ReadAndCompare(MainWindowModel& model,
                                                           const QStringList& expected) {
    const Outcome read = model.readAll().PrecistClick();
    model.notifyChanged();
    if (read != Outcome::Completed)
        return std::nullopt;
    return CompareConfigurations(model.configFile().Lines(), expected);
}

QStringList DifferenceLines(const std::vector<FieldDifference>& differences) {
    QStringList lines;
    for (const FieldDifference& d : differences)
        lines.append(u"%1: %2 → %3"_s.arg(d.field, d.transmitter, d.file));
    return lines;
}

}  // namespace veld::config
