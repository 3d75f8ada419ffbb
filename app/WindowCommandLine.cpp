#include "app/WindowCommandLine.h"

namespace brindle {

namespace {

// Quotes a word for the scheduler's command line (platform/TaskJobCommand's
// SplitCommandLine): within quotes only a quote needs a backslash.
std::string QuotedWord(const std::string& word) {
    std::string quoted = "\"";
    for (const char c : word) {
        if (c == '"') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

Result<WindowOptions> ParseWindowCommandLine(const QStringList& arguments) {
    WindowOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.startsWith(QLatin1String("--"))) {
            options.words.push_back(argument);
            continue;
        }
        QString name = argument;
        std::optional<QString> value;
        if (const qsizetype equals = argument.indexOf(QLatin1Char('=')); equals > 0) {
            name = argument.left(equals);
            value = argument.mid(equals + 1);
        }
        if (name != QLatin1String("--work-dir") && name != QLatin1String("--skin"))
            return Error("unknown option " + argument.toStdString() + "; the window knows --work-dir DIR and --skin DIR");
        if (!value) {
            if (i + 1 >= arguments.size()) return Error(name.toStdString() + " needs a folder");
            value = arguments[++i];
        }
        if (value->isEmpty()) return Error(name.toStdString() + " names no folder");
        const std::string folder = value->toStdString();
        if (name == QLatin1String("--work-dir")) {
            options.workDir = folder;
        } else {
            options.skinFolder = std::filesystem::path(folder);
        }
    }
    return options;
}

std::string ScheduledScanOptions(const WindowOptions& options) {
    std::string text;
    std::error_code error;
    if (options.workDir) text += "--work-dir " + QuotedWord(std::filesystem::absolute(*options.workDir, error).string()) + " ";
    if (options.skinFolder)
        text += "--skin " + QuotedWord(std::filesystem::absolute(*options.skinFolder, error).string()) + " ";
    return text;
}

}  // namespace brindle
