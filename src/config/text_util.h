#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace veld::config {

inline QString q(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
inline std::string utf8(const QString& text) {
    return text.toStdString();
}

}  // namespace veld::config
