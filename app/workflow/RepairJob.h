// The repair of what a scan listed, on a thread of its own (see ScanJob.h for what every
// job owns). Two repairs exist: the results list's, which removes the ticked rows and
// keeps the unticked ones (FixSelected), and the summary window's, which removes
// everything listed after an export of the whole registry (SummaryFix).
#pragma once

#include <functional>
#include <string>

#include "app/workflow/FixReport.h"
#include "app/workflow/FixSelected.h"
#include "app/workflow/ScanJob.h"
#include "app/workflow/SnapshotName.h"
#include "app/workflow/WriterLocks.h"
#include "platform/Result.h"

namespace brindle {

using LockForWriting = std::function<Result<WriterLocks>()>;

class RepairJob {
public:
    using Ended = std::function<void(FixReport)>;

    // lockForWriting: the one-writer locks, taken on the job's thread before the repair
    // reads anything and held to its end; unset when the owner holds them for longer (the
    // command-line tool holds them from its scan on). snapshotName: the snapshot file's
    // name from the time the repair starts; the session picks a free variant of it.
    explicit RepairJob(ScanSession& session, LockForWriting lockForWriting = {},
                       std::function<std::string()> snapshotName = SnapshotFileNameNow);
    ~RepairJob();

    // Removes the rows the selection ticks and keeps the others.
    bool startSelected(FixSelection selection, ProgressSink progress, Ended ended);
    // Removes everything the scan listed, after an export of the whole registry.
    bool startEverything(ProgressSink progress, Ended ended);

    // Asks the repair to stop before its next step; one that has begun to write the
    // registry finishes that first.
    void stop() { m_session.requestStop(); }
    void wait() { m_thread.wait(); }
    bool started() const { return m_thread.started(); }

private:
    using Body = std::function<FixReport(const std::string& snapshotFileName)>;
    bool start(Body body, ProgressSink progress, Ended ended);

    ScanSession& m_session;
    LockForWriting m_lockForWriting;
    std::function<std::string()> m_snapshotName;
    JobThread m_thread;
};

}  // namespace brindle
