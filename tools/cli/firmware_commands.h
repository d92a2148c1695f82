#pragma once
#include "command.h"

namespace wendax::cli {

/// flash.
std::span<const Command> firmwareCommands();

} // namespace wendax::cli
