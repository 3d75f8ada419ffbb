#include "skin/SkinList.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolButton>

#include "skin/SkinText.h"

#include <algorithm>

namespace brindle::skin {

void ApplyListLine(QTableWidget& list, const ListLine& line) {
    list.setGeometry(line.rect.left, line.rect.top, std::max(0, line.rect.width()), std::max(0, line.rect.height()));
    list.setColumnCount(static_cast<int>(line.columns.size()));
    QStringList titles;
    for (const ListColumn& column : line.columns) titles << QString::fromStdString(column.title);
    list.setHorizontalHeaderLabels(titles);
    list.horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list.horizontalHeader()->setHighlightSections(false);
    // A column is never narrower than its title ("Delete", not "Delet"), the user may
    // widen any of them, and the last one (the file path) takes what the list has left.
    list.horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    list.horizontalHeader()->setStretchLastSection(true);
    const int columns = static_cast<int>(line.columns.size());
    int taken = 0;
    for (int i = 0; i < columns; ++i) {
        // The title's text plus the header's margins on both sides.
        const int title = list.horizontalHeader()->fontMetrics().horizontalAdvance(titles[i]) + 16;
        const int width = std::max({0, line.columns[static_cast<std::size_t>(i)].width, title});
        list.setColumnWidth(i, width);
        if (i + 1 < columns) taken += width;
    }
    // The last column ends at the list's edge rather than beyond it (a sideways scroll
    // bar would hide the rows' ends); long paths are cut in the middle, where their
    // folders are, so that drive and file name both show.
    if (columns > 0) {
        const int inside = line.rect.width() - 2 * list.frameWidth() -
                           list.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &list);
        const int title = list.horizontalHeader()->fontMetrics().horizontalAdvance(titles[columns - 1]) + 16;
        list.setColumnWidth(columns - 1, std::max(title, inside - taken));
    }
    list.setTextElideMode(Qt::ElideMiddle);
    list.verticalHeader()->hide();
    // Rows as tall as a line of text, as report lists have, rather than the style's
    // roomier table rows.
    list.verticalHeader()->setMinimumSectionSize(1);
    list.verticalHeader()->setDefaultSectionSize(list.fontMetrics().height() + 4);
    list.setShowGrid(true);
    list.setSelectionBehavior(QAbstractItemView::SelectRows);
    list.setSelectionMode(QAbstractItemView::SingleSelection);
    list.setEditTriggers(QAbstractItemView::NoEditTriggers);
    list.setWordWrap(false);
    // Rows are chosen whole, so Tab has no cell to move to: it leaves the list for the next
    // control instead of going round the cells for ever.
    list.setTabKeyNavigation(false);
}

namespace {

// The room the style leaves between a cell's edges and its text, on each side.
int TextMargin(const QWidget& view) {
    return view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
}

// The last column (the file path) of a list whose rows are two lines tall: a path too long
// for one line goes on to a second after one of its folders, and only what does not fit
// there either is cut, in its middle, so that the file name still shows.
class PathDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const auto* view = qobject_cast<const QTableView*>(parent());
        if (view == nullptr || index.column() != index.model()->columnCount() - 1) return;
        const int lines = option->rect.height() / std::max(1, option->fontMetrics.lineSpacing());
        if (lines < 2) return;
        const int width = option->rect.width() - 2 * TextMargin(*view);
        const QStringList wrapped = WrapLine(option->text, option->fontMetrics, width);
        if (wrapped.size() < 2) return;
        // The style breaks a cell's lines at line separators, as the delegate makes of the
        // line breaks of an item's own text.
        option->text = wrapped.first() + QChar(QChar::LineSeparator) + option->text.mid(wrapped.first().size());
    }
};

// The sideways scroll bar of a list with tick buttons. A table view keeps its rows clear of
// nothing but its header and its scroll bars, so the buttons ride in the sideways bar's
// row, whose height the scroll area takes from this bar's size hint: as tall as the
// buttons, while the bar itself keeps its own thickness within that row.
class TickRowScrollBar : public QScrollBar {
public:
    explicit TickRowScrollBar(int rowHeight) : QScrollBar(Qt::Horizontal), m_rowHeight(rowHeight) {
        setMaximumHeight(QScrollBar::sizeHint().height());
    }
    QSize sizeHint() const override {
        QSize size = QScrollBar::sizeHint();
        size.setHeight(std::max(size.height(), m_rowHeight));
        return size;
    }

private:
    int m_rowHeight;
};

}  // namespace

