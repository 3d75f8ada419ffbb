#include "app/CMainSkin.h"

#include "app/CentredMessageBox.h"

#include <QDebug>
#include <QMessageBox>

#include <utility>

#include "skin/ImageToRegion.h"
#include "skin/SkinScreenLoader.h"
#include "skin/SkinSource.h"
#include "skin/definition/SkinSections.h"

namespace brindle {

CMainSkin::CMainSkin(QWidget* parent) : Summary(parent) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
}

CMainSkin::~CMainSkin() { CMainSkin::Clear(); }

bool CMainSkin::InitialiseFromSkin(const std::optional<std::filesystem::path>& skinFolder) {
    Result<skin::CSkinIni> definition = skin::LoadSkinDefinition(skinFolder);
    if (!definition) {
        qWarning().noquote() << QString::fromStdString(definition.error().message());
        tell(kSkinNotFoundCaption, kSkinNotFoundMessage);
        reject();
        return false;
    }
    m_ini = std::make_unique<skin::CSkinIni>(std::move(definition).value());
    BuildFromSkin(*m_ini, skinFolder);
    return true;
}

void CMainSkin::BuildFromSkin(const skin::CSkinIni& ini, const std::optional<std::filesystem::path>& skinFolder) {
    Clear();
    const skin::SkinImage mask = skin::LoadMainImages(*this, skinFolder, skin::ReadMainImages(ini));
    // The window keeps its place and takes the mask's size.
    resize(mask.size());
    SetWindowRegion(mask);
    skin::LoadScreenElements(*this, this, ini, skin::MainScreenSections());
    for (const auto& [index, line] : skin::ReadScreenImageSection(ini, "SUBMAINSCREENINFO")) {
        auto* panel = new CSubMainSkin(this);
        // A panel takes a plain folder: an empty one is no folder, the built-in skin alone.
        panel->Build(ini, skinFolder.value_or(std::filesystem::path()), line, index);
        m_panels.push_back(panel);
    }
    // The current page is marked by its button's disabled picture.
    Enable("BUTTON_MAIN", false);
    update();
}

void CMainSkin::SetWindowRegion(const skin::SkinImage& mask) {
    const std::optional<QRegion> region = skin::ImageToRegion(mask.image());
    // An all-white mask gives an empty region, which would hide the whole window.
    if (!region || region->isEmpty()) {
        clearMask();
        tell(kProgramCaption, kRegionIsNullMessage);
    } else {
        setMask(*region);
    }
    update();
}

void CMainSkin::ShowSubScreen(const std::string& name) {
    for (CSubMainSkin* panel : m_panels) {
        if (panel->name() != name) {
            panel->hide();
            continue;
        }
        m_current = panel;
        panel->show();
        panel->Hide("BUTTON_SCAN", false);
        panel->update();
    }
}

void CMainSkin::ShowPage(const std::string& panelName, const std::string& pageButton) {
    ShowSubScreen(panelName);
    EnableAll(true);
    Enable(pageButton, false);
}

CSubMainSkin* CMainSkin::panel(const std::string& name) const {
    for (CSubMainSkin* panel : m_panels) {
        if (panel->name() == name) return panel;
    }
    return nullptr;
}

void CMainSkin::Clear() {
    Summary::Clear();
    for (CSubMainSkin* panel : m_panels) panel->deleteLater();
    for (CSubMainSkin* panel : m_panels) panel->hide();
    m_panels.clear();
    m_current = nullptr;
}

void CMainSkin::tell(const std::string& caption, const std::string& text) {
    ShowMessage(this, QMessageBox::Information, QString::fromStdString(caption), QString::fromStdString(text));
}

void CMainSkin::warn(const std::string& caption, const std::string& text) {
    ShowMessage(this, QMessageBox::Critical, QString::fromStdString(caption), QString::fromStdString(Sentence(text)));
}

void CMainSkin::caution(const std::string& caption, const std::string& text) {
    ShowMessage(this, QMessageBox::Warning, QString::fromStdString(caption), QString::fromStdString(Sentence(text)));
}

std::string Sentence(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

}  // namespace brindle
