// CSkinEdit: a numeric edit box of a skinned screen (the scan period, the backup count).
// Frameless, so that it sits on the screen's picture; only the digits 0-9 can be typed.
// It draws itself as any edit box does, in the default font: the font and colour fields
// of its skin line do not apply to it.
#pragma once

#include <QLineEdit>

#include <string>

namespace brindle::skin {

class CSkinEdit : public QLineEdit {
    Q_OBJECT

public:
    CSkinEdit(std::string name, int index, QWidget* parent);

    const std::string& Name() const { return m_name; }
    int Index() const { return m_index; }

private:
    std::string m_name;
    int m_index = 0;
};

}  // namespace brindle::skin