CSkinList::CSkinList(QWidget* parent) : QTableWidget(parent) { Setup(); }

CSkinList::CSkinList(const ListLine& line, QWidget* parent) : QTableWidget(parent) {
    ApplyListLine(*this, line);
    Setup();
}

void CSkinList::Setup() {
    setItemDelegate(new PathDelegate(this));
    m_oneLineRows = verticalHeader()->defaultSectionSize();
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] { UpdateRowHeight(); });
    BuildTickBar();
}

bool CSkinList::NeedsTwoLines(int row) const {
    const int last = columnCount() - 1;
    const QTableWidgetItem* path = last >= 0 ? item(row, last) : nullptr;
    if (path == nullptr) return false;
    const int room = columnWidth(last) - 2 * TextMargin(*this);
    return fontMetrics().horizontalAdvance(path->text()) > room;
}

void CSkinList::UpdateRowHeight() {
    bool two = false;
    for (int row = 0; row < rowCount() && !two; ++row) two = NeedsTwoLines(row);
    SetTwoLineRows(two);
}

void CSkinList::SetTwoLineRows(bool two) {
    // All rows alike, so that the grid stays even: two lines tall as soon as one path needs
    // them.
    const int height = two ? m_oneLineRows + fontMetrics().lineSpacing() : m_oneLineRows;
    if (verticalHeader()->defaultSectionSize() == height) return;
    verticalHeader()->setDefaultSectionSize(height);
    for (int row = 0; row < rowCount(); ++row) setRowHeight(row, height);
}

CSkinList::~CSkinList() {
    // The table empties its model as it goes, after this part of it is gone: the buttons
    // must hear nothing of that.
    disconnect(model(), nullptr, this, nullptr);
}

void CSkinList::BuildTickBar() {
    m_tickBar = new QWidget;
    m_tickBar->setObjectName(QStringLiteral("tickBar"));
    m_tickBar->setAutoFillBackground(true);
    m_tickBar->setBackgroundRole(QPalette::Window);
    auto* row = new QHBoxLayout(m_tickBar);
    row->setContentsMargins(3, 2, 3, 2);
    row->setSpacing(4);
    auto newButton = [this, row](const QString& text, const QString& tip, bool on) {
        auto* button = new QToolButton(m_tickBar);
        button->setText(text);
        button->setToolTip(tip);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        // Reached with Tab right after the rows; a click leaves the focus on the rows.
        button->setFocusPolicy(Qt::TabFocus);
        connect(button, &QToolButton::clicked, this, [this, on] { SetAllChecked(on); });
        row->addWidget(button);
        return button;
    };
    m_tickAll = newButton(TickAllText(), QStringLiteral("Tick every row of the list"), true);
    m_untickAll = newButton(UntickAllText(), QStringLiteral("Untick every row of the list"), false);
    m_tickAll->setObjectName(QStringLiteral("tickAll"));
    m_untickAll->setObjectName(QStringLiteral("untickAll"));
    row->addStretch(1);

    const int rowHeight = m_tickBar->sizeHint().height();
    auto* sideways = new TickRowScrollBar(rowHeight);
    setHorizontalScrollBar(sideways);
    // The row is always there; the bar in it shows only when there is something to scroll.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    addScrollBarWidget(m_tickBar, Qt::AlignLeft);
    if (QWidget* container = sideways->parentWidget()) {
        container->setAutoFillBackground(true);
        container->setBackgroundRole(QPalette::Window);
        if (QLayout* layout = container->layout()) layout->setAlignment(sideways, Qt::AlignVCenter);
    }
    sideways->setVisible(sideways->maximum() > sideways->minimum());
    connect(sideways, &QScrollBar::rangeChanged, sideways,
            [sideways](int low, int high) { sideways->setVisible(high > low); });

    connect(model(), &QAbstractItemModel::rowsInserted, this, &CSkinList::UpdateTickButtons);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, &CSkinList::UpdateTickButtons);
    connect(model(), &QAbstractItemModel::modelReset, this, &CSkinList::UpdateTickButtons);
    UpdateTickButtons();
}

