#pragma once

#include <memory>

#include "cli/command.h"

namespace veld::cli {

// veld-cli [--json] lin [--json] curve CODE VALUE... | inverse CODE SIGNAL... | spline CODE LO HI
//                       | precise CODE LO HI | fit POINTS DEGREE LO HI | segments POINTS
// Engineering view of the linearization before it is written: characteristics, their inverse,
// and the segment table or polynomial exactly as it would be uploaded (single precision).
// The mathematics' own messages go to the error stream; a computation that it stops exits 1.
std::unique_ptr<Command> makeLinCommand();

}  // namespace veld::cli
