// The schedule panel's list of scheduled scans and its add and delete commands, over the
// system's task scheduler. A scheduled scan runs this program with "scan" in the work
// folder, under the user's account.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/CSubMainSkin.h"
#include "app/UserPrompts.h"
#include "platform/Machine.h"
#include "platform/TaskScheduler.h"

namespace brindle {

struct ScheduledScansSetup {
    Machine* machine = nullptr;
    // The window the add dialog belongs to.
    QWidget* owner = nullptr;
    // The system's task scheduler; the real one when unset.
    std::function<std::unique_ptr<TaskScheduler>()> openScheduler;
    // What a scheduled scan runs: this program, with these options before "scan", in the
    // work folder.
    std::string programPath;
    std::string scheduledOptions;
    std::string workFolder;
};

class ScheduledScans {
public:
    ScheduledScans(ScheduledScansSetup setup, UserPrompts& prompts);

    void add(CSubMainSkin& panel);
    // The list's current row, after the user confirmed it by its start and period.
    void remove(CSubMainSkin& panel);
    void fill(CSubMainSkin& panel);

private:
    TaskScheduler& scheduler();
    std::string taskName();

    ScheduledScansSetup m_setup;
    UserPrompts& m_prompts;
    std::unique_ptr<TaskScheduler> m_scheduler;
};

}  // namespace brindle
