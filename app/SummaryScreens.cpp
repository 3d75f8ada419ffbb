// The summary window's screens: error scan (with the animation), scan complete, error
// fixing and fix complete, each laid out by its own sections of the skin definition.
#include <QHeaderView>
#include <QScreen>

#include <algorithm>

#include "app/ControlNames.h"
#include "app/Summary.h"
#include "skin/SkinList.h"
#include "skin/SkinScreenLoader.h"
#include "skin/SkinSource.h"
#include "skin/definition/SkinSections.h"

namespace brindle {

namespace {

constexpr const char* kErrorScanScreen = "SCREENERRORSCAN";
constexpr const char* kScanCompleteScreen = "SCREENSCANCOMPLETE";
constexpr const char* kErrorFixingScreen = "SCREENERRORFIXING";
constexpr const char* kFixCompleteScreen = "SCREENFIXCOMPLETE";

QRect ToQRect(const skin::SkinRect& rect) {
    return {rect.left, rect.top, std::max(0, rect.width()), std::max(0, rect.height())};
}

QString Number(std::int64_t number) { return QString::number(number); }

// `place` moved in as far as it must to stay on `screen`; a window larger than the screen
// keeps its top left corner on it.
QRect KeptOnScreen(QRect place, const QScreen* screen) {
    if (screen == nullptr) return place;
    const QRect area = screen->availableGeometry();
    place.moveLeft(std::max(area.left(), std::min(place.left(), area.left() + area.width() - place.width())));
    place.moveTop(std::max(area.top(), std::min(place.top(), area.top() + area.height() - place.height())));
    return place;
}

// The middle of what the user sees of `window`: a skinned window is shaped by its mask,
// and the corners the mask leaves out would pull the middle of its rectangle aside.
QPoint VisibleCentre(const QWidget& window) {
    const QRect shown = window.mask().isEmpty() ? window.rect() : window.mask().boundingRect();
    // A top-level window's geometry is on the screen already; mapToGlobal can lag behind a
    // move the window manager made (seen on X11 with a frameless window).
    return window.geometry().topLeft() + shown.center();
}

}  // namespace

void Summary::DropScreenControls() {
    Clear();
    delete m_resultList;
    delete m_animation;
}

bool Summary::BuildSummaryScreen(const skin::CSkinIni& ini, const std::optional<std::filesystem::path>& skinFolder,
                                 const std::string& screen) {
    DropScreenControls();
    const auto lines = skin::ReadScreenImageSection(ini, screen + "INFO");
    if (lines.empty()) return false;
    const skin::ScreenImageLine& line = lines.front().line;
    skin::LoadScreenImages(*this, skinFolder, line);
    m_screen = line.name;
    // Each screen takes its own image's size: screens of one skin differ in height, and a
    // screen kept at the first one's size would be cut off or left with an empty band.
    // The first is centred over the window it belongs to (at its line's position when it
    // belongs to none); the ones after it keep the centre of the one before, where the
    // user may have dragged it, so that a window centred on its owner stays so.
    const QSize size = NormalImage().isEmpty() ? ToQRect(line.rect).size() : NormalImage().size();
    QRect place(QPoint(line.rect.left, line.rect.top), size);
    const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    if (m_placed) {
        place.moveCenter(geometry().center());
    } else if (owner != nullptr) {
        place.moveCenter(VisibleCentre(*owner));
    }
    setGeometry(KeptOnScreen(place, owner != nullptr ? owner->screen() : QWidget::screen()));
    m_placed = true;
    skin::LoadScreenElements(*this, this, ini, skin::SummaryScreenSections(screen));
    update();
    return true;
}

void Summary::FillResultList(const skin::CSkinIni& ini, const std::string& screen, const SummaryTable& table) {
    const auto line = skin::ReadListSection(ini, screen + "_LISTINFO");
    if (!line) return;
    m_resultList = new QTableWidget(this);
    skin::ApplyListLine(*m_resultList, *line);
    m_resultList->setRowCount(static_cast<int>(table.rows.size()));
    for (std::size_t row = 0; row < table.rows.size(); ++row) {
        for (std::size_t column = 0; column < table.rows[row].size(); ++column) {
            if (static_cast<int>(column) >= m_resultList->columnCount()) break;
            m_resultList->setItem(static_cast<int>(row), static_cast<int>(column),
                                  new QTableWidgetItem(QString::fromStdString(table.rows[row][column])));
        }
    }
    m_resultList->show();
}

void Summary::ShowErrorScanScreen(const skin::CSkinIni& ini, const std::optional<std::filesystem::path>& skinFolder) {
    BuildSummaryScreen(ini, skinFolder, kErrorScanScreen);
    if (const auto rect = skin::ReadDimension(ini, "SCANSCREENANIMATION")) {
        m_animation = new CAnimationHost(ToQRect(*rect), this);
        // A movie that cannot be shown is left out; the scan runs all the same.
        if (m_animation->putMovie(skin::LoadScanAnimation(skinFolder))) m_animation->Play();
    }
}

void Summary::ShowScanCompleteScreen(const skin::CSkinIni& ini, const std::optional<std::filesystem::path>& skinFolder,
                                     const SummaryTable& table) {
    BuildSummaryScreen(ini, skinFolder, kScanCompleteScreen);
    FillResultList(ini, kScanCompleteScreen, table);
    SetText(control::kTextScancompleteItemscanned, Number(table.scanned));
    SetText(control::kTextScancompleteErrorfound, Number(table.found));
    SetText(control::kTextScreenscancompleteTitle, QString::fromStdString(ScanCompleteTitle(table.found)));
}

void Summary::ShowErrorFixingScreen(const skin::CSkinIni& ini, const std::optional<std::filesystem::path>& skinFolder) {
    BuildSummaryScreen(ini, skinFolder, kErrorFixingScreen);
}

void Summary::ShowFixCompleteScreen(const skin::CSkinIni& ini, const std::optional<std::filesystem::path>& skinFolder,
                                    const SummaryTable& table) {
    BuildSummaryScreen(ini, skinFolder, kFixCompleteScreen);
    FillResultList(ini, kFixCompleteScreen, table);
    SetText(control::kTextFixcompleteStatus, QString::fromLatin1(kFixedStatusText));
    SetText(control::kTextFixcompleteItemscanned, Number(table.scanned));
    SetText(control::kTextFixcompleteErrorfound, Number(table.found));
    SetText(control::kTextFixcompleteFixed, Number(table.fixed));
}

}  // namespace brindle
