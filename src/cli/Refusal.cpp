#include "Refusal.h"

#include "JsonProgress.h"
#include "Outcome.h"
#include "PrintingSinks.h"

#include <ostream>

namespace tessary::cli {

int ReportRefusal(const Request& request, const std::string& command,
                  const std::vector<std::string>& lines, const std::string& footer,
                  std::ostream& out, std::ostream& err) {
    Outcome outcome;
    outcome.command = command;
    outcome.exitCode = kExitUsage;
    for (const std::string& line : lines) {
        outcome.messages.push_back({line, "", MessageIcon::None, ""});
    }
    if (request.progress == "json") {
        JsonProgress progress(err);
        progress.Begin(command, ""); // no board was contacted
        for (const ShownMessage& message : outcome.messages) {
            progress.ShowMessage(message);
        }
        progress.Finish(outcome);
    } else {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            err << (i == 0 ? "error: " : "") << lines[i] << '\n';
        }
        if (!footer.empty()) {
            err << footer << '\n';
        }
    }
    if (request.json) {
        out << OutcomeJson(outcome) << '\n';
    }
    out.flush();
    err.flush();
    return kExitUsage;
}

} // namespace tessary::cli
