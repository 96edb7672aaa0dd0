#pragma once

#include <QTableWidget>
#include <utility>
#include <vector>

// A list view in report form: grid lines, whole-row and multiple selection,
// no sorting, no editing, fixed column headers and widths.
class ReportList : public QTableWidget {
    Q_OBJECT
  public:
    struct Column {
        QString header;
        int width;
    };

    explicit ReportList(QWidget* parent = nullptr);
    void SetColumns(const std::vector<Column>& columns);

    void removeAllRows();
    void appendRow(const QStringList& texts);
    QString text(int row, int column) const;
    // Selected rows, top to bottom.
    std::vector<int> selectedRowsAscending() const;
    int selectedRowCount() const { return static_cast<int>(selectedRowsAscending().size()); }
    void selectRows(const std::vector<int>& rows);

  signals:
    // A double click anywhere in the list, on a row or not.
    void listDoubleClicked();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
