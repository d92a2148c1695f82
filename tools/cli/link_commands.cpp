// read, write and simulate: the device link from the command line.
#include "link_commands.h"

#include "console_services.h"
#include "file_io.h"
#include "form_json.h"

#include "core/config_file.h"
#include "devices/common/device_form.h"
#include "devices/common/model_registry.h"
#include "link/clock.h"
#include "link/config_transfer.h"
#include "link/frame_link.h"
#include "link/image_codec.h"
#include "link/messages.h"
#include "link/serial_transport.h"
#include "link/wire_format.h"
#include "tools/simulator/simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <iostream>
#include <memory>
#include <ostream>
#include <sstream>

namespace wendax::cli {
namespace {

// No transfer of the protocol lasts this long; a link that is still busy
// then has hung, and the command gives up rather than wait for ever.
constexpr int kTransferLimitMs = 120000;

/// The options of read and write, "-o" spelled as "--output".
std::optional<ParsedArgs> parseLinkArgs(std::span<const std::string> args, std::span<const std::string_view> valued,
                                        std::span<const std::string_view> flags, std::string& error)
{
    std::vector<std::string> spelled(args.begin(), args.end());
    for (auto& arg : spelled) {
        if (arg == "-o")
            arg = "--output";
    }
    return parseArgs(spelled, valued, flags, error);
}

/// The model of --model, PL3 refused unless `pl3Allowed`: it has no configuration.
bool modelOption(const ParsedArgs& args, Model& model, std::string& error, bool pl3Allowed = false)
{
    const auto name = args.option("--model");
    if (!name) {
        error = "--model is required (N5, N14 or N9, N14v2, RX8, MT43 or MT5, MT6)";
        return false;
    }
    const auto parsed = parseModelName(*name);
    if (!parsed) {
        error = "unknown model \"" + *name + "\" (N5, N14 or N9, N14v2, RX8, MT43 or MT5, MT6)";
        return false;
    }
    if (*parsed == Model::PL3 && !pl3Allowed) {
        error = "PL3 has no configuration to transfer";
        return false;
    }
    model = *parsed;
    return true;
}

QCoreApplication& application()
{
    static int argc = 1;
    static char name[] = "wendax-cli";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    return app ? *app : *QCoreApplication::instance();
}

/// A device window for the command line: the model's form where its window
/// is built, else its image as bytes.
struct Window {
    explicit Window(Model model)
    {
        if (const ModelDefinition* definition = findDefinition(model)) {
            form = std::make_unique<DeviceForm>(*definition);
            codec = std::make_unique<DeviceFormCodec>(*form);
        } else {
            codec = std::make_unique<RawImageCodec>(model, wireFormat(model).imageSize());
        }
    }
    std::unique_ptr<DeviceForm> form;
    std::unique_ptr<ImageCodec> codec;
};

/// The frame of the command line: the same link the GUI uses, on the console.
struct ConsoleFrame {
    ConsoleFrame(Streams io, bool messagesToErr, bool showLog, const std::string& port)
        : services(messagesToErr ? io.err : io.out, io.err, showLog)
        , link(services, transport, clock)
    {
        link.setComPort(port);
    }

    /// Runs the event loop until a message has been shown and the link has
    /// settled (no worker, no timer, no reception), then closes the port.
    void settle()
    {
        QEventLoop loop;
        QTimer check;
        QElapsedTimer elapsed;
        elapsed.start();
        QObject::connect(&check, &QTimer::timeout, [&] {
            if ((!services.messages().empty() && !link.busy()) || elapsed.elapsed() > kTransferLimitMs)
                loop.quit();
        });
        check.start(10);
        loop.exec();
        if (link.portOpen())
            link.setComEnable(false);
    }

    bool onlyMessage(std::string_view text) const
    {
        const auto& shown = services.messages();
        return shown.size() == 1 && shown.front() == text;
    }

