// tessary-cli: Tessary's operations from a shell, for scripts, CI jobs and machines without a
// display. The options are defined here; everything they drive is in the tessary_cli library.
#include "GangBoards.h"
#include "GangRun.h"
#include "JsonProgress.h"
#include "MemoryConfigurations.h"
#include "NetworkLine.h"
#include "Outcome.h"
#include "Progress.h"
#include "Refusal.h"
#include "Request.h"
#include "Run.h"
#include "StderrTerminal.h"
#include "Suggest.h"
#include "Version.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

using namespace tessary::cli;
using tessary::Configuration;
using tessary::ConfigurationNames;
using tessary::Configurations;

namespace {

constexpr const char* kDescription =
    "Moves data between files and the RAM and Flash of a board's memory controller, with the "
    "same operations, checks and texts as the Tessary window. Progress and errors go to stderr, "
    "the outcome to stdout: the final status text, or the failure's message after a failure "
    "(with --json, one JSON object).";

constexpr const char* kFooter =
    "Numbers: decimal (1024, 1,024), 0x hexadecimal (0x2000), 0b binary (0b10000) or exactly "
    "eight binary digits (00010000); commas and blanks are ignored.\n"
    "Files: .hex and .ihex are Intel HEX, .srec, .s19, .s28, .s37 and .mot S-records, any other "
    "name raw bytes, unless --format says otherwise.\n"
    "Exit status: 0 success, 1 the operation failed (connection, transfer, verify, file), 2 bad "
    "usage or invalid input (nothing was connected), 130 cancelled.\n"
    "Global options (--device, --serial, --baud, --window, --config, --register-base, --quiet, "
    "--progress, --json) go before or after the command. 'tessary-cli help COMMAND' shows a "
    "command's "
    "options; the manual: man tessary-cli.";

// Option texts whose absence differs from an empty text.
struct OptionalTexts {
    std::vector<std::string> devices, serials; // one board each, or several at once
    std::string address, offset, length, blocks;
    int gangMember = 0;
    CLI::Option* deviceOption = nullptr;
    CLI::Option* serialOption = nullptr;
    std::vector<CLI::Option*> addressOptions;
    std::vector<CLI::Option*> offsetOptions;
    std::vector<CLI::Option*> lengthOptions;
    std::vector<CLI::Option*> blocksOptions;
    CLI::Option* configOption = nullptr;
    CLI::Option* baseOption = nullptr;
};

void AddGlobalOptions(CLI::App& app, Request& request, OptionalTexts& texts) {
    texts.deviceOption =
        app.add_option("--device", texts.devices,
                       "A device of the library's table (default: the table's default device; "
                       "see 'devices'); repeated, the operation runs on every device at once")
            ->allow_extra_args(false);
    // A network line's name is checked here, so that a wrong port is bad usage, not a failure
    // to connect.
    const CLI::Validator networkLine(
        [](const std::string& text) {
            if (text.empty()) {
                return std::string("the serial line's name is empty");
            }
            std::string problem;
            tessary::ParseNetworkLine(text, problem);
            return problem.empty() ? problem : "'" + text + "': " + problem;
        },
        "");
    texts.serialOption =
        app.add_option("--serial", texts.serials,
                       "A board on this serial line (e.g. /dev/ttyUSB0, tcp://HOST:PORT) instead "
                       "of the library; repeated, the operation runs on every line at once")
            ->allow_extra_args(false)
            ->check(networkLine);
    texts.deviceOption->excludes(texts.serialOption);
    app.add_option("--baud", request.baud,
                   "Speed of the --serial line in baud; any rate the adapter can make")
        ->check(CLI::Range(50u, 100'000'000u))
        ->needs(texts.serialOption)
        ->capture_default_str();
    app.add_option("--window", request.window,
                   "Requests in flight on the --serial line, 1 to 32 (default: what the board "
                   "announces, 1 for a board that announces nothing)")
        ->check(CLI::Range(1, 32))
        ->needs(texts.serialOption);
    std::string configHelp = "Memory configuration: ";
    for (const Configuration& configuration : Configurations()) {
        configHelp += std::string(&configuration == Configurations().data() ? "" : ", ") +
                      configuration.name + " (" + configuration.description + ")";
    }
    configHelp += "; default: the device's config= setting, else ";
    configHelp += Configurations().front().name;
    texts.configOption = app.add_option("--config", request.configuration, configHelp)
                             ->check(CLI::IsMember(ConfigurationNames(), CLI::ignore_case))
                             ->capture_default_str();
    texts.baseOption = app.add_option("--register-base", request.registerBase,
                                      "First register of the memory controller: 0x00 to 0xF8, a "
                                      "multiple of 8; default: the "
                                      "device's base= setting, else 0")
                           ->capture_default_str();
    CLI::Option* quiet =
        app.add_flag("-q,--quiet", request.quiet, "No progress display (--progress none)");
    app.add_option("--progress", request.progress,
                   "How progress shows on stderr: bar (one line redrawn in place; the default on "
                   "a terminal), plain (whole lines, about ten per operation; the default "
                   "elsewhere), json (one JSON object per line, errors included, for a machine) "
                   "or none")
        ->transform(CLI::IsMember({"bar", "plain", "json", "none"}, CLI::ignore_case))
        ->excludes(quiet);
    app.add_option(kGangMemberOption, texts.gangMember)->group("");
    app.add_flag("--json", request.json, "Print one JSON object with the outcome on stdout");
}

void AddFileAndRange(CLI::App& sub, Request& request, OptionalTexts& texts, bool store) {
    sub.add_option("FILE", request.file, store ? "File to write" : "File to read")->required();
    texts.addressOptions.push_back(
        sub.add_option("--address", texts.address, "Start address on the board (default 0)"));
    auto* length =
        sub.add_option("--length", texts.length,
                       store ? "Number of bytes to store"
                             : "Number of bytes to load (default: to the end of the file)");
    texts.lengthOptions.push_back(length);
    if (store) {
        length->required();
        sub.add_option("--mode", request.mode,
                       "append: add to the end; replace: the file holds exactly the data; "
                       "overwrite: replace the file's bytes from --offset on")
            ->check(CLI::IsMember({"append", "replace", "overwrite"}, CLI::ignore_case))
            ->capture_default_str();
    }
    sub.add_option("--format", request.format,
                   "File format: bin, ihex (Intel HEX) or srec (S-records) (default: from the "
                   "name: .hex/.ihex, .srec/.s19/.s28/.s37/.mot, else bin)")
        ->check(CLI::IsMember({"bin", "ihex", "srec"}, CLI::ignore_case));
    texts.offsetOptions.push_back(
        sub.add_option("--offset", texts.offset,
                       store ? "Position in the file to write at, with --mode overwrite (default 0)"
                             : "Position in the file to start reading at (default 0)"));
}

CLI::App* AddLoad(CLI::App& app, const char* name, const char* help, Request& request,
                  OptionalTexts& texts, bool flash) {
    CLI::App* sub = app.add_subcommand(name, help);
    AddFileAndRange(*sub, request, texts, false);
    if (flash) {
        sub->add_flag("--no-erase", request.noErase,
                      "Do not erase the blocks the range overlaps before programming");
        sub->add_flag("--no-preserve", request.noPreserve,
                      "Let the erase clear the bytes of partly covered blocks instead of "
                      "programming them back");
        sub->add_flag("--no-skip", request.noSkip,
                      "Erase and program every block the range overlaps, also those that already "
                      "hold the image");
    }
    CLI::Option* noVerify =
        sub->add_flag("--no-verify", request.noVerify, "Do not verify the blocks written");
    sub->add_option("--verify", request.verify,
                    "auto: compare each block's checksum computed by the board, where it offers "
                    "one, reading back only a block that differs, else read each block back; "
                    "readback: read each block back and compare")
        ->check(CLI::IsMember({"auto", "readback"}, CLI::ignore_case))
        ->excludes(noVerify)
        ->capture_default_str();
    return sub;
}

CLI::App* AddStore(CLI::App& app, const char* name, const char* help, Request& request,
                   OptionalTexts& texts) {
    CLI::App* sub = app.add_subcommand(name, help);
    AddFileAndRange(*sub, request, texts, true);
    return sub;
}

CLI::App* AddBlockCommand(CLI::App& app, const char* name, const char* help, OptionalTexts& texts) {
    CLI::App* sub = app.add_subcommand(name, help);
    texts.blocksOptions.push_back(sub->add_option(
        "--blocks", texts.blocks,
        "Block indexes of the configuration's table, such as 0,3-5 (default: all blocks)"));
    return sub;
}

// The hint for a mistyped command or option, from every name the parser knows.
std::string Hint(CLI::App& app, int argc, char** argv) {
    std::vector<std::string> commands;
    std::vector<std::string> options;
    auto addOptions = [&options](const CLI::App& from) {
        for (const CLI::Option* option : from.get_options()) {
            for (const std::string& name : option->get_lnames()) {
                options.push_back("--" + name);
            }
        }
    };
    addOptions(app);
    for (const CLI::App* sub : app.get_subcommands({})) {
        commands.push_back(sub->get_name());
        addOptions(*sub);
    }
    return SuggestFor(std::vector<std::string>(argv + 1, argv + argc), commands, options);
}

// The error and the hint are two lines on stderr and two messages of the outcome.
void PrintUsageError(CLI::App& app, const CLI::ParseError& error, const Request& request,
                     const std::string& hint) {
    const std::vector<CLI::App*> chosen = app.get_subcommands();
    std::vector<std::string> lines = {error.what()};
    if (!hint.empty()) {
        lines.push_back(hint);
    }
    ReportRefusal(request, chosen.empty() ? "" : chosen.front()->get_name(), lines,
                  "Run 'tessary-cli --help' for the usage.", std::cout, std::cerr);
}

std::unique_ptr<ProgressDisplay> MakeProgress(const Request& request) {
    std::string style = request.progress;
    if (request.quiet || style == "none") {
        return nullptr;
    }
    if (style == "json") {
        return std::make_unique<JsonProgress>(std::cerr);
    }
    if (style.empty()) {
        style = StderrIsTerminal() ? "bar" : "plain";
    }
    return std::make_unique<Progress>(
        std::cerr, style == "bar" ? Progress::Style::Bar : Progress::Style::Lines, StderrColumns());
}

// The display of several boards' progress that --progress (or its default) asks for.
GangDisplay::Style GangStyle(const Request& request) {
    if (request.quiet || request.progress == "none") {
        return GangDisplay::Style::None;
    }
    if (request.progress == "json") {
        return GangDisplay::Style::Json;
    }
    const bool bar = request.progress.empty() ? StderrIsTerminal() : request.progress == "bar";
    return bar ? GangDisplay::Style::Terminal : GangDisplay::Style::Lines;
}

} // namespace