void CSkinList::UpdateTickButtons() {
    const bool any = rowCount() > 0;
    m_tickAll->setEnabled(any);
    m_untickAll->setEnabled(any);
}

int CSkinList::AddRow(const QStringList& texts, bool checked, const QString& toolTip) {
    const int row = rowCount();
    insertRow(row);
    for (int column = 0; column < columnCount(); ++column) {
        auto* item = new QTableWidgetItem(column < texts.size() ? texts[column] : QString());
        item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        // A long path is cut at the column's edge; the tooltip shows all of it.
        item->setToolTip(toolTip.isEmpty() ? item->text() : toolTip);
        // Selectable and nothing else (no editing, no dragging); only the first column
        // has a check box the user can click.
        if (column == 0) {
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
            item->setData(Qt::UserRole, m_added);
        } else {
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        }
        setItem(row, column, item);
    }
    ++m_added;
    if (NeedsTwoLines(row)) SetTwoLineRows(true);
    return row;
}

bool CSkinList::IsRowChecked(int row) const {
    const QTableWidgetItem* first = item(row, 0);
    return first != nullptr && first->checkState() == Qt::Checked;
}

void CSkinList::SetRowChecked(int row, bool on) {
    if (QTableWidgetItem* first = item(row, 0)) first->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void CSkinList::SetAllChecked(bool on) {
    // The count is asked on every step, so rows that go away meanwhile are never touched.
    for (int row = 0; row < rowCount(); ++row) SetRowChecked(row, on);
}

void CSkinList::RemoveAllRows() {
    setRowCount(0);
    m_added = 0;
    SetTwoLineRows(false);
}

void CSkinList::resizeEvent(QResizeEvent* event) {
    QTableWidget::resizeEvent(event);
    UpdateRowHeight();
}

int CSkinList::RowKey(int row) const {
    const QTableWidgetItem* first = item(row, 0);
    return first != nullptr ? first->data(Qt::UserRole).toInt() : -1;
}

void CSkinList::SetSortable(bool on) {
    // No sort column yet: turning sorting on must not reorder what is listed.
    if (on) horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    horizontalHeader()->setSortIndicatorShown(on);
    setSortingEnabled(on);
}

void CSkinList::keyPressEvent(QKeyEvent* event) {
    // Space ticks or unticks the selected rows together, as it does in other check lists;
    // the first one's new state decides for all.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        QList<int> rows;
        for (const QModelIndex& index : selectionModel()->selectedRows()) rows << index.row();
        if (rows.isEmpty() && currentRow() >= 0) rows << currentRow();
        if (!rows.isEmpty()) {
            std::sort(rows.begin(), rows.end());
            const bool on = !IsRowChecked(rows.front());
            for (const int row : rows) SetRowChecked(row, on);
            event->accept();
            return;
        }
    }
    QTableWidget::keyPressEvent(event);
}

QString CSkinList::SelectAllText() {
    return QStringLiteral("Select All");
}

QString CSkinList::DeselectAllText() {
    return QStringLiteral("Deselect All");
}

QString CSkinList::TickAllText() { return QStringLiteral("Tick all"); }

QString CSkinList::UntickAllText() { return QStringLiteral("Untick all"); }

void CSkinList::contextMenuEvent(QContextMenuEvent* event) {
    QPoint where = event->globalPos();
    if (event->reason() != QContextMenuEvent::Mouse) {
        // From the keyboard: just below the start of the current row, or at the top of
        // the list when there is none.
        const QTableWidgetItem* current = currentItem();
        const QPoint corner = current != nullptr ? visualItemRect(current).topLeft() : QPoint(0, 0);
        where = viewport()->mapToGlobal(corner + QPoint(2, 14));
    }
    // The menu runs an event loop of its own, in which the screen could be rebuilt and
    // this list deleted: the menu is no child of the list, and the list is looked at
    // again only if it still exists.
    QMenu menu;
    const QAction* selectAll = menu.addAction(SelectAllText());
    const QAction* deselectAll = menu.addAction(DeselectAllText());
    const QPointer<CSkinList> alive(this);
    const QAction* chosen = menu.exec(where);
    if (alive.isNull()) return;
    if (chosen == selectAll) {
        SetAllChecked(true);
    } else if (chosen == deselectAll) {
        SetAllChecked(false);
    }
    event->accept();
}

}  // namespace brindle::skin
