#include "command.h"
#include "firmware_commands.h"
#include "link_commands.h"

#include <iostream>
#include <vector>

namespace {

using wendax::cli::Command;

constexpr std::string_view kOverviewHead =
    "wendax-cli: configuration files and devices of the Wendax family from the command line\n"
    "\n"
    "usage: wendax-cli COMMAND [OPTIONS] [ARGS]\n"
    "       wendax-cli COMMAND --help\n"
    "\n"
    "commands:\n";

constexpr std::string_view kOverviewTail =
    "\n"
    "--model takes N5, N14 (alias N9), N14v2, RX8, MT43 (alias MT5), MT6 or PL3.\n"
    "\n"
    "Settings documents (JSON):\n"
    "  {\"model\": \"N5\",\n"
    "   \"settings\": {\"<component>\": value, ...},\n"
    "   \"tables\": {\"<table>\": [{\"<field>\": value, ...}, ...]}}\n"
    "Components, tables and fields carry the window's own names (Edit21, ComboBox1,\n"
    "CheckBox2, ClientDataSet1, Zone_ID...). An edit field takes its text as a\n"
    "string, a check box true or false, a drop-down list the text of the item to\n"
    "select or null for no selection. Table rows are given in order from the first;\n"
    "integer fields take numbers, text fields strings, Boolean fields true or false.\n"
    "Read-only cells may be given only with the value they hold. Texts are the\n"
    "device's single-byte characters: U+0000 to U+00FF.\n"
    "\n"
    "Exit status: 0 on success, 1 when the work failed, 2 for a wrong command line.\n";

std::vector<Command> allCommands()
{
    std::vector<Command> commands;
    for (const auto& command : wendax::cli::configCommands())
        commands.push_back(command);
    for (const auto& command : wendax::cli::linkCommands())
        commands.push_back(command);
    for (const auto& command : wendax::cli::firmwareCommands())
        commands.push_back(command);
    return commands;
}

void printOverview(std::ostream& out, const std::vector<Command>& commands)
{
    out << kOverviewHead;
    for (const auto& command : commands)
        out << "  " << command.name << std::string(12 - std::min<std::size_t>(command.name.size(), 11), ' ')
            << command.synopsis << "\n";
    out << kOverviewTail;
}

} // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto commands = allCommands();
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printOverview(args.empty() ? std::cerr : std::cout, commands);
        return args.empty() ? wendax::cli::kUsage : wendax::cli::kOk;
    }
    for (const auto& command : commands) {
        if (command.name != args[0])
            continue;
        const std::span<const std::string> rest(args.begin() + 1, args.end());
        for (const auto& arg : rest) {
            if (arg == "--help" || arg == "-h") {
                std::cout << command.help;
                return wendax::cli::kOk;
            }
        }
        return command.run(rest, {std::cout, std::cerr});
    }
    std::cerr << "wendax-cli: unknown command \"" << args[0] << "\"; see wendax-cli --help\n";
    return wendax::cli::kUsage;
}