    ConsoleServices services;
    SerialTransport transport;
    QtClock clock;
    FrameLink link;
};

/// The command line of a command that talks to a device on --port: the
/// model, the port and `operands` operands. Prints the error and returns
/// nullopt when the line is wrong.
std::optional<ParsedArgs> parsePortCommand(std::string_view command, std::span<const std::string> args,
                                           std::span<const std::string_view> valued,
                                           std::span<const std::string_view> flags, std::size_t operands,
                                           std::string_view operandsText, Streams io, Model& model)
{
    std::string error;
    auto parsed = parseLinkArgs(args, valued, flags, error);
    const bool known = parsed && modelOption(*parsed, model, error);
    if (known && !parsed->option("--port"))
        error = "--port is required (the serial port the device is on, e.g. /dev/ttyUSB0)";
    if (known && error.empty() && parsed->operands.size() != operands)
        error = std::string(command) + " takes " + std::string(operandsText);
    if (!error.empty()) {
        io.err << "wendax-cli " << command << ": " << error << "\n";
        return std::nullopt;
    }
    return parsed;
}

int read(std::span<const std::string> args, Streams io)
{
    constexpr std::string_view kValued[] = {"--model", "--port", "--output"};
    constexpr std::string_view kFlags[] = {"--json", "--log"};
    Model model{};
    const auto parsed = parsePortCommand("read", args, kValued, kFlags, 0, "no operands", io, model);
    if (!parsed)
        return kUsage;
    const bool json = parsed->flag("--json");
    const auto output = parsed->option("--output");
    const ConfigEnvelope* envelope = envelopeFor(model);
    if (output && (envelope == nullptr || !envelope->hasFileCommands)) {
        io.err << "wendax-cli read: " << modelName(model) << " configurations have no file to save to\n";
        return kFailed;
    }
    if (json && findDefinition(model) == nullptr) {
        io.err << "wendax-cli read: --json needs the " << modelName(model)
               << " window, which is not supported yet (-o FILE.vcfg works)\n";
        return kFailed;
    }

    application();
    Window window(model);
    ConsoleFrame frame(io, json, parsed->flag("--log"), *parsed->option("--port"));
    ConfigTransfer transfer(frame.link, *window.codec);
    frame.link.setActiveWindow(&transfer);
    frame.link.readDevice();
    frame.settle();
    if (!frame.onlyMessage(msg::kConfigurationWasReceived))
        return kFailed;

    if (output) {
        ConfigFileBuffer files;
        if (auto failure = window.codec->encodeImage()) {
            io.err << "wendax-cli read: " << *failure << "; nothing was written\n";
            return kFailed;
        }
        files.put(sealImage(*envelope, window.codec->image()));
        if (auto failure = writeFileAtomically(*output, files.head(saveLengthFor(model)))) {
            io.err << "wendax-cli read: " << *failure << "\n";
            return kFailed;
        }
    }
    if (json)
        io.out << formToJson(modelName(model), window.form->form()).dump(2) << "\n";
    return kOk;
}

/// Opens a configuration file into the window as File Open does.
std::optional<std::string> openConfigFile(Window& window, Model model, const std::string& path)
{
    std::string error;
    const auto bytes = readFileBounded(path, ConfigFileBuffer::kSize, error);
    if (!bytes)
        return error;
    const ConfigEnvelope& envelope = *envelopeFor(model);
    const std::string name(modelName(model));
    if (bytes->size() < envelope.sealedSize())
        return path + " is " + std::to_string(bytes->size()) + " bytes long, too short for an " + name +
               " configuration (" + std::to_string(envelope.sealedSize()) + " bytes)";
    const std::string invalid = path + " is not a valid " + name + " configuration file (its checksum does not match)";
    if (window.form) {
        ConfigFileBuffer files;
        files.load(*bytes);
        if (!window.form->loadImage(files).decoded())
            return invalid;
        return std::nullopt;
    }
    const auto plain = unsealImage(envelope, envelope.openCheck, *bytes);
    if (!plain)
        return invalid;
    std::copy(plain->begin(), plain->end(), window.codec->image().begin());
    return std::nullopt;
}

int write(std::span<const std::string> args, Streams io)
{
    constexpr std::string_view kValued[] = {"--model", "--port"};
    constexpr std::string_view kFlags[] = {"--log"};
    Model model{};
    const auto parsed = parsePortCommand("write", args, kValued, kFlags, 1, "one configuration file", io, model);
    if (!parsed)
        return kUsage;
    const ConfigEnvelope* envelope = envelopeFor(model);
    const WriteKind kind = wireFormat(model).writeKind;
    if (envelope == nullptr || !envelope->hasFileCommands || kind == WriteKind::None || kind == WriteKind::Nothing) {
        io.err << "wendax-cli write: " << modelName(model)
               << " configurations cannot be written to the device (its window has no Write Device for a file)\n";
        return kFailed;
    }

    application();
    Window window(model);
    if (auto failure = openConfigFile(window, model, parsed->operands[0])) {
        io.err << "wendax-cli write: " << *failure << "\n";
        return kFailed;
    }
    ConsoleFrame frame(io, false, parsed->flag("--log"), *parsed->option("--port"));
    ConfigTransfer transfer(frame.link, *window.codec);
    frame.link.setActiveWindow(&transfer);
    frame.link.writeDevice();
    frame.settle();
    return frame.onlyMessage(msg::kConfigurationWasSent) ? kOk : kFailed;
}

// ---- simulate ------------------------------------------------------------------

std::optional<std::array<std::uint8_t, 6>> sixNumbers(const std::string& text, char separator, int base)
{
    std::array<std::uint8_t, 6> bytes{};
    std::istringstream in(text);
    std::string item;
    std::size_t count = 0;
    while (std::getline(in, item, separator)) {
        std::size_t used = 0;
        unsigned long value = 0;
        try {
            value = std::stoul(item, &used, base);
        } catch (const std::exception&) {
            return std::nullopt;
        }
        if (count == bytes.size() || used != item.size() || value > 255)
            return std::nullopt;
        bytes[count++] = static_cast<std::uint8_t>(value);
    }
    if (count != bytes.size())
        return std::nullopt;
    return bytes;
}

std::optional<std::string> simulatorOptions(const ParsedArgs& args, Model model, sim::SimulatorOptions& options)
{
    options.model = model;
    options.silent = args.flag("--silent");
    options.crcOverEnciphered = args.flag("--crc-over-enciphered");
    if (const auto path = args.option("--config")) {
        std::string error;
        const auto bytes = readFileBounded(*path, ConfigFileBuffer::kSize, error);
        if (!bytes)
            return error;
        const ConfigEnvelope* envelope = envelopeFor(model);
        const auto plain = envelope ? unsealImage(*envelope, envelope->openCheck, *bytes) : std::nullopt;
        if (!plain)
            return *path + " is not a valid " + std::string(modelName(model)) + " configuration file";
        options.image = *plain;
    }
    if (const auto version = args.option("--version")) {
        const bool printable = std::all_of(version->begin(), version->end(),
                                           [](char c) { return c >= 0x21 && c <= 0x7E; });
        if (version->empty() || version->size() > 50 || !printable)
            return std::string("--version takes 1 to 50 printable characters without spaces");
        options.version = *version;
    }
    if (const auto damage = args.option("--damage")) {
        if (*damage != "block" && *damage != "crc")
            return std::string("--damage takes block or crc");
        options.damage = *damage == "block" ? sim::Damage::Block : sim::Damage::Crc;
    }
    const int parts = static_cast<int>(wireFormat(model).parts);
    if (const auto part = args.option("--damage-part")) {
        if (part->size() != 1 || (*part)[0] < '1' || (*part)[0] > '0' + parts)
            return "--damage-part takes a part from 1 to " + std::to_string(parts);
        options.damagedPart = (*part)[0] - '0';
    }
    if (const auto answer = args.option("--write-answer")) {
        if (*answer == "ok")
            options.writeAnswer = sim::WriteAnswer::Check;
        else if (*answer == "error")
            options.writeAnswer = sim::WriteAnswer::WriteError;
        else if (*answer == "none")
            options.writeAnswer = sim::WriteAnswer::Silent;
        else
            return std::string("--write-answer takes ok, error or none");
    }
    if (const auto acked = args.option("--ack-parts")) {
        if (acked->size() != 1 || (*acked)[0] < '0' || (*acked)[0] > '3')
            return std::string("--ack-parts takes 0 to 3");
        options.acknowledgedParts = (*acked)[0] - '0';
    }
    if (const auto time = args.option("--system-time")) {
        options.systemTime = sixNumbers(*time, ',', 10);
        if (!options.systemTime)
            return std::string("--system-time takes six numbers 0-255: YY,MM,DD,hh,mm,ss");
    }
    if (const auto mac = args.option("--mac")) {
        options.macAddress = sixNumbers(*mac, ':', 16);
        if (!options.macAddress)
            return std::string("--mac takes six hexadecimal bytes: 00:1A:2B:3C:4D:5E");
    }
    return std::nullopt;
}

/// --bootloader-fail KIND:K, the answer to record K instead of "ACK".
std::optional<std::string> bootloaderOptions(const ParsedArgs& args, sim::BootloaderOptions& options)
{
    const auto fail = args.option("--bootloader-fail");
    if (!fail)
        return std::nullopt;
    const std::string usage = "--bootloader-fail takes crc:K, unknown:K, reset:K or none:K (K a record from 1)";
    const auto colon = fail->find(':');
    if (colon == std::string::npos)
        return usage;
    const std::string kind = fail->substr(0, colon);
    const std::string record = fail->substr(colon + 1);
    const std::pair<std::string_view, sim::BootAnswer> kinds[] = {{"crc", sim::BootAnswer::CrcError},
                                                                  {"unknown", sim::BootAnswer::UnknownCommand},
                                                                  {"reset", sim::BootAnswer::Reset},
                                                                  {"none", sim::BootAnswer::Silent}};
    const auto found = std::find_if(std::begin(kinds), std::end(kinds), [&](const auto& k) { return k.first == kind; });
    const bool digits = !record.empty() && record.size() <= 6 &&
                        std::all_of(record.begin(), record.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (found == std::end(kinds) || !digits || std::stoi(record) < 1)
        return usage;
    options.answerAt = found->second;
    options.answerRecord = std::stoi(record);
    return std::nullopt;
}

int simulate(std::span<const std::string> args, Streams io)
{
    constexpr std::string_view kValued[] = {"--model", "--config", "--version", "--damage", "--damage-part",
                                            "--write-answer", "--ack-parts", "--system-time", "--mac",
                                            "--bootloader-fail", "--received"};
    constexpr std::string_view kFlags[] = {"--silent", "--crc-over-enciphered", "--quiet", "--bootloader"};
    std::string error;
    const auto parsed = parseArgs(args, kValued, kFlags, error);
    const bool bootloader = parsed && parsed->flag("--bootloader");
    Model model{};
    const bool known = parsed && modelOption(*parsed, model, error, bootloader);
    if (known && error.empty() && !parsed->operands.empty())
        error = "simulate takes no operands";
    if (known && error.empty() && !bootloader &&
        (parsed->option("--bootloader-fail") || parsed->option("--received")))
        error = "--bootloader-fail and --received need --bootloader";
    sim::SimulatorOptions options;
    if (known && error.empty()) {
        if (auto failure = simulatorOptions(*parsed, model, options))
            error = *failure;
    }
    if (known && error.empty() && bootloader) {
        options.bootloader.emplace();
        if (auto failure = bootloaderOptions(*parsed, *options.bootloader))
            error = *failure;
    }
    if (!error.empty()) {
        io.err << "wendax-cli simulate: " << error << "\n";
        return kUsage;
    }

    // The device runs on its own thread; this one waits for the end signal,
    // which must reach this thread only.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&endSignals, signal);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);

    const bool quiet = parsed->flag("--quiet");
    const std::string version = options.version;
    auto simulator = sim::startSimulator(std::move(options), [&io, quiet](const std::string& line) {
        if (!quiet)
            io.out << line << std::endl;
    }, error);
    if (!simulator) {
        io.err << "wendax-cli simulate: " << error << "\n";
        return kFailed;
    }
    io.out << simulator->path() << std::endl;
    if (bootloader)
        io.err << "Simulated " << modelName(model) << " bootloader on " << simulator->path();
    else
        io.err << "Simulated " << modelName(model) << " device, version " << version << ", on " << simulator->path();
    io.err << "\nUse it as the serial port of wendax or wendax-cli; Ctrl+C ends the simulation.\n" << std::flush;
    int signal = 0;
    sigwait(&endSignals, &signal);
    simulator->stop();
    io.err << "Simulation ended.\n";
    if (const auto received = parsed->option("--received")) {
        const auto bytes = simulator->bootloaderReceived();
        if (auto failure = writeFileAtomically(*received, bytes)) {
            io.err << "wendax-cli simulate: " << *failure << "\n";
            return kFailed;
        }
        if (const auto dropped = simulator->bootloaderDropped())
            io.err << "wendax-cli simulate: " << dropped << " bytes past the first "
                   << sim::BootloaderSide::kReceivedLimit << " were not kept\n";
    }
    return kOk;
}

constexpr Command kLinkCommands[] = {
    {"read", "read the configuration of a device",
     "usage: wendax-cli read --model MODEL --port PORT [-o FILE.vcfg] [--json] [--log]\n"
     "\n"
     "Reads the configuration of the MODEL device on the serial port PORT as Read\n"
     "Device does (115200 baud, 8N1), and prints the device's version and the\n"
     "outcome: \"Configuration was received\", \"Invalid Data\" (a damaged block) or\n"
     "\"Device Not Responding\".\n"
     "\n"
     "  -o FILE.vcfg  saves the configuration as Save does\n"
     "  --json        prints the settings as JSON on standard output (the messages\n"
     "                then go to standard error); needs a model whose window is built\n"
     "  --log         prints the terminal log (received bytes, port lines) on\n"
     "                standard error\n"
     "\n"
     "Exit status 0 when the configuration was received, 1 otherwise.\n",
     read},
    {"write", "write a configuration file to a device",
     "usage: wendax-cli write --model MODEL --port PORT [--log] FILE.vcfg\n"
     "\n"
     "Opens FILE.vcfg as File Open does and writes it to the MODEL device on the\n"
     "serial port PORT as Write Device does. Prints \"Configuration was sent\", or\n"
     "what went wrong: \"Write ERROR\" (the device refused it; MT6 and N14 add\n"
     "\"Write Error\"), \"Device Not Responding\".\n"
     "\n"
     "Exit status 0 when the device took the configuration, 1 otherwise.\n",
     write},
    {"simulate", "run a simulated device on a pseudo-terminal",
     "usage: wendax-cli simulate --model MODEL [--config FILE.vcfg] [--version TEXT]\n"
     "                           [fault options] [--quiet]\n"
     "       wendax-cli simulate --model MODEL --bootloader [--bootloader-fail KIND:K]\n"
     "                           [--received FILE] [--silent] [--quiet]\n"
     "\n"
     "Opens a pseudo-terminal and plays a MODEL device on it until Ctrl+C: it\n"
     "answers Read Device with its version and configuration, takes Write Device,\n"
     "and answers the panel clock commands (MT43, MT6). The first line printed is\n"
     "the terminal's path; give it to wendax or wendax-cli as the serial port. Then\n"
     "one line per exchange follows (<- from the host, -> to the host).\n"
     "\n"
     "  --config FILE.vcfg   the configuration the device holds (default: a fresh\n"
     "                       one); a write replaces it until the simulation ends\n"
     "  --version TEXT       the version the device reports (default 1.0)\n"
     "  --quiet              prints only the path\n"
     "\n"
     "fault options, for training and tests:\n"
     "  --silent             never answers\n"
     "  --damage block|crc   flips one bit of the block, or of its checksum, in the\n"
     "                       configuration it sends\n"
     "  --damage-part N      the part the damage hits (RX8, MT43: 1-2; MT6: 1-3)\n"
     "  --write-answer ok|error|none\n"
     "                       ok (default): \"CfgOK\" for good blocks, \"WRITEERROR\"\n"
     "                       for damaged ones; error: always \"WRITEERROR\";\n"
     "                       none: no answer\n"
     "  --ack-parts N        MT6: answers only the first N of the three parts\n"
     "  --crc-over-enciphered\n"
     "                       MT6: the faulty firmware that sends the checksum of\n"
     "                       the enciphered part instead of the plain one\n"
     "  --system-time YY,MM,DD,hh,mm,ss\n"
     "                       the panel clock it reports (default: the local time)\n"
     "  --mac XX:XX:XX:XX:XX:XX\n"
     "                       N14: also sends this MAC address on Read Device\n"
     "\n"
     "bootloader (every model but N14v2, whose bootloader is a USB device; PL3 too):\n"
     "  --bootloader         plays the bootloader after a reset instead: once the\n"
     "                       host opens the port it announces itself with the\n"
     "                       model's identification word (again every second\n"
     "                       until answered), takes 'A', answers \"BOOT\", then\n"
     "                       takes records (two length bytes, high byte first,\n"
     "                       then the bytes) and answers each with \"ACK\"\n"
     "  --bootloader-fail KIND:K\n"
     "                       answers record K otherwise and then stops:\n"
     "                       crc (\"CRCERROR\"), unknown (\"UNKNOWNCOMMAND\"),\n"
     "                       reset (\"RESET\", as PL3 does after its last record)\n"
     "                       or none (no answer)\n"
     "  --received FILE      writes every byte received after 'A' (the records as\n"
     "                       the line carried them) to FILE when the simulation ends\n"
     "  --silent             never says anything, not even its identification\n"
     "\n"
     "example, in two terminals (the first prints the port for the second):\n"
     "  wendax-cli simulate --model N5 --bootloader --received got.bin\n"
     "  wendax-cli flash --model N5 --port /dev/pts/N firmware.enc\n",
     simulate},
};

} // namespace

std::span<const Command> linkCommands()
{
    return kLinkCommands;
}

} // namespace wendax::cli
