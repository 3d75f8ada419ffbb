#include "app/AboutDialog.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/ProgramIcon.h"

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

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Brindle"));
    const QIcon icon = ProgramIcon();
    setWindowIcon(icon);

    auto* iconLabel = NewLabel(QStringLiteral("iconLabel"), QString(), this);
    iconLabel->setPixmap(icon.pixmap(kIconPixels, kIconPixels));
    iconLabel->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* name = NewLabel(QStringLiteral("nameLabel"), QStringLiteral("Brindle"), this);
    QFont nameFont = name->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.6);
    name->setFont(nameFont);

    auto* version = NewLabel(QStringLiteral("versionLabel"), QStringLiteral("Version %1").arg(ProgramVersion()), this);
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* description = NewLabel(
        QStringLiteral("descriptionLabel"),
        QStringLiteral("Finds registry entries of a Wine prefix that name files which no longer exist."), this);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(name);
    texts->addWidget(version);
    texts->addSpacing(8);
    texts->addWidget(description);
    texts->addStretch();

    auto* body = new QHBoxLayout;
    body->setSpacing(16);
    body->addWidget(iconLabel);
    body->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 14);
    layout->setSpacing(16);
    layout->addLayout(body);
    layout->addWidget(buttons);
    // Nothing in it changes size, so neither should the dialog.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace brindle
