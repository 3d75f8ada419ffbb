// CAddScheduleDialog: adds a start time to the scheduled scan task: a date, a time
// without seconds in the user's format, and how often ("Sofort", "Täglich",
// "Wöchentlich", "Monatlich"). OK adds it through the system's scheduler and tells the
// user how that went.
#pragma once

#include <QButtonGroup>
#include <QDateEdit>
#include <QDialog>
#include <QTimeEdit>

#include <functional>
#include <string>

#include "platform/TaskScheduler.h"

namespace brindle {

class CAddScheduleDialog : public QDialog {
    Q_OBJECT

public:
    // `task` holds the program, its folder and the account; the dialog adds the start and
    // the kind. `tell` shows the outcome's message.
    CAddScheduleDialog(TaskScheduler& scheduler, std::string taskName, ScheduledTask task,
                       std::function<void(const std::string&)> tell, QWidget* parent = nullptr);

    QDateEdit& startDate() { return *m_date; }
    QTimeEdit& startTime() { return *m_time; }
    // 0 once, 1 daily, 2 weekly, 3 monthly.
    void setFrequency(int index);
    int frequency() const;

    // OK: builds the start from the two pickers and adds it; the dialog then closes.
    void OnOK();

private:
    TaskScheduler& m_scheduler;
    std::string m_taskName;
    ScheduledTask m_task;
    std::function<void(const std::string&)> m_tell;
    QDateEdit* m_date = nullptr;
    QTimeEdit* m_time = nullptr;
    QButtonGroup m_frequency;
};

// The user's short time format with its seconds left out.
QString TimePickerFormat();

}  // namespace brindle
