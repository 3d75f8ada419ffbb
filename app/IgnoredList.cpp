#include "app/IgnoredList.h"

#include <vector>

#include "app/ScreenText.h"
#include "app/workflow/IgnoreListEditing.h"

namespace brindle {

void FillIgnoredList(skin::CSkinList& list, const std::filesystem::path& workFolder, const CodePage& codePage) {
    list.RemoveAllRows();
    IgnoreListEditing editing(workFolder);
    if (!editing.error().empty()) {
        list.AddRow({QString(), QString::fromStdString(editing.error())});
        list.setEnabled(false);
        return;
    }
    list.setEnabled(true);
    for (const std::string& path : editing.entries()) list.AddRow({QString(), ScreenText(codePage, path)});
}

Status RemoveTickedIgnored(skin::CSkinList& list, const std::filesystem::path& workFolder,
                           const LockForWriting& lockForWriting, const CodePage& codePage) {
    std::vector<bool> ticked;
    for (int row = 0; row < list.rowCount(); ++row) ticked.push_back(list.IsRowChecked(row));
    Status result;
    {
        auto locks = lockForWriting ? lockForWriting() : Result<WriterLocks>(WriterLocks());
        if (!locks) return locks.error();
        IgnoreListEditing editing(workFolder);
        const IgnoreEdit edit = editing.removeChecked(ticked);
        if (edit.outcome == IgnoreEdit::Outcome::Failed) result = Error(edit.error);
    }
    FillIgnoredList(list, workFolder, codePage);
    return result;
}

}  // namespace brindle
