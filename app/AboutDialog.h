// AboutDialog: the program's own About box, opened from the window's system menu entry.
#pragma once

#include <QDialog>
#include <QString>

namespace brindle {

inline constexpr const char* kAboutMenuText = "&About Brindle...";

// The version the build was made as (the project's version in CMake).
QString ProgramVersion();
// What the program does, in the lines the skin's About page shows it in.
QString AboutDescription();

// What the skin's About page says (resources/art/AboutText.h), under the program's icon:
// the name, "Version <v>", what the program does, and OK. Its labels carry the object
// names "iconLabel", "nameLabel", "versionLabel" and "descriptionLabel".
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace brindle
