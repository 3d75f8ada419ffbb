// CThreadSummary: one scan and its repair in a summary window of their own, started by a
// scan button on a panel. It owns the window and the jobs under it: the scan job, then on
// "BUTTON_FIXERROR" the repair job, each reporting its end to the window's thread. The
// window passes through the error-scan, scan-complete, error-fixing and fix-complete
// screens; a stop closes it, and so do "BUTTON_CANCEL", "BUTTON_OK", Escape and the window
// manager's close, except while the repair runs (it has no way out but its end).
#pragma once

#include <QObject>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/ControlNames.h"
#include "app/Summary.h"
#include "app/workflow/FixReport.h"
#include "app/workflow/ProgressEvents.h"
#include "app/workflow/RepairJob.h"
#include "app/workflow/ScanJob.h"
#include "app/workflow/ScanSession.h"
#include "platform/Machine.h"
#include "platform/Result.h"
#include "skin/definition/SkinIni.h"

namespace brindle {

struct SummarySetup {
    Machine* machine = nullptr;
    // The window the summary window opens over, centred on it and kept above it; it must
    // outlive the summary. None: the summary window stands alone where its skin puts it.
    QWidget* owner = nullptr;
    std::filesystem::path workFolder;
    const skin::CSkinIni* skin = nullptr;
    // The user skin folder the main window was built from; the built-in skin when unset.
    std::optional<std::filesystem::path> skinFolder;
    // The categories to scan, as the panel's check boxes were when the scan was asked for.
    std::vector<ScanCategory> categories;
    // The one-writer locks the repair holds; an error names who holds them.
    LockForWriting lockForWriting;
    // What the workers' failures say to the user; a message box unless tests record it.
    std::function<void(const std::string& caption, const std::string& text)> tell;
};

class CThreadSummary : public QObject {
    Q_OBJECT

public:
    explicit CThreadSummary(SummarySetup setup, QObject* parent = nullptr);
    ~CThreadSummary() override;

    // Builds the error-scan screen with its animation, shows the window and starts the scan.
    void InitInstance();
    // Closes the window as "BUTTON_CANCEL" does: a running job is asked to stop and
    // waited for first.
    void Close();
    // Stops the scan if it is still running; the window then closes as on its own stop
    // button. Nothing at any other time: a repair is never cut off from outside.
    void StopScan();
    // From InitInstance until Close.
    bool isOpen() const { return m_stage != Stage::NotStarted && m_stage != Stage::Closed; }

    Summary& window() { return m_window; }

signals:
    // The window has closed (a stop, cancel or OK); the scan state may be dropped.
    void closed();
    // A screen was reached; for tests and whoever waits on the window.
    void scanCompleteShown();
    void fixCompleteShown();

protected:
    // Escape and the window manager's close end the road as "BUTTON_CANCEL" does.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Stage { NotStarted, Scanning, ScanComplete, Fixing, FixComplete, Closed };

    void OnButton(const std::string& name);
    // Escape or the window manager's close: ignored while the repair runs.
    void OnCloseRequest();
    void StartFix();
    void OnScanFinished(const ScanResult& result);
    void OnFixFinished(const FixReport& report);
    // The jobs' progress, posted to the window's thread.
    ProgressSink progressSink();
    void OnSummaryProgress();
    void joinWorker();

    SummarySetup m_setup;
    ScanSession m_session;
    Summary m_window;
    ProgressMailbox m_progress;
    Stage m_stage = Stage::NotStarted;
    // Last, so that they are waited for before what they report to goes.
    ScanJob m_scanJob;
    RepairJob m_repairJob;
};

}  // namespace brindle
