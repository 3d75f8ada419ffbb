#include "app/ResultsList.h"

#include <algorithm>

#include "app/ScreenText.h"

namespace brindle {

int FillResultsList(skin::CSkinList& list, const ScanResult& result, const CodePage& codePage) {
    const auto screenText = [&](const std::string& ansi) { return ScreenText(codePage, ansi); };
    // Filled unsorted, so that each row's key is its place in the scan's lists.
    list.SetSortable(false);
    list.RemoveAllRows();
    for (const ProblemRecord& problem : result.problems)
        list.AddRow({QString(), screenText(TypeColumnText(problem)), screenText(problem.filePath())}, true,
                    screenText(problem.filePath()) + QLatin1Char('\n') + screenText(problem.keyPath()));
    if (result.shortcuts) {
        for (const std::string& path : result.shortcuts->missing)
            list.AddRow({QString(), QStringLiteral("SHORTCUT"), screenText(path)}, true, screenText(path));
    }
    list.SetSortable(true);
    return static_cast<int>(result.problems.size());
}

FixSelection ReadResultTicks(const skin::CSkinList& list, int problemRows) {
    FixSelection selection;
    const int rows = list.rowCount();
    const int problems = std::clamp(problemRows, 0, rows);
    selection.problemTicked.assign(static_cast<std::size_t>(problems), false);
    selection.shortcutTicked.assign(static_cast<std::size_t>(rows - problems), false);
    for (int row = 0; row < rows; ++row) {
        const int key = list.RowKey(row);
        if (key < 0 || key >= rows) continue;
        if (key < problems) {
            selection.problemTicked[static_cast<std::size_t>(key)] = list.IsRowChecked(row);
        } else {
            selection.shortcutTicked[static_cast<std::size_t>(key - problems)] = list.IsRowChecked(row);
        }
    }
    return selection;
}

}  // namespace brindle
