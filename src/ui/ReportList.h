#pragma once

#include <QTableView>
#include <functional>
#include <optional>
#include <vector>

class QContextMenuEvent;
class QSortFilterProxyModel;
class ReportModel;

class QLineEdit;

// Ctrl+F (the platform's Find) anywhere in page puts the focus in filter.
void focusOnFind(QWidget* page, QLineEdit* filter);

// A list view in report form: grid lines, whole-row and multiple selection,
// no editing, fixed column headers and widths. A click on a header sorts,
// and a filter text narrows the rows; both are a view: row numbers in and
// out of the list (selection) are the records' positions, while rowCount
// and text follow what is shown. The rows are not
// copied: the list asks its source for the number of rows and for the text
// of the cells it paints, so refreshing costs the same for ten rows or a
// hundred thousand.
class ReportList : public QTableView {
    Q_OBJECT
  public:
    struct Column {
        QString header;
        int width;
    };
    using RowCount = std::function<int()>;
    using CellText = std::function<QString(int row, int column)>;

    explicit ReportList(QWidget* parent = nullptr);
    ~ReportList() override;

    void setColumns(const std::vector<Column>& columns, RowCount rows, CellText text);
    // The source changed: read its rows again. The selection is cleared.
    void refresh();
    // Shows only the rows with text in any column (case ignored); empty: all.
    void setFilterText(const QString& text);
    // filter's text narrows the rows as it is typed; Enter or Return in it
    // goes to the first row shown (and nowhere else: not to the window's
    // default button).
    void attachFilter(QLineEdit* filter);
    // Puts the focus on the first row shown, current and selected; false
    // when no row is shown.
    bool focusFirstRow();

    int rowCount() const;
    int columnCount() const;
    QString headerText(int column) const;
    QString text(int row, int column) const;
    // Selected rows, top to bottom.
    std::vector<int> selectedRowsAscending() const;
    int selectedRowCount() const { return static_cast<int>(selectedRowsAscending().size()); }
    void selectRows(const std::vector<int>& rows);
    // Where a context menu for this list opens (global): at the mouse for a
    // click inside the list, below the current row for Shift+F10 or the Menu
    // key while the list has the focus; nothing for other requests.
    std::optional<QPoint> menuPoint(const QContextMenuEvent& event) const;
    // Connects the rows' model to the view (sorting and filtering) and the
    // view to the list, once: the most a list costs to make, so it waits
    // until the list is first shown or asked for its rows. Until then
    // model() and selectionModel() are null.
    void attachModel() const;

  signals:
    // A double click anywhere in the list, on a row or not.
    void listDoubleClicked();
    // Enter or Return: edit the current row (the window's default button
    // does not fire).
    void editRequested();
    // Delete: delete the selection.
    void deleteRequested();
    // Ctrl+Z: undo the last deletion.
    void undoRequested();

  protected:
    void showEvent(QShowEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // The row that has the focus is the current one and selected, whatever
    // brought the focus (Tab, a filter, a deletion): Enter and Delete act on
    // what is seen.
    void focusInEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Enter, Return, Delete, Ctrl+Z, Shift+F10 and the Menu key; Ctrl+1 to
    // Ctrl+9 sort by that column as a click on its header does; Tab and
    // Shift+Tab leave the list instead of walking its cells.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void sortByKeyboard(int column);
    // Makes the row at position row of the view (clamped) current and
    // selected, unless the current row is already.
    void selectCurrentRow(int row);

    void applyColumnWidths();

    ReportModel* m_model;
    QSortFilterProxyModel* m_view;
    mutable bool m_attached = false;
};
