#include "skin/SkinEdit.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <utility>

namespace brindle::skin {

CSkinEdit::CSkinEdit(std::string name, int index, QWidget* parent)
    : QLineEdit(parent), m_name(std::move(name)), m_index(index) {
    setObjectName(QString::fromStdString(m_name));
    setFrame(false);
    setFocusPolicy(Qt::StrongFocus);
    // ASCII digits only, as typed; text set by the program is taken as it is.
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
}

}  // namespace brindle::skin
