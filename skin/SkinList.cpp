#include "skin/SkinList.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QHeaderView>
#include <QMenu>
#include <QPointer>
#include <QStyle>

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
}

CSkinList::CSkinList(QWidget* parent) : QTableWidget(parent) {}

CSkinList::CSkinList(const ListLine& line, QWidget* parent) : QTableWidget(parent) {
    ApplyListLine(*this, line);
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
