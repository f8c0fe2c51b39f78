#pragma once

// The requests the simulated transmitter received, one line each, for exact comparisons:
// "ReadEEPROM 400 4", "WriteEEPROM 120 4 7F 00 00 00", "NastOfs".

#include <QString>
#include <QStringList>
#include <deque>

#include "link/device_access.h"
#include "link/frame.h"
#include "sim/request.h"

namespace veld::testing {

inline QString DescribeRequest(const sim::Request& r) {
    QString line = link::CommandName(r.command);
    const auto info = link::FindCommand(r.command);
    const bool memory = info && (info->layout == link::DataLayout::A16Count ||
                                 info->layout == link::DataLayout::A16CountData);
    std::size_t from = 0;
    if (memory && r.data.size() >= 3) {
        line += QStringLiteral(" %1 %2").arg((r.data[0] << 8) | r.data[1]).arg(r.data[2]);
        from = 3;
    }
    for (std::size_t i = from; i < r.data.size(); ++i)
        line += QStringLiteral(" %1").arg(r.data[i], 2, 16, QLatin1Char('0')).toUpper();
    return line;
}

inline QStringList DescribeLog(const std::deque<sim::Request>& log) {
    QStringList lines;
    for (const sim::Request& r : log)
        lines.append(DescribeRequest(r));
    return lines;
}

}  // namespace veld::testing
