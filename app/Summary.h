// Summary: a skinned dialog. It paints its normal image as its background, owns its
// elements (SkinElementSet) and turns a button's index into its name for ButtonPressed.
// The summary screens are Summary objects; the main window (CMainSkin) derives from it.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QTableWidget>

#include <filesystem>
#include <optional>
#include <string>

#include "app/CAnimationHost.h"
#include "app/workflow/SummaryTables.h"
#include "skin/SkinElementSet.h"
#include "skin/SkinScreen.h"
#include "skin/definition/SkinIni.h"

namespace brindle {

class Summary : public QDialog, public skin::SkinElementSet, public skin::SkinScreen {
    Q_OBJECT

public:
    explicit Summary(QWidget* parent = nullptr);

    // The index a button reported, turned into its name; an index no button carries does
    // nothing.
    void ButtonPressedByIndex(int index) override;
    // The screen's command handler; the summary window's commands go to whoever listens
    // to summaryButton.
    void ButtonPressed(const std::string& name) override;

    // The summary window's four screens. Each drops the images and controls of the one
    // before and builds its own from its skin sections, with the pictures of the user skin
    // folder `skinFolder` before the built-in ones (the built-in ones alone without it);
    // each gives the window its normal image's size; the first centres it over its parent
    // window, or puts it at its line's position without a parent, and the others keep the
    // centre of the one before; each keeps it on the screen. The error-scan screen plays
    // the scan animation (skin::LoadScanAnimation) in its animation rectangle.
    void ShowErrorScanScreen(const skin::CSkinIni& ini, const std::optional<std::filesystem::path>& skinFolder);
    void ShowScanCompleteScreen(const skin::CSkinIni& ini, const std::optional<std::filesystem::path>& skinFolder,
                                const SummaryTable& table);
    void ShowErrorFixingScreen(const skin::CSkinIni& ini, const std::optional<std::filesystem::path>& skinFolder);
    void ShowFixCompleteScreen(const skin::CSkinIni& ini, const std::optional<std::filesystem::path>& skinFolder,
                               const SummaryTable& table);

    // The list of counts of the scan-complete and fix-complete screens; null otherwise.
    QTableWidget* resultList() const { return m_resultList; }
    // The error-scan screen's animation; null on the others.
    CAnimationHost* animation() const { return m_animation; }
    // The screen's name as its skin line gives it; empty before the first screen.
    const std::string& screenName() const { return m_screen; }

signals:
    void summaryButton(const std::string& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Drops the previous screen and builds the one of [<SCREEN>INFO]; false without it.
    bool BuildSummaryScreen(const skin::CSkinIni& ini, const std::optional<std::filesystem::path>& skinFolder,
                            const std::string& screen);
    void FillResultList(const skin::CSkinIni& ini, const std::string& screen, const SummaryTable& table);
    void DropScreenControls();
    // A left press on the background (a place no child covers) drags the window.
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::string m_screen;
    bool m_placed = false;
    QPointer<QTableWidget> m_resultList;
    QPointer<CAnimationHost> m_animation;
};

// Starts moving `window` with the pointer, as a press on a caption would; for presses
// that reach a skinned screen's background.
void DragWindowByBackground(QWidget& window);

}  // namespace brindle
