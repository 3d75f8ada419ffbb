#include "app/workflow/ScanJob.h"

#include "app/workflow/GuardedJob.h"
#include "platform/ThreadPriority.h"

namespace brindle {

bool JobThread::start(ScanSession& session, std::function<void()> body) {
    if (m_thread.joinable() || !session.claimForJob()) return false;
    // A stop asked for the job before this one is not this job's.
    session.clearStop();
    m_thread = std::thread([&session, body = std::move(body)] {
        LowerCurrentThreadPriority();
        body();
        session.releaseFromJob();
    });
    return true;
}

void JobThread::wait() {
    if (m_thread.joinable()) m_thread.join();
}

ScanJob::~ScanJob() {
    if (m_thread.started()) stop();
    wait();
}

bool ScanJob::start(ProgressSink progress, Ended ended) {
    return m_thread.start(m_session, [this, progress = std::move(progress), ended = std::move(ended)] {
        m_session.setProgressSink(progress);
        ScanResult result;
        if (auto failure = RunGuarded("The scan", [&] { result = m_session.RunScan(); })) {
            result = ScanResult();
            result.end = ScanEnd::Failed;
            result.error = std::move(*failure);
        }
        m_session.setProgressSink(nullptr);
        if (ended) ended(std::move(result));
    });
}

}  // namespace brindle