int main(int argc, char** argv) {
    // A file-size limit makes a store's write fail (EFBIG), which the store reports and cleans up
    // after; by default the signal would kill the tool in the middle of it.
    std::signal(SIGXFSZ, SIG_IGN);
    Request request;
    OptionalTexts texts;
    CLI::App app{kDescription, "tessary-cli"};
    app.footer(kFooter);
    app.require_subcommand(1);
    app.set_version_flag("-V,--version",
                         std::string("tessary-cli ") + tessary::version::kProductVersion);
    app.fallthrough(); // global options are accepted after the command as well
    AddGlobalOptions(app, request, texts);
    const std::vector<std::pair<CLI::App*, Command>> commands = {
        {app.add_subcommand("devices", "List the library's devices, the default marked, with the "
                                       "configuration and register base their entries give"),
         Command::Devices},
        {app.add_subcommand("ports", "List the serial lines present, USB adapters by name first"),
         Command::Ports},
        {app.add_subcommand("probe", "Test the board on the --serial line or the device: its "
                                     "identity (exit 0), or why it cannot be reached (exit 1)"),
         Command::Probe},
        {AddLoad(app, "load-ram", "Load a file, or a slice of it, into RAM", request, texts, false),
         Command::LoadRam},
        {AddStore(app, "store-ram", "Store a range of RAM into a file", request, texts),
         Command::StoreRam},
        {AddLoad(app, "load-flash",
                 "Program a file, or a slice of it, into Flash (erasing the blocks it overlaps)",
                 request, texts, true),
         Command::LoadFlash},
        {AddStore(app, "store-flash", "Store a range of Flash into a file", request, texts),
         Command::StoreFlash},
        {AddBlockCommand(app, "erase", "Erase all Flash blocks, or the listed ones", texts),
         Command::Erase},
        {AddBlockCommand(app, "blank-check",
                         "Tell which Flash blocks (all, or the listed ones) are fully erased",
                         texts),
         Command::BlankCheck},
    };
    std::vector<std::string> commandNames;
    for (const auto& [sub, command] : commands) {
        commandNames.push_back(sub->get_name());
    }
    std::string helpTopic;
    CLI::App* help = app.add_subcommand("help", "Show this help, or with a COMMAND its options");
    help->add_option("COMMAND", helpTopic, "The command whose options to show")
        ->check(CLI::IsMember(commandNames));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
            return app.exit(error); // --help, --version
        }
        PrintUsageError(app, error, request, Hint(app, argc, argv));
        return kExitUsage;
    }

    if (help->parsed()) {
        // App::help would describe the help command itself, the one parsed.
        const CLI::App* topic = helpTopic.empty() ? &app : app.get_subcommand(helpTopic);
        const std::string name =
            helpTopic.empty() ? app.get_name() : app.get_name() + " " + helpTopic;
        std::cout << topic->get_formatter()->make_help(topic, name, CLI::AppFormatMode::Normal);
        return 0;
    }
    for (const auto& [sub, command] : commands) {
        if (sub->parsed()) {
            request.command = command;
        }
    }
    const GangBoards boards{texts.serials.empty() ? texts.devices : texts.serials,
                            !texts.serials.empty()};
    if (!boards.names.empty()) {
        (boards.serial ? request.serial : request.device) = boards.names.front();
    }
    request.configurationGiven = texts.configOption->count() > 0;
    request.registerBaseGiven = texts.baseOption->count() > 0;
    for (const auto& [options, text, given] :
         {std::tuple{&texts.addressOptions, &texts.address, &request.address},
          std::tuple{&texts.offsetOptions, &texts.offset, &request.offset},
          std::tuple{&texts.lengthOptions, &texts.length, &request.length}}) {
        for (const CLI::Option* option : *options) {
            if (option->count() > 0) {
                *given = *text;
            }
        }
    }
    for (const CLI::Option* blocks : texts.blocksOptions) {
        if (blocks->count() > 0) {
            request.blocks = texts.blocks;
        }
    }

    if (texts.gangMember > 0 && static_cast<std::size_t>(texts.gangMember) <= boards.names.size()) {
        // One board's process of a run on several boards: its outcome and progress are JSON for
        // the parent to read.
        const std::string& board = boards.names[static_cast<std::size_t>(texts.gangMember) - 1];
        (boards.serial ? request.serial : request.device) = board;
        request.file = SubstituteDevice(request.file, FileSafeBoardName(board, boards.serial));
        request.json = true;
        request.quiet = false;
        request.progress = "json";
    } else if (boards.names.size() > 1 && request.command != Command::Devices &&
               request.command != Command::Ports) {
        return RunGang(request, boards, std::vector<std::string>(argv + 1, argv + argc),
                       GangStyle(request), StderrColumns(), std::cout, std::cerr);
    }
    const std::unique_ptr<ProgressDisplay> progress = MakeProgress(request);
    return Run(request, std::cout, std::cerr, progress.get());
}
