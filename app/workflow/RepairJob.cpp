#include "app/workflow/RepairJob.h"

#include "app/workflow/GuardedJob.h"
#include "app/workflow/SnapshotName.h"
#include "app/workflow/SummaryFix.h"

namespace brindle {

RepairJob::RepairJob(ScanSession& session, LockForWriting lockForWriting, std::function<std::string()> snapshotName)
    : m_session(session), m_lockForWriting(std::move(lockForWriting)), m_snapshotName(std::move(snapshotName)) {}

RepairJob::~RepairJob() {
    if (m_thread.started()) stop();
    wait();
}

bool RepairJob::startSelected(FixSelection selection, ProgressSink progress, Ended ended) {
    return start(
        [this, selection = std::move(selection)](const std::string& snapshotFileName) {
            return FixSelected(m_session, selection, snapshotFileName);
        },
        std::move(progress), std::move(ended));
}

bool RepairJob::startEverything(ProgressSink progress, Ended ended) {
    return start([this](const std::string& snapshotFileName) { return SummaryFix(m_session, snapshotFileName); },
                 std::move(progress), std::move(ended));
}

bool RepairJob::start(Body body, ProgressSink progress, Ended ended) {
    // Named from the moment the user asked for the repair, not from when the locks came.
    const std::string snapshotFileName = m_snapshotName ? m_snapshotName() : SnapshotFileNameNow();
    return m_thread.start(m_session, [this, body = std::move(body), progress = std::move(progress),
                                      ended = std::move(ended), snapshotFileName] {
        m_session.setProgressSink(progress);
        FixReport report;
        if (const auto failure = RunGuarded("The repair", [&] {
                // Held to the repair's end: released when this scope ends.
                Result<WriterLocks> locks = m_lockForWriting ? m_lockForWriting() : Result<WriterLocks>(WriterLocks());
                if (!locks) {
                    report.fail(FixOutcome::Failed, locks.error().message());
                    return;
                }
                report = body(snapshotFileName);
            })) {
            report = FixReport();
            report.fail(FixOutcome::Failed, *failure);
        }
        m_session.setProgressSink(nullptr);
        if (ended) ended(std::move(report));
    });
}

}  // namespace brindle
