// CMainSkin: the main window as the skin makes it. It reads the skin definition (the
// built-in one from memory, or "Skin.ini" of a user skin folder named on purpose), takes
// its four full-window images and shape from it, builds the main buttons and labels and
// one CSubMainSkin panel per [SUBMAINSCREENINFO] line, and shows one panel at a time. The
// application's main dialog derives from it and handles the buttons' commands.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CSubMainSkin.h"
#include "app/Summary.h"
#include "app/workflow/UserTexts.h"
#include "skin/SkinImage.h"
#include "skin/definition/SkinIni.h"

namespace brindle {

class CMainSkin : public Summary {
    Q_OBJECT

public:
    explicit CMainSkin(QWidget* parent = nullptr);
    ~CMainSkin() override;

    // The dialog's initialisation: reads the definition of the user skin folder
    // `skinFolder`, or the built-in one without it, and builds the window. When the
    // folder's "Skin.ini" cannot be had the user is told "skin.ini Not Found" and the
    // dialog ends cancelled; false then. The definition is kept in memory for the screens
    // built later. Nothing is written anywhere.
    bool InitialiseFromSkin(const std::optional<std::filesystem::path>& skinFolder);

    // Builds everything from the definition (again, when called again: it clears first),
    // with the pictures of the user skin folder `skinFolder` before the built-in ones.
    void BuildFromSkin(const skin::CSkinIni& ini, const std::optional<std::filesystem::path>& skinFolder);

    // Shows the panel of that name and hides the others. A name no panel has hides them
    // all and leaves the current panel as it was.
    void ShowSubScreen(const std::string& name);
    // ShowSubScreen, then every main button enabled but `pageButton`, whose disabled
    // picture marks the page shown.
    void ShowPage(const std::string& panelName, const std::string& pageButton);

    CSubMainSkin* currentPanel() const { return m_current; }
    CSubMainSkin* panel(const std::string& name) const;
    const std::vector<CSubMainSkin*>& panels() const { return m_panels; }
    // The definition as read at initialisation; the summary screens read it too.
    const skin::CSkinIni* skinDefinition() const { return m_ini.get(); }

    void Clear() override;

protected:
    // Makes the window the shape of the mask. Tells the user when the mask gives no
    // region; the window then stays rectangular.
    void SetWindowRegion(const skin::SkinImage& mask);
    // A message box the user closes; tests record it instead.
    virtual void tell(const std::string& caption, const std::string& text);
    // The same for a failure: the error icon, and the sentence begun with a capital
    // letter (the reasons come from lower layers as clauses: "cannot make ...").
    virtual void warn(const std::string& caption, const std::string& text);
    // The same for a caution that is no failure (nothing ticked, something left as it
    // was): the exclamation icon, the sentence begun with a capital letter as warn's.
    virtual void caution(const std::string& caption, const std::string& text);

private:
    std::unique_ptr<skin::CSkinIni> m_ini;
    std::vector<CSubMainSkin*> m_panels;
    CSubMainSkin* m_current = nullptr;
};

// `text` with its first letter capital (ASCII letters only; other bytes stay).
std::string Sentence(std::string text);

}  // namespace brindle
