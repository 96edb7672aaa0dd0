#include "ui/ReportList.h"

#include <QAbstractTableModel>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <algorithm>

// The table model behind a ReportList: the cells come from the source's
// functions on demand.
class ReportModel : public QAbstractTableModel {
  public:
    using QAbstractTableModel::QAbstractTableModel;

    void setSource(std::vector<ReportList::Column> columns, ReportList::RowCount rows, ReportList::CellText text)
    {
        beginResetModel();
        m_columns = std::move(columns);
        m_rows = std::move(rows);
        m_text = std::move(text);
        endResetModel();
    }
    void refresh()
    {
        beginResetModel();
        endResetModel();
    }
    const std::vector<ReportList::Column>& columns() const { return m_columns; }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() || !m_rows ? 0 : m_rows(); }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || !m_text)
            return {};
        if (role == Qt::DisplayRole)
            return m_text(index.row(), index.column());
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(m_columns.size()))
            return {};
        if (role == Qt::DisplayRole)
            return m_columns[static_cast<std::size_t>(section)].header;
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

  private:
    std::vector<ReportList::Column> m_columns;
    ReportList::RowCount m_rows;
    ReportList::CellText m_text;
};

namespace {

// Sorting and filtering are a view of the list: the rows stay records at
// their positions. Cells that both hold a number sort by its value.
class ReportView : public QSortFilterProxyModel {
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

  protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override
    {
        const QString a = left.data().toString(), b = right.data().toString();
        bool numbers = false, alsoB = false;
        const double x = a.toDouble(&numbers), y = b.toDouble(&alsoB);
        if (numbers && alsoB)
            return x < y;
        return QString::localeAwareCompare(a, b) < 0;
    }
};

} // namespace

ReportList::ReportList(QWidget* parent)
    : QTableView(parent), m_model(new ReportModel(this)), m_view(new ReportView(this))
{
    m_view->setFilterKeyColumn(-1);
    m_view->setFilterCaseSensitivity(Qt::CaseInsensitive);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    verticalHeader()->setVisible(false);
    // Fixed row heights keep long lists cheap: no row is measured.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    setTabKeyNavigation(false);
}

ReportList::~ReportList() = default;

void ReportList::attachModel() const
{
    if (m_attached)
        return;
    m_attached = true;
    auto* self = const_cast<ReportList*>(this);
    m_view->setSourceModel(m_model);
    self->setModel(m_view);
    // A click on a column header sorts by it; a third click goes back to the
    // order of the file.
    horizontalHeader()->setSortIndicatorClearable(true);
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    self->setSortingEnabled(true);
    self->applyColumnWidths();
}

void ReportList::applyColumnWidths()
{
    const std::vector<Column>& columns = m_model->columns();
    for (int i = 0; i < static_cast<int>(columns.size()); ++i)
        setColumnWidth(i, columns[static_cast<std::size_t>(i)].width);
}

void ReportList::setColumns(const std::vector<Column>& columns, RowCount rows, CellText text)
{
    m_model->setSource(columns, std::move(rows), std::move(text));
    if (m_attached)
        applyColumnWidths();
}

void ReportList::showEvent(QShowEvent* event)
{
    attachModel();
    QTableView::showEvent(event);
}

void ReportList::refresh()
{
    attachModel();
    const int row = currentIndex().row();
    clearSelection();
    m_model->refresh();
    // The list kept the focus (a row was deleted from the keyboard): the
    // row now in that place is the focused one.
    if (hasFocus())
        selectCurrentRow(row < 0 ? 0 : row);
}

void ReportList::attachFilter(QLineEdit* filter)
{
    connect(filter, &QLineEdit::textChanged, this, &ReportList::setFilterText);
    filter->installEventFilter(this);
}

bool ReportList::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && qobject_cast<QLineEdit*>(watched)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            focusFirstRow();
            return true;
        }
    }
    return QTableView::eventFilter(watched, event);
}

