#include "app/CommandLine.h"

#include <cstdio>
#include <optional>

#include "app/HeadlessAudit.h"
#include "app/HeadlessDryRun.h"
#include "app/HeadlessRestore.h"
#include "app/HeadlessRun.h"
#include "app/MetricsAfterRun.h"
#include "app/StatusReportCommand.h"
#include "platform/StopSignals.h"

namespace mirabel {

namespace {

struct OptionRule {
    const char* name;
    bool takesValue;
};

// Every command that does work writes the metrics file after it.
const OptionRule kMetricsFile{"--metrics-file", true};
// A run or pass that only says what it would do.
const OptionRule kDryRun{"--dry-run", false};

struct CommandRule {
    const char* name;
    std::vector<OptionRule> options;
    bool takesOperands;
    const char* usage;
};

const std::vector<CommandRule>& Commands() {
    static const std::vector<CommandRule> commands = {
        {"--archive-now",
         {kMetricsFile, kDryRun},
         false,
         "  --archive-now [--dry-run]  one archive run to the current destination\n"
         "      --dry-run: print the destination and each study the run would take, with every\n"
         "      file's name and size, or why it would fail; change nothing\n"},
        {"--remove-now",
         {kMetricsFile, kDryRun},
         false,
         "  --remove-now [--dry-run]  one study removal pass by the stored rules\n"
         "      --dry-run: print each study the rules select, the rule, the evidence found for\n"
         "      its copy (or why it would be kept) and its bytes, and the studies waiting in the\n"
         "      removal journal; change nothing\n"},
        {"--count", {}, false, "  --count        print how many studies wait to be archived\n"},
        {"--verify",
         {{"--study", true},
          {"--older-than", true},
          {"--budget-minutes", true},
          {"--budget-gb", true},
          {"--adopt", false},
          {"--repair", false},
          kMetricsFile},
         false,
         "  --verify       read archived copies back and check them against the catalog\n"
         "      [--study EXAM_ID | --older-than DAYS] [--budget-minutes N] [--budget-gb N]\n"
         "      --adopt: record the copies of studies archived before the catalog existed\n"
         "      --repair: copy again the studies whose copy an audit found damaged\n"},
        {"--restore",
         {kMetricsFile},
         true,
         "  --restore EXAM_ID...  bring removed studies back from their copies\n"},
        {"--report",
         {{"--json", false}},
         false,
         "  --report [--json]  what waits, how the last runs went, what removal would take\n"},
        {"--help", {}, false, "  --help         this text\n"},
    };
    return commands;
}

const CommandRule* FindCommand(const std::string& name) {
    for (const CommandRule& rule : Commands())
        if (name == rule.name || (name == "-h" && std::string(rule.name) == "--help")) return &rule;
    return nullptr;
}

const OptionRule* FindOption(const CommandRule& command, const std::string& name) {
    for (const OptionRule& option : command.options)
        if (name == option.name) return &option;
    return nullptr;
}

}  // namespace

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments,
                                            std::string& why) {
    CommandLine line;
    if (arguments.empty()) return line;
    const CommandRule* command = FindCommand(arguments.front());
    if (!command) {
        why = "unknown option " + arguments.front();
        return std::nullopt;
    }
    line.command = command->name;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!argument.starts_with("--")) {
            if (!command->takesOperands) {
                why = line.command + " takes no " + argument;
                return std::nullopt;
            }
            line.operands.push_back(argument);
            continue;
        }
        const OptionRule* option = FindOption(*command, argument);
        if (!option) {
            why = line.command + " has no option " + argument;
            return std::nullopt;
        }
        if (option->takesValue && i + 1 == arguments.size()) {
            why = argument + " needs a value";
            return std::nullopt;
        }
        line.options[argument] = option->takesValue ? arguments[++i] : "";
    }
    return line;
}

std::string UsageText() {
    std::string text =
        "usage: mirabel [COMMAND [OPTIONS]]\n"
        "  (no command)   the main window, working in the current directory\n"
        "Commands run without a window, in the current directory:\n";
    for (const CommandRule& command : Commands()) text += command.usage;
    text +=
        "--archive-now, --remove-now, --verify and --restore take --metrics-file PATH: the\n"
        "metrics file written after the work, in place of the setting \"Metrics File\"\n"
        "A dry run opens the image database read-only and writes nothing: no file, no row, no\n"
        "log (one debug line aside), no metrics file, no run record. Its exit status is the\n"
        "run's: 0 nothing would go wrong, 1 some study would fail or be kept, 2 cannot start.\n";
    return text;
}

std::optional<int> RunHeadlessCommand(const std::vector<std::string>& arguments) {
    std::string why;
    const std::optional<CommandLine> line = ParseCommandLine(arguments, why);
    if (!line) {
        std::fprintf(stderr, "mirabel: %s\n%s", why.c_str(), UsageText().c_str());
        return kHeadlessCannotStart;
    }
    if (line->command.empty()) return std::nullopt;
    if (line->Has("--metrics-file")) UseMetricsFileOption(line->options.at("--metrics-file"));
    if (line->command == "--help") {
        std::printf("%s", UsageText().c_str());
        return 0;
    }
    const bool dry = line->Has("--dry-run");
    // The commands that change studies stop as Cancel stops them when the program is asked to
    // end; the others only read and may end at once.
    std::optional<StopOnSignals> stopOnSignals;
    if (!dry && (line->command == "--archive-now" || line->command == "--remove-now" ||
                 line->command == "--restore"))
        stopOnSignals.emplace();
    if (line->command == "--archive-now")
        return dry ? RunArchiveDryRunHeadless() : RunArchiveNowHeadless();
    if (line->command == "--remove-now")
        return dry ? RunRemovalDryRunHeadless() : RunRemoveNowHeadless();
    if (line->command == "--count") return PrintStudyCountHeadless();
    if (line->command == "--verify") return RunVerifyHeadless(*line);
    if (line->command == "--restore") return RunRestoreHeadless(*line);
    if (line->command == "--report") return PrintStatusReportHeadless(*line);
    return kHeadlessCannotStart;
}

}  // namespace mirabel
