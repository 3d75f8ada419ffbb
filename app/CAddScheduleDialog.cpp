#include "app/CAddScheduleDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/ProgramIcon.h"
#include "app/workflow/ScheduleCommands.h"

namespace brindle {

namespace {

// Texts of the dialog, as the program has always had them.
const char* const kFrequencyTexts[] = {"Sofort", "Täglich", "Wöchentlich", "Monatlich"};

}  // namespace

QString TimePickerFormat() {
    const QString format = QLocale::system().timeFormat(QLocale::ShortFormat);
    // The separator is whatever follows the hours.
    QString separator = QStringLiteral(":");
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != 'h' && format[i] != 'H') {
            if (i > 0) separator = format.mid(i, 1);
            break;
        }
    }
    return QString::fromStdString(TimeFormatWithoutSeconds(format.toStdString(), separator.toStdString()));
}

CAddScheduleDialog::CAddScheduleDialog(TaskScheduler& scheduler, std::string taskName, ScheduledTask task,
                                       std::function<void(const std::string&)> tell, QWidget* parent)
    : QDialog(parent),
      m_scheduler(scheduler),
      m_taskName(std::move(taskName)),
      m_task(std::move(task)),
      m_tell(std::move(tell)) {
    setWindowTitle(QStringLiteral("Zeitplanung hinzufügen"));
    setWindowIcon(ProgramIcon());
    // The dialog speaks German throughout: its date picker's month and day names too,
    // whatever the user's own language.
    setLocale(QLocale(QLocale::German, QLocale::Germany));
    const QDateTime now = QDateTime::currentDateTime();
    m_date = new QDateEdit(now.date(), this);
    m_date->setLocale(locale());
    m_date->setCalendarPopup(true);
    m_time = new QTimeEdit(now.time(), this);
    m_time->setDisplayFormat(TimePickerFormat());

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Datum starten"), m_date);
    form->addRow(QStringLiteral("Zeit starten"), m_time);

    auto* group = new QGroupBox(QStringLiteral("Frequenz"), this);
    auto* choices = new QVBoxLayout(group);
    for (int i = 0; i < 4; ++i) {
        auto* button = new QRadioButton(QString::fromUtf8(kFrequencyTexts[i]), group);
        m_frequency.addButton(button, i);
        choices->addWidget(button);
    }
    setFrequency(0);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CAddScheduleDialog::OnOK);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(group);
    layout->addWidget(buttons);
}

void CAddScheduleDialog::setFrequency(int index) {
    if (QAbstractButton* button = m_frequency.button(index)) button->setChecked(true);
}

int CAddScheduleDialog::frequency() const { return std::max(0, m_frequency.checkedId()); }

void CAddScheduleDialog::OnOK() {
    const QDate date = m_date->date();
    const QTime time = m_time->time();
    ScheduledTask task = m_task;
    task.start = TaskTime{static_cast<std::uint16_t>(date.year()),
                          static_cast<std::uint16_t>(date.month()),
                          static_cast<std::uint16_t>(date.dayOfWeek() % 7),  // Sunday is 0
                          static_cast<std::uint16_t>(date.day()),
                          static_cast<std::uint16_t>(time.hour()),
                          static_cast<std::uint16_t>(time.minute()),
                          0,
                          0};
    // The window hands in the options its own scan runs with; "scan" alone otherwise.
    if (task.parameters.empty()) task.parameters = "scan";
    task.kind = frequency() + 1;
    m_tell(AddScheduledScan(m_scheduler, m_taskName, task));
    accept();
}

}  // namespace brindle
