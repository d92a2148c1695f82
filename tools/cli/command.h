#pragma once
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace wendax {
struct ModelDefinition;
}

namespace wendax::cli {

/// Exit statuses of every command.
enum Exit : int { kOk = 0, kFailed = 1, kUsage = 2 };

struct Streams {
    std::ostream& out;
    std::ostream& err;
};

/// One subcommand of wendax-cli.
struct Command {
    std::string_view name;
    std::string_view synopsis; ///< one line for the overview
    std::string_view help;     ///< the full text of `wendax-cli NAME --help`
    int (*run)(std::span<const std::string> args, Streams io);
};

/// Options and operands of a command line: "--name value" pairs for the
/// options listed in `valued`, "--flag" for those in `flags`, the rest operands.
struct ParsedArgs {
    std::vector<std::pair<std::string, std::string>> options;
    std::vector<std::string> flags;
    std::vector<std::string> operands;

    std::optional<std::string> option(std::string_view name) const;
    bool flag(std::string_view name) const;
};

/// nullopt and a message in `error` for an unknown option or a missing value.
std::optional<ParsedArgs> parseArgs(std::span<const std::string> args, std::span<const std::string_view> valued,
                                    std::span<const std::string_view> flags, std::string& error);

/// The built model named by --model, or nullptr with a message in `error`
/// ("not supported yet" for a known model whose window is not built).
const ModelDefinition* modelFromOption(const ParsedArgs& args, std::string& error);

/// A command line of a command that works on one model.
struct ModelCommandLine {
    ParsedArgs args;
    const ModelDefinition* definition = nullptr;
};

/// Parses a model command's line and checks it has `operands` operands (the
/// `operandsText` says what they are). On error prints "wendax-cli COMMAND:
/// message", sets `status` (kUsage for a wrong line, kFailed for a model not
/// supported yet) and returns nullopt.
std::optional<ModelCommandLine> parseModelCommand(std::string_view command, std::span<const std::string> args,
                                                  std::span<const std::string_view> valued, std::size_t operands,
                                                  std::string_view operandsText, Streams io, int& status);

std::span<const Command> configCommands();

} // namespace wendax::cli
