// The jobs of a scan session, each on a thread of its own: ScanJob scans, RepairJob
// removes what the scan listed. Every road runs them alike (the window's main screen,
// its summary window and the command-line tool), so each owns what a job needs apart
// from its body: the thread, its lowest priority, the guard that turns an escaped
// exception into a failure, the session's claim (one job at a time), and, for the repair,
// the one-writer locks and the snapshot file's name.
//
// A job tells its owner through callbacks on the job's own thread: the progress as it
// goes, then its end once, as the thread's last act. A window posts both to its own
// thread; a terminal waits for the job. The owner calls wait() before it starts the next
// job on the session or lets the session go; the destructor asks the job to stop and waits.
#pragma once

#include <functional>
#include <thread>

#include "app/workflow/ProgressEvents.h"
#include "app/workflow/ScanSession.h"

namespace brindle {

// The thread under a job: started once per job, waited for before the next.
class JobThread {
public:
    JobThread() = default;
    JobThread(const JobThread&) = delete;
    JobThread& operator=(const JobThread&) = delete;
    // Waits for a body still running; its owner asked it to stop first.
    ~JobThread() { wait(); }

    // Claims the session and runs body on a new thread at the lowest priority, then
    // releases the session. False, with nothing started, while a job of this thread has
    // not been waited for or another job holds the session.
    bool start(ScanSession& session, std::function<void()> body);
    void wait();
    // From start() until wait(), the job's end included.
    bool started() const { return m_thread.joinable(); }

private:
    std::thread m_thread;
};

class ScanJob {
public:
    using Ended = std::function<void(ScanResult)>;

    explicit ScanJob(ScanSession& session) : m_session(session) {}
    ~ScanJob();

    // Scans the session's selected categories. progress hears every step, ended the
    // result (a scan that broke off on an exception ends Failed, its error saying why).
    // False when a job runs on the session: nothing was started, nothing will be called.
    bool start(ProgressSink progress, Ended ended);
    // Asks the scan to stop at its next poll; from any thread.
    void stop() { m_session.requestStop(); }
    void wait() { m_thread.wait(); }
    bool started() const { return m_thread.started(); }

private:
    ScanSession& m_session;
    JobThread m_thread;
};

}  // namespace brindle
