#pragma once

#include <optional>
#include <ostream>

#include "link/device_access.h"

namespace veld::cli {

// The window ends its sequences silently after a failure the link has not told the user about
// (a reply to another command, a short reply); the command line names it.
inline void ReportSilentFailure(std::ostream& err,
                                const std::optional<link::AccessFailure>& failure) {
    if (failure && !failure->messageShown())
        err << failure->describe().toStdString() << '\n' << std::flush;
}

}  // namespace veld::cli
