#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "cli/messages.h"
#include "config/main_window_model.h"
#include "link/device_access.h"

namespace veld::cli {

// The window ends its sequences silently after a failure the link has not told the user about
// (a reply to another command, a short reply); the command line names it.
inline void ReportSilentFailure(std::ostream& err,
                                const std::optional<link::AccessFailure>& failure) {
    if (failure && !failure->messageShown())
        err << failure->describe().toStdString() << '\n' << std::flush;
}

// After a whole read: why the transmitter holds no input configuration (its input type code is
// none of the 24 types and the page shows no type), or nullopt when it holds one.
inline std::optional<std::string> NoInputConfiguration(const config::MainWindowModel& model) {
    if (!model.form.Vstup.text.isEmpty())
        return std::nullopt;
    return kMsgNoInputConfiguration.arg(static_cast<int>(model.config.InputType)).toStdString();
}

}  // namespace veld::cli
