#pragma once

// How a handler's operation ended. The window needs nothing more than its messages; the command
// line takes its exit status from this.

namespace veld::config {

enum class Outcome {
    Completed,  // done, messages shown along the way included
    Stopped,    // stopped by a message or a failed transaction
    Declined,   // the user answered No
};

}  // namespace veld::config
