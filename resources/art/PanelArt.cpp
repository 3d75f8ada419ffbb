#include "Art.h"

#include "AboutText.h"
#include "Layout.h"
#include "Style.h"

#include <QLinearGradient>

namespace art {

using namespace art::style;
namespace L = art::layout;

namespace {

void panelGround(QPainter& p, QImage& image)
{
    image = blankImage(L::kPanel, kCard);
    beginPainter(p, image);
}

// Scan categories with their check boxes; the program writes status and count at the right.
QImage categoriesPanel(Tick tick, Variant variant)
{
    QImage image;
    QPainter p;
    panelGround(p, image);
    const int w = L::kPanel.width();

    if (variant == Variant::Full) {
        // The scan button takes the headings' place; its over and down pictures are cut from
        // the ticked picture, so that one shows it pressed.
        drawCardButton(p, L::full::kPanelScan.rect(), QStringLiteral("Scan in a summary window"),
                       tick == Tick::On ? Look::Down : Look::Normal, Emphasis::Primary);
    } else {
        // Column headings, above the program's first status line (y 24).
        drawText(p, QRectF(L::kProgressStatusX, 7, 90, 13), QStringLiteral("STATUS"), kCaptionPx, true, kInkMuted);
        drawText(p, QRectF(L::kProgressCountX, 7, 55, 13), QStringLiteral("FOUND"), kCaptionPx, true, kInkMuted);
    }
    p.setPen(QPen(kCardBorder, 1));
    p.drawLine(QPointF(4, 22.5), QPointF(w - 4, 22.5));

    // Faint bands behind every other category row help the eye across to the counts.
    bool band = false;
    for (std::size_t i = 1; i < std::size(L::kCategories); ++i) {
        const auto& row = L::kCategories[i].box;
        const int next = i + 1 < std::size(L::kCategories) ? L::kCategories[i + 1].box.y : row.y + 16;
        if (band)
            p.fillRect(QRectF(3, row.y - 3, w - 6, next - row.y), QColor(0xeb, 0xef, 0xf4, 160));
        band = !band;
    }

    for (const auto& [box, label] : L::kCategories) {
        drawCheckBox(p, box.rect(), tick, Usable::Yes);
        drawText(p, QRectF(L::kCategoryLabelX, box.y - 3, 154, 15), text(label), kLabelPx, true, kInk);
    }

    // The footer where the program writes the item being checked.
    p.fillRect(QRect(0, 196, w, L::kPanel.height() - 196), kCardAlt);
    p.setPen(QPen(kCardBorder, 1));
    p.drawLine(QPointF(0, 196.5), QPointF(w, 196.5));
    p.end();
    return image;
}

// Automatic scan options. `greyed` draws the options as they look while automatic scanning is
// switched off; the switch itself stays live there, since it is how the user turns it on.
QImage schedulePanel(Tick tick, Usable options)
{
    QImage image;
    QPainter p;
    panelGround(p, image);
    const int w = L::kPanel.width();
    const bool greyed = options == Usable::Greyed;
    const QColor ink = greyed ? kInkDisabled : kInk;
    const QColor muted = greyed ? kInkDisabled : kInkMuted;

    drawIcon(p, Icon::Clock, QRectF(10, 9, 16, 16), kAccentDark, 1.7);
    drawText(p, QRectF(32, 7, 250, 20), QStringLiteral("Automatic scan"), kPanelTitlePx, true, kInk);
    drawText(p, QRectF(32, 25, 310, 14), QStringLiteral("Brindle scans on its own while it is running."), kSmallPx,
             false, kInkMuted);

    // Row captions in the left column.
    drawText(p, QRectF(10, 50, 66, 14), QStringLiteral("SWITCH"), kCaptionPx, true, kInkMuted);
    drawText(p, QRectF(10, 84, 66, 14), QStringLiteral("INTERVAL"), kCaptionPx, true, muted);
    drawText(p, QRectF(10, 139, 66, 14), QStringLiteral("CALENDAR"), kCaptionPx, true, muted);

    const QRect toggle = L::kAutoscanEnable.rect();
    drawSwitch(p, QRectF(toggle.x(), toggle.center().y() - 7.5, toggle.width(), 16), tick, Usable::Yes);
    drawText(p, QRectF(toggle.right() + 9, toggle.y(), 220, toggle.height()), QStringLiteral("Scan automatically"),
             kLabelPx, true, kInk);

    p.setPen(QPen(kCardBorder, 1));
    p.drawLine(QPointF(8, 77.5), QPointF(w - 8, 77.5));

    // "Scan every [N] minutes": the program puts the edit box at its rectangle.
    drawOption(p, L::kStartEvery.rect(), tick, options);
    drawText(p, QRectF(L::kStartEvery.x + 15, L::kStartEvery.y - 3, 200, 16), QStringLiteral("Scan every"), kLabelPx,
             true, ink);
    const QRect field = L::kScanPeriod.rect();
    drawFieldFrame(p, field, options);
    drawText(p, QRectF(field.right() + 6, field.y(), 120, field.height()), QStringLiteral("minutes"), kLabelPx, true,
             ink);

    p.setPen(QPen(kCardBorder, 1));
    p.drawLine(QPointF(8, 131.5), QPointF(w - 8, 131.5));

    // "Scan once every  ( ) month  ( ) week  ( ) day".
    drawOption(p, L::kStartAfterEvery.rect(), tick, options);
    drawText(p, QRectF(L::kStartAfterEvery.x + 15, L::kStartAfterEvery.y - 3, 200, 16),
             QStringLiteral("Scan once every"), kLabelPx, true, ink);
    for (const auto& [box, label] : L::kCalendar) {
        drawOption(p, box.rect(), tick, options);
        drawText(p, QRectF(box.x + 14, box.y - 3, 52, 16), text(label), kLabelPx, true, ink);
    }

    // Footer note.
    p.fillRect(QRect(0, 188, w, L::kPanel.height() - 188), kCardAlt);
    p.setPen(QPen(kCardBorder, 1));
    p.drawLine(QPointF(0, 188.5), QPointF(w, 188.5));
    drawText(p, QRectF(10, 193, w - 20, 20),
             greyed ? QStringLiteral("Switch automatic scanning on to choose when it runs.")
                    : QStringLiteral("A scan starts when the chosen time has passed."),
             kSmallPx, false, kInkMuted);
    p.end();
    return image;
}

// The full skin's schedule panel: the same options packed into the top, the saved schedules
// list below them and its two commands at the foot.
QImage fullSchedulePanel(Tick tick, Usable options)
{
    namespace F = L::full;
    QImage image;
    QPainter p;
    panelGround(p, image);
    const int w = L::kPanel.width();
    const bool greyed = options == Usable::Greyed;
    const QColor ink = greyed ? kInkDisabled : kInk;

    const QRect toggle = F::kAutoscanEnable.rect();
    drawSwitch(p, QRectF(toggle.x(), toggle.center().y() - 7.5, toggle.width(), 16), tick, Usable::Yes);
    drawText(p, QRectF(toggle.right() + 9, toggle.y(), 150, toggle.height()), QStringLiteral("Scan automatically"),
             kLabelPx, true, kInk);
    drawIcon(p, Icon::Clock, QRectF(w - 24, 9, 15, 15), kAccentDark, 1.6);
    drawText(p, QRectF(190, toggle.y(), w - 24 - 196, toggle.height()), QStringLiteral("Automatic scan"), kSmallPx,
             false, kInkMuted, Qt::AlignRight | Qt::AlignVCenter);
    p.setPen(QPen(kCardBorder, 1));
    p.drawLine(QPointF(8, 31.5), QPointF(w - 8, 31.5));

    // Left: "Scan every [N] min"; right: "Scan once every" with the calendar below it.
    drawOption(p, F::kStartEvery.rect(), tick, options);
    drawText(p, QRectF(F::kStartEvery.x + 15, F::kStartEvery.y - 3, 70, 16), QStringLiteral("Scan every"), kLabelPx,
             true, ink);
    const QRect field = F::kScanPeriod.rect();
    drawFieldFrame(p, field, options);
    drawText(p, QRectF(field.right() + 6, field.y(), 50, field.height()), QStringLiteral("minutes"), kLabelPx, true,
             ink);
    p.setPen(QPen(kCardBorder, 1));
    p.drawLine(QPointF(170.5, 36), QPointF(170.5, 68));
    drawOption(p, F::kStartAfterEvery.rect(), tick, options);
    drawText(p, QRectF(F::kStartAfterEvery.x + 15, F::kStartAfterEvery.y - 3, 150, 16),
             QStringLiteral("Scan once every"), kLabelPx, true, ink);
    for (const auto& [box, label] : F::kCalendar) {
        drawOption(p, box.rect(), tick, options);
        drawText(p, QRectF(box.x + 14, box.y - 3, 38, 16), text(label), kLabelPx, true, ink);
    }

    drawListGround(p, F::kScheduleList.rect(), F::kScheduleColumns);
    // The over and down pictures are cut from the ticked picture.
    const Look look = tick == Tick::On ? Look::Down : Look::Normal;
    drawText(p, QRectF(8, 195, 170, 20),
             greyed ? QStringLiteral("Saved schedules, kept while off.") : QStringLiteral("Saved schedules."),
             kSmallPx, false, kInkMuted);
    drawCardButton(p, F::kAddSchedule.rect(), QStringLiteral("Add"), look, Emphasis::Primary);
    drawCardButton(p, F::kDeleteSchedule.rect(), QStringLiteral("Delete"), look, Emphasis::Secondary);
    p.end();
    return image;
}

// The ignore list: the program's list covers the top, the commands sit below it.
QImage ignoredPanel(Look look)
{
    QImage image;
    QPainter p;
    panelGround(p, image);
    const int w = L::kPanel.width();
    drawListGround(p, L::kIgnoredList.rect(), L::kIgnoredColumns);

    drawText(p, QRectF(6, 153, w - 12, 16), QStringLiteral("Ignored entries are left out of every scan."), kSmallPx,
             false, kInkMuted);
    const Usable usable = look == Look::Disabled ? Usable::Greyed : Usable::Yes;
    const Tick tick = look == Look::Over || look == Look::Down ? Tick::On : Tick::Off;
    const QRect all = L::kIgnoredSelectAll.rect();
    drawCheckBox(p, all, tick, usable);
    drawText(p, QRectF(all.right() + 6, all.y() - 3, 120, 15), QStringLiteral("Select all"), kLabelPx, true,
             usable == Usable::Greyed ? kInkDisabled : kInk);
    drawCardButton(p, L::kIgnoredDelete.rect(), QStringLiteral("Delete"), look, Emphasis::Secondary);
    drawText(p, QRectF(6, 199, w - 12, 16), QStringLiteral("Delete takes the ticked entries off the list."),
             kSmallPx, false, kInkMuted);
    p.end();
    return image;
}

QImage settingsPanel(Tick tick, Variant variant)
{
    QImage image;
    QPainter p;
    panelGround(p, image);
    const int w = L::kPanel.width();
    drawIcon(p, Icon::Sliders, QRectF(10, 10, 15, 15), kAccentDark, 1.6);
    drawText(p, QRectF(32, 7, 250, 20), QStringLiteral("Settings"), kPanelTitlePx, true, kInk);
    drawText(p, QRectF(32, 25, 310, 14), QStringLiteral("Your choices are kept for the next start."), kSmallPx,
             false, kInkMuted);
    p.setPen(QPen(kCardBorder, 1));
    p.drawLine(QPointF(8, 46.5), QPointF(w - 8, 46.5));
    for (const auto& [box, label, explanation] : L::kSettings) {
        drawCheckBox(p, box.rect(), tick, Usable::Yes);
        // The caption of the backup row ends before the label the program writes at x 165.
        drawText(p, QRectF(box.x + 15, box.y - 3, L::kBackupCount.x - box.x - 19, 15), text(label), kLabelPx, true,
                 kInk);
        drawText(p, QRectF(box.x + 15, box.y + 13, w - box.x - 20, 13), text(explanation), kSmallPx, false,
                 kInkMuted);
    }
    if (variant == Variant::Full) {
        p.setPen(QPen(kCardBorder, 1));
        p.drawLine(QPointF(8, 174.5), QPointF(w - 8, 174.5));
        // The over and down pictures are cut from the ticked picture.
        const Look look = tick == Tick::On ? Look::Down : Look::Normal;
        drawCardButton(p, L::full::kRestore.rect(), QStringLiteral("Restore from snapshot..."), look,
                       Emphasis::Secondary);
        drawCardButton(p, L::full::kRunUpdate.rect(), QStringLiteral("Live update"), look, Emphasis::Secondary);
    }
    p.end();
    return image;
}

QImage resultPanel()
{
    QImage image;
    QPainter p;
    panelGround(p, image);
    drawListGround(p, L::kResultList.rect(), L::kResultColumns);
    p.end();
    return image;
}

// The About page: the whole panel is one button that closes it.
QImage aboutPanel(Look look)
{
    QImage image;
    QPainter p;
    panelGround(p, image);
    const int w = L::kPanel.width();
    const bool active = look == Look::Over || look == Look::Down;
    QLinearGradient g(0, 0, 0, L::kPanel.height());
    g.setColorAt(0, kCard);
    g.setColorAt(1, kCardAlt);
    p.fillRect(QRect(QPoint(0, 0), L::kPanel), g);
    drawLogo(p, QRectF(w / 2.0 - 22, 18, 44, 48));
    drawText(p, QRectF(0, 70, w, 30), QString::fromUtf8(brindle::about::kName), 22, true, kInk, Qt::AlignCenter);
    drawText(p, QRectF(0, 99, w, 16),
             QString::fromUtf8(brindle::about::kVersionLine).arg(QStringLiteral(BRINDLE_VERSION)), kLabelPx, false,
             kInkMuted, Qt::AlignCenter);
    qreal top = 124;
    for (const char* line : brindle::about::kDescriptionLines) {
        drawText(p, QRectF(0, top, w, 15), QString::fromUtf8(line), kLabelPx + 1, false, kInk, Qt::AlignCenter);
        top += 15;
    }
    // The close hint, as a small pill that lights up under the pointer.
    const QRectF pill(w / 2.0 - 52, 176, 104, 22);
    p.setPen(QPen(active ? kAccentDark : kCardBorder, 1));
    p.setBrush(active ? kAccent : kField);
    p.drawRoundedRect(pill.adjusted(0.5, 0.5, -0.5, -0.5), 11, 11);
    drawText(p, pill, QStringLiteral("Click to close"), kLabelPx, true, active ? kOnAccent : kInkMuted,
             Qt::AlignCenter);
    p.end();
    return image;
}

} // namespace

std::vector<NamedImage> panelArt(Variant variant)
{
    const auto gif = FileKind::Gif;
    const bool full = variant == Variant::Full;
    auto schedule = [full](Tick tick, Usable options) {
        return full ? fullSchedulePanel(tick, options) : schedulePanel(tick, options);
    };
    return {
        {QStringLiteral("home_unchk.gif"), categoriesPanel(Tick::Off, variant), gif, QStringLiteral("categories")},
        {QStringLiteral("home_chk.gif"), categoriesPanel(Tick::On, variant), gif, QStringLiteral("categories")},
        {QStringLiteral("Autoscan_unchk.gif"), schedule(Tick::Off, Usable::Yes), gif, QStringLiteral("schedule")},
        {QStringLiteral("Autoscan_chk.gif"), schedule(Tick::On, Usable::Yes), gif, QStringLiteral("schedule")},
        {QStringLiteral("Autoscan_disabled.gif"), schedule(Tick::Off, Usable::Greyed), gif, QStringLiteral("schedule")},
        {QStringLiteral("Autoscan_disabled_chked.gif"), schedule(Tick::On, Usable::Greyed), gif, QStringLiteral("schedule")},
        {QStringLiteral("IGNORRED-ERRORS_unchk.gif"), ignoredPanel(Look::Normal), gif, QStringLiteral("ignored")},
        {QStringLiteral("IGNORRED-ERRORS_chk.gif"), ignoredPanel(Look::Over), gif, QStringLiteral("ignored")},
        {QStringLiteral("IGNORRED-ERRORS_main.gif"), ignoredPanel(Look::Disabled), gif, QStringLiteral("ignored")},
        {QStringLiteral("ADVANCED-SETTINGS_unchk.gif"), settingsPanel(Tick::Off, variant), gif, QStringLiteral("settings")},
        {QStringLiteral("ADVANCED-SETTINGS_chk.gif"), settingsPanel(Tick::On, variant), gif, QStringLiteral("settings")},
        {QStringLiteral("result.gif"), resultPanel(), gif, QStringLiteral("result")},
        {QStringLiteral("ABOUT_unchk.gif"), aboutPanel(Look::Normal), gif, QStringLiteral("about")},
        {QStringLiteral("ABOUT_chk.gif"), aboutPanel(Look::Over), gif, QStringLiteral("about")},
    };
}

} // namespace art
