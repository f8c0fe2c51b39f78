#pragma once

#include <QString>
#include <QStringList>
#include <span>
#include <string>
#include <string_view>

#include "model/code_tables.h"

namespace veld::config {

inline QString q(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
inline std::string utf8(const QString& text) {
    return text.toStdString();
}

// The texts of a code table in its order: the items of a drop-down list.
inline QStringList ItemsOf(std::span<const model::CodeText> table) {
    QStringList items;
    for (const model::CodeText& e : table)
        items.append(q(e.text));
    return items;
}

}  // namespace veld::config