bool ReportList::focusFirstRow()
{
    attachModel();
    if (m_view->rowCount() == 0)
        return false;
    setFocus(Qt::OtherFocusReason);
    selectionModel()->setCurrentIndex(m_view->index(0, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(currentIndex());
    return true;
}

void ReportList::selectCurrentRow(int row)
{
    const int rows = m_view->rowCount();
    if (rows == 0)
        return;
    const QModelIndex current = currentIndex();
    if (current.isValid() && selectionModel()->isRowSelected(current.row(), QModelIndex()))
        return;
    const QModelIndex target = current.isValid() ? current : m_view->index(std::clamp(row, 0, rows - 1), 0);
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ReportList::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    // A click makes its own row current and selected.
    if (event->reason() != Qt::MouseFocusReason)
        selectCurrentRow(0);
}

void ReportList::setFilterText(const QString& text)
{
    attachModel();
    m_view->setFilterFixedString(text);
}

int ReportList::rowCount() const
{
    attachModel();
    return m_view->rowCount();
}
int ReportList::columnCount() const
{
    return m_model->columnCount();
}

QString ReportList::headerText(int column) const
{
    return m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

QString ReportList::text(int row, int column) const
{
    attachModel();
    return m_view->data(m_view->index(row, column), Qt::DisplayRole).toString();
}

std::vector<int> ReportList::selectedRowsAscending() const
{
    attachModel();
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(m_view->mapToSource(index).row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ReportList::selectRows(const std::vector<int>& rows)
{
    attachModel();
    clearSelection();
    for (int row : rows)
        selectionModel()->select(m_view->mapFromSource(m_model->index(row, 0)),
                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

std::optional<QPoint> ReportList::menuPoint(const QContextMenuEvent& event) const
{
    if (event.reason() == QContextMenuEvent::Mouse) {
        const QRect area(mapToGlobal(QPoint(0, 0)), size());
        return area.contains(event.globalPos()) ? std::optional<QPoint>(event.globalPos()) : std::nullopt;
    }
    if (!hasFocus())
        return std::nullopt;
    const QRect row = visualRect(currentIndex().sibling(currentIndex().row(), 0));
    return viewport()->mapToGlobal(row.isValid() ? row.bottomLeft() : QPoint(0, 0));
}

void ReportList::keyPressEvent(QKeyEvent* event)
{
    const bool menuKey =
        event->key() == Qt::Key_Menu || (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (menuKey) {
        // Sent as the keyboard's request; the page that owns the list answers it.
        const QPoint global = mapToGlobal(rect().center());
        QContextMenuEvent request(QContextMenuEvent::Keyboard, mapFromGlobal(global), global, event->modifiers());
        QCoreApplication::sendEvent(this, &request);
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit editRequested();
    } else if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        emit deleteRequested();
    } else if (event->matches(QKeySequence::Undo)) {
        emit undoRequested();
    } else if (event->modifiers() == Qt::ControlModifier && event->key() >= Qt::Key_1 && event->key() <= Qt::Key_9) {
        sortByKeyboard(event->key() - Qt::Key_1);
    } else {
        QTableView::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ReportList::sortByKeyboard(int column)
{
    // As clicks on the column's header: ascending, descending, file order.
    if (column >= columnCount())
        return;
    QHeaderView* header = horizontalHeader();
    if (header->sortIndicatorSection() != column)
        header->setSortIndicator(column, Qt::AscendingOrder);
    else if (header->sortIndicatorOrder() == Qt::AscendingOrder)
        header->setSortIndicator(column, Qt::DescendingOrder);
    else
        header->setSortIndicator(-1, Qt::AscendingOrder);
}

void ReportList::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    emit listDoubleClicked();
}

void focusOnFind(QWidget* page, QLineEdit* filter)
{
    auto* find = new QShortcut(QKeySequence::Find, page);
    find->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(find, &QShortcut::activated, filter, [filter] {
        filter->setFocus(Qt::ShortcutFocusReason);
        filter->selectAll();
    });
}
