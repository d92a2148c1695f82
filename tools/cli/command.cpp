#include "command.h"

#include "devices/common/model_registry.h"

#include <algorithm>
#include <ostream>

namespace wendax::cli {

std::optional<std::string> ParsedArgs::option(std::string_view name) const
{
    for (const auto& [key, value] : options) {
        if (key == name)
            return value;
    }
    return std::nullopt;
}

bool ParsedArgs::flag(std::string_view name) const
{
    return std::find(flags.begin(), flags.end(), name) != flags.end();
}

std::optional<ParsedArgs> parseArgs(std::span<const std::string> args, std::span<const std::string_view> valued,
                                    std::span<const std::string_view> flags, std::string& error)
{
    ParsedArgs parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg.rfind("--", 0) != 0 || arg == "--") {
            parsed.operands.push_back(arg);
            continue;
        }
        if (std::find(flags.begin(), flags.end(), arg) != flags.end()) {
            parsed.flags.push_back(arg);
        } else if (std::find(valued.begin(), valued.end(), arg) != valued.end()) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return std::nullopt;
            }
            parsed.options.emplace_back(arg, args[++i]);
        } else {
            error = "unknown option " + arg;
            return std::nullopt;
        }
    }
    return parsed;
}

const ModelDefinition* modelFromOption(const ParsedArgs& args, std::string& error)
{
    const auto name = args.option("--model");
    if (!name) {
        error = "--model is required (N5, N14 or N9, N14v2, RX8, MT43 or MT5, MT6, PL3)";
        return nullptr;
    }
    const auto model = parseModelName(*name);
    if (!model) {
        error = "unknown model \"" + *name + "\" (N5, N14 or N9, N14v2, RX8, MT43 or MT5, MT6, PL3)";
        return nullptr;
    }
    const ModelDefinition* definition = findDefinition(*model);
    if (definition == nullptr) {
        error = "model " + std::string(modelName(*model)) + " is not supported yet";
    } else if (!definition->hasImage()) {
        error = std::string(modelName(*model)) + " has no configuration (its firmware is updated with flash)";
        return nullptr;
    }
    return definition;
}

std::optional<ModelCommandLine> parseModelCommand(std::string_view command, std::span<const std::string> args,
                                                  std::span<const std::string_view> valued, std::size_t operands,
                                                  std::string_view operandsText, Streams io, int& status)
{
    std::string error;
    auto parsed = parseArgs(args, valued, {}, error);
    const ModelDefinition* definition = nullptr;
    status = kUsage;
    if (parsed) {
        const bool known = parsed->option("--model") && parseModelName(*parsed->option("--model"));
        definition = modelFromOption(*parsed, error);
        if (known && definition == nullptr)
            status = kFailed;
        else if (definition != nullptr && parsed->operands.size() != operands)
            error = std::string(command) + " takes " + std::string(operandsText);
    }
    if (!error.empty()) {
        io.err << "wendax-cli " << command << ": " << error << "\n";
        return std::nullopt;
    }
    return ModelCommandLine{std::move(*parsed), definition};
}

} // namespace wendax::cli
