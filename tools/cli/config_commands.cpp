// decode and encode: configuration files to and from settings documents.
#include "command.h"
#include "file_io.h"
#include "form_json.h"

#include "devices/common/device_form.h"
#include "devices/common/model_definition.h"

#include <ostream>

namespace wendax::cli {
namespace {

constexpr std::size_t kSettingsFileLimit = 1 << 20;

std::optional<std::string> loadConfigFile(DeviceForm& window, ConfigFileBuffer& files, const std::string& path)
{
    std::string error;
    const auto bytes = readFileBounded(path, ConfigFileBuffer::kSize, error);
    if (!bytes)
        return error;
    files.load(*bytes);
    const ConfigEnvelope& envelope = *envelopeFor(window.model());
    const std::string model(modelName(window.model()));
    if (bytes->size() < envelope.sealedSize())
        return path + " is " + std::to_string(bytes->size()) + " bytes long, too short for an " + model +
               " configuration (" + std::to_string(envelope.sealedSize()) + " bytes)";
    const LoadResult loaded = window.loadImage(files);
    if (!loaded.decoded())
        return path + " is not a valid " + model + " configuration file (its checksum does not match" +
               (loaded.message.empty() ? "" : ": " + loaded.message) + ")";
    return std::nullopt;
}

/// Makes a fresh window what the Devices menu opens: its default configuration loaded.
void loadDefaults(DeviceForm& window, std::ostream& err)
{
    const LoadResult defaults = window.loadDefaults(programFolder());
    if (!defaults.message.empty())
        err << "warning: " << defaults.message << "\n";
}

int decode(std::span<const std::string> args, Streams io)
{
    constexpr std::string_view kValued[] = {"--model"};
    int status = kOk;
    const auto line = parseModelCommand("decode", args, kValued, 1, "one configuration file", io, status);
    if (!line)
        return status;
    const ModelDefinition* definition = line->definition;
    DeviceForm window(*definition);
    ConfigFileBuffer files;
    if (auto failure = loadConfigFile(window, files, line->args.operands[0])) {
        io.err << "wendax-cli decode: " << *failure << "\n";
        return kFailed;
    }
    io.out << formToJson(modelName(definition->model), window.form()).dump(2) << "\n";
    return kOk;
}

std::optional<Json> readSettings(const std::string& path, std::string& error)
{
    const auto bytes = readFileBounded(path, kSettingsFileLimit, error);
    if (!bytes)
        return std::nullopt;
    try {
        return Json::parse(bytes->begin(), bytes->end());
    } catch (const Json::parse_error& e) {
        error = path + " is not valid JSON: " + e.what();
        return std::nullopt;
    }
}

int encode(std::span<const std::string> args, Streams io)
{
    constexpr std::string_view kValued[] = {"--model", "--base"};
    int status = kOk;
    const auto line = parseModelCommand("encode", args, kValued, 2, "a settings file and an output file", io, status);
    if (!line)
        return status;
    const ModelDefinition* definition = line->definition;
    const auto* parsed = &line->args;
    const std::string& settingsPath = parsed->operands[0];
    const std::string& outPath = parsed->operands[1];
    DeviceForm window(*definition);
    loadDefaults(window, io.err);
    ConfigFileBuffer files;
    if (const auto base = parsed->option("--base")) {
        if (auto failure = loadConfigFile(window, files, *base)) {
            io.err << "wendax-cli encode: " << *failure << "\n";
            return kFailed;
        }
    }
    std::string error;
    const auto settings = readSettings(settingsPath, error);
    if (!settings) {
        io.err << "wendax-cli encode: " << error << "\n";
        return kFailed;
    }
    if (auto failure = applyJson(*settings, modelName(definition->model), window.form())) {
        io.err << "wendax-cli encode: " << settingsPath << ": " << *failure << "\n";
        return kFailed;
    }
    if (auto failure = window.saveImage(files)) {
        io.err << "wendax-cli encode: " << *failure << "; nothing was written\n";
        return kFailed;
    }
    if (auto failure = writeFileAtomically(outPath, files.head(saveLengthFor(definition->model)))) {
        io.err << "wendax-cli encode: " << *failure << "\n";
        return kFailed;
    }
    return kOk;
}

constexpr Command kConfigCommands[] = {
    {"decode", "print the settings of a configuration file as JSON",
     "usage: wendax-cli decode --model MODEL FILE.vcfg\n"
     "\n"
     "Opens FILE.vcfg as File Open does in a fresh MODEL window and prints the\n"
     "window's settings as JSON on standard output. A file that is too short, too\n"
     "long, of another model or damaged is refused with a message on standard error,\n"
     "nothing on standard output and exit status 1.\n",
     decode},
    {"encode", "write a configuration file from JSON settings",
     "usage: wendax-cli encode --model MODEL [--base FILE.vcfg] SETTINGS.json OUT.vcfg\n"
     "\n"
     "Starts from a fresh MODEL window (with its default configuration from the\n"
     "DefaultConfig folder beside the program, if any) or from FILE.vcfg, applies\n"
     "the values of SETTINGS.json in their order as if each were typed into its\n"
     "control and the control then left (filters and exit rules run, list handlers\n"
     "run), and saves OUT.vcfg as Save does. If a value cannot be taken or a field\n"
     "holds no number, nothing is written and an existing OUT.vcfg is untouched.\n",
     encode},
};

} // namespace

std::span<const Command> configCommands()
{
    return kConfigCommands;
}

} // namespace wendax::cli
