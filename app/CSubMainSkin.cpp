#include "app/CSubMainSkin.h"

#include <QMouseEvent>
#include <QPainter>

#include "app/ControlNames.h"
#include "app/Summary.h"
#include "skin/SkinScreenLoader.h"

namespace brindle {

namespace {

// Only these panels get a list; the list section of any other panel stays unread.
constexpr const char* kResultPanel = control::kPanelResult;
constexpr const char* kIgnoredPanel = control::kPanelIgnored;
constexpr const char* kSchedulePanel = control::kPanelSchedule;

}  // namespace

CSubMainSkin::CSubMainSkin(QWidget* parent) : QWidget(parent) {}

void CSubMainSkin::Build(const skin::CSkinIni& ini, const std::filesystem::path& skinFolder,
                         const skin::ScreenImageLine& line, int index) {
    Clear();
    setGeometry(line.rect.left, line.rect.top, std::max(0, line.rect.width()), std::max(0, line.rect.height()));
    skin::LoadScreenImages(*this, skinFolder, line);
    m_name = line.name;
    m_index = index;
    skin::LoadScreenElements(*this, this, ini, skin::PanelSections(m_name));

    const std::string panel = skin::PanelSectionPrefix(m_name);
    if (panel == kResultPanel || panel == kIgnoredPanel || panel == kSchedulePanel) {
        if (const auto list = skin::ReadListSection(ini, panel + "_LISTINFO")) {
            if (panel == kSchedulePanel) {
                m_scheduleList = new QTableWidget(this);
                skin::ApplyListLine(*m_scheduleList, *list);
                m_scheduleList->show();
            } else {
                m_checkList = new skin::CSkinList(*list, this);
                m_checkList->show();
            }
        }
    }
    update();
}

void CSubMainSkin::ButtonPressedByIndex(int index) {
    if (const std::optional<std::string> name = ButtonNameByIndex(index)) ButtonPressed(*name);
}

void CSubMainSkin::ButtonPressed(const std::string& name) { emit panelButton(name); }

void CSubMainSkin::Clear() {
    SkinElementSet::Clear();
    delete m_checkList;
    m_checkList = nullptr;
    delete m_scheduleList;
    m_scheduleList = nullptr;
}

void CSubMainSkin::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    skin::DrawSkinImage(painter, NormalImage(), 0, 0, width(), height());
}

void CSubMainSkin::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        DragWindowByBackground(*this);
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

bool CSubMainSkin::holdsCategories() const { return FindButton(control::kButtonAll) != nullptr; }

}  // namespace brindle
