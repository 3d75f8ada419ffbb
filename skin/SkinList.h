// The report-style lists of the skinned screens: one row per entry, columns laid out by a
// skin list line, grid lines, whole rows selected one at a time.
//
// CSkinList is the list of the result and ignored panels: every row has a check box in its
// first column, and its last column, the file path, goes on to a second line where a path
// is too long for one (every row is then two lines tall). "Tick all" and "Untick all" stand in a row of their own along the list's
// bottom edge, below its rows (the row of the sideways scroll bar, which shares it when
// there is something to scroll sideways), and the context menu ("Select All",
// "Deselect All") does the same. The other screens' lists are plain tables set up by
// ApplyListLine.
#pragma once

#include <QStringList>
#include <QTableWidget>

class QToolButton;

#include "skin/definition/SkinLines.h"

namespace brindle::skin {

// Places `list` at the line's rectangle and gives it one left-aligned column per column
// of the line, with its title and width in pixels (at least the title's own width; the
// user may widen columns, and the last one stretches to the list's edge). Rows are selected whole, one at a
// time, and cannot be edited in place.
void ApplyListLine(QTableWidget& list, const ListLine& line);

class CSkinList : public QTableWidget {
    Q_OBJECT

public:
    explicit CSkinList(QWidget* parent = nullptr);
    CSkinList(const ListLine& line, QWidget* parent);
    ~CSkinList() override;

    // Appends a row; texts beyond the column count are dropped, missing ones are empty.
    // The first column carries the row's check box. Each cell's tooltip is `toolTip`, or
    // its own whole text when that is empty. Answers the row's number. Fill a sortable
    // list with sorting off (see SetSortable).
    int AddRow(const QStringList& texts, bool checked = false, const QString& toolTip = QString());
    bool IsRowChecked(int row) const;
    // The row's place in the order it was added (0 for the first since RemoveAllRows),
    // whatever order a sort has put it in since; -1 for a row that is not there.
    int RowKey(int row) const;
    // Whether a click on a column's title sorts the rows by it. Turned on, the rows keep
    // their order until the user asks for one.
    void SetSortable(bool on);
    void SetRowChecked(int row, bool on);
    // Every row's check box on or off (what the context menu's two commands do).
    void SetAllChecked(bool on);
    void RemoveAllRows();

    // The context menu's commands, in menu order.
    static QString SelectAllText();
    static QString DeselectAllText();
    // The buttons below the rows, in their order; they are usable while there are rows.
    static QString TickAllText();
    static QString UntickAllText();
    QToolButton* tickAllButton() const { return m_tickAll; }
    QToolButton* untickAllButton() const { return m_untickAll; }
    // The strip along the bottom edge that holds the two buttons.
    QWidget* tickBar() const { return m_tickBar; }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Space toggles the selected rows' check boxes.
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Setup();
    void BuildTickBar();
    void UpdateTickButtons();
    // Whether the row's file path is too long for one line of its column.
    bool NeedsTwoLines(int row) const;
    // Rows two lines tall while some path needs them, one line otherwise.
    void UpdateRowHeight();
    void SetTwoLineRows(bool two);

    int m_added = 0;  // rows added since the list was last emptied: the next row's key
    int m_oneLineRows = 0;  // the height of a row of one line
    QWidget* m_tickBar = nullptr;
    QToolButton* m_tickAll = nullptr;
    QToolButton* m_untickAll = nullptr;
};

}  // namespace brindle::skin
