#include "ui/ReportList.h"

#include <QHeaderView>
#include <algorithm>

ReportList::ReportList(QWidget* parent) : QTableWidget(parent)
{
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

void ReportList::SetColumns(const std::vector<Column>& columns)
{
    setColumnCount(static_cast<int>(columns.size()));
    QStringList headers;
    for (const Column& column : columns)
        headers << column.header;
    setHorizontalHeaderLabels(headers);
    for (int i = 0; i < static_cast<int>(columns.size()); ++i)
        setColumnWidth(i, columns[static_cast<std::size_t>(i)].width);
}

void ReportList::removeAllRows()
{
    clearSelection();
    setRowCount(0);
}

void ReportList::appendRow(const QStringList& texts)
{
    const int row = rowCount();
    insertRow(row);
    for (int column = 0; column < texts.size() && column < columnCount(); ++column) {
        auto* item = new QTableWidgetItem(texts[column]);
        item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        setItem(row, column, item);
    }
}

QString ReportList::text(int row, int column) const
{
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

std::vector<int> ReportList::selectedRowsAscending() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ReportList::selectRows(const std::vector<int>& rows)
{
    clearSelection();
    for (int row : rows)
        selectionModel()->select(model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void ReportList::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableWidget::mouseDoubleClickEvent(event);
    emit listDoubleClicked();
}
