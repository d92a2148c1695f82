#pragma once
#include "command.h"

namespace wendax::cli {

/// read, write and simulate.
std::span<const Command> linkCommands();

} // namespace wendax::cli
