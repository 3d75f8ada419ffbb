#include "app/AboutDialog.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QLabel>
#include <QStringList>
#include <QVBoxLayout>

#include "app/ProgramIcon.h"
#include "resources/art/AboutText.h"

#ifndef BRINDLE_VERSION
#error "BRINDLE_VERSION must be defined by the build (the project's version)"
#endif

namespace brindle {

namespace {

constexpr int kIconPixels = 48;

QLabel* NewLabel(const QString& objectName, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    return label;
}

}  // namespace

QString ProgramVersion() { return QStringLiteral(BRINDLE_VERSION); }

QString AboutDescription() {
    QStringList lines;
    for (const char* line : about::kDescriptionLines) lines << QString::fromUtf8(line);
    return lines.join(u'\n');
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About %1").arg(QString::fromUtf8(about::kName)));
    const QIcon icon = ProgramIcon();
    setWindowIcon(icon);

    // Laid out as the skin's About page is: the mark, the name, the version and the
    // description, one under the other and centred.
    auto* iconLabel = NewLabel(QStringLiteral("iconLabel"), QString(), this);
    iconLabel->setPixmap(icon.pixmap(kIconPixels, kIconPixels));

    auto* name = NewLabel(QStringLiteral("nameLabel"), QString::fromUtf8(about::kName), this);
    QFont nameFont = name->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.6);
    name->setFont(nameFont);

    auto* version = NewLabel(QStringLiteral("versionLabel"),
                             QString::fromUtf8(about::kVersionLine).arg(ProgramVersion()), this);
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* description = NewLabel(QStringLiteral("descriptionLabel"), AboutDescription(), this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setCenterButtons(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 20, 28, 14);
    layout->setSpacing(4);
    layout->addWidget(iconLabel, 0, Qt::AlignHCenter);
    layout->addSpacing(4);
    layout->addWidget(name, 0, Qt::AlignHCenter);
    layout->addWidget(version, 0, Qt::AlignHCenter);
    layout->addSpacing(10);
    layout->addWidget(description, 0, Qt::AlignHCenter);
    layout->addSpacing(14);
    layout->addWidget(buttons);
    for (QLabel* label : {name, version, description}) label->setAlignment(Qt::AlignHCenter);
    // Nothing in it changes size, so neither should the dialog.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace brindle
