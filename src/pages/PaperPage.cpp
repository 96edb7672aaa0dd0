#include "pages/PaperPage.h"

#include <QContextMenuEvent>
#include <QLocale>
#include <QMenu>
#include <QUndoStack>

#include "config/Configuration.h"
#include "pages/ConfigChange.h"
#include "pages/HeaderDialog.h"
#include "pages/PaperSizeDialog.h"
#include "ui/Fields.h"
#include "ui/UndoBar.h"
#include "ui_PaperPage.h"

namespace {

// Header names are stored in upper case, by the user's locale's rules; a
// name whose upper case the file's encoding cannot hold stays as it is.
std::string upperCaseName(const std::string& name, TextEncoding encoding)
{
    std::string upper;
    return encodeText(QLocale::system().toUpper(toQt(name, encoding)), encoding, upper) ? upper : name;
}

std::string& pageSizeOf(Configuration& c)
{
    return c.Layout.PageSize;
}

} // namespace

PaperPage::PaperPage(PageHost& host, QWidget* parent)
    : ConfigPage(host, parent), m_ui(std::make_unique<Ui::PaperPage>())
{
    m_ui->setupUi(this);
    m_ui->paperList->setColumns(
        {{QStringLiteral("Title"), 80},
         {QStringLiteral("Description"), 80},
         {QStringLiteral("Label"), 55},
         {QStringLiteral("Header"), 55},
         {QStringLiteral("Width"), 38},
         {QStringLiteral("Height"), 38},
         {QStringLiteral("SkipX"), 38},
         {QStringLiteral("SkipY"), 38},
         {QStringLiteral("OffX"), 35},
         {QStringLiteral("OffY"), 35}},
        [this] { return configuration().Papers.size(); },
        [this](int row, int column) { return paperCell(row, column); });
    m_ui->headerList->setColumns(
        {{QStringLiteral("Name"), 140}, {QStringLiteral("File"), 280}},
        [this] { return configuration().Headers.size(); },
        [this](int row, int column) { return headerCell(row, column); });

    connect(m_ui->addPaperButton, &QPushButton::clicked, this, &PaperPage::onAddPaper);
    connect(m_ui->editPaperButton, &QPushButton::clicked, this, &PaperPage::onEditPaper);
    connect(m_ui->deletePaperButton, &QPushButton::clicked, this, &PaperPage::onDeletePapers);
    connect(m_ui->addHeaderButton, &QPushButton::clicked, this, &PaperPage::onAddHeader);
    connect(m_ui->editHeaderButton, &QPushButton::clicked, this, &PaperPage::onEditHeader);
    connect(m_ui->deleteHeaderButton, &QPushButton::clicked, this, &PaperPage::onDeleteHeaders);
    connect(m_ui->paperList, &ReportList::listDoubleClicked, this, [this] {
        if (m_ui->paperList->selectedRowCount() == 1)
            onEditPaper();
    });
    connect(m_ui->headerList, &ReportList::listDoubleClicked, this, &PaperPage::onEditHeader);
    connect(m_ui->paperList, &ReportList::editRequested, this, &PaperPage::onEditPaper);
    connect(m_ui->paperList, &ReportList::deleteRequested, this, &PaperPage::onDeletePapers);
    connect(m_ui->headerList, &ReportList::editRequested, this, &PaperPage::onEditHeader);
    connect(m_ui->headerList, &ReportList::deleteRequested, this, &PaperPage::onDeleteHeaders);
    for (ReportList* list : {m_ui->paperList, m_ui->headerList})
        connect(list, &ReportList::undoRequested, this, [this] { this->host().undoStack().undo(); });
    m_ui->paperList->attachFilter(m_ui->paperFilter);
    m_ui->headerList->attachFilter(m_ui->headerFilter);
    focusOnFind(this, m_ui->paperFilter);
}

PaperPage::~PaperPage() = default;

void PaperPage::onSetActive()
{
    clearCheckDone();
    // Refilled on every activation: papers added elsewhere (the wizard) show.
    refreshLists();
}

void PaperPage::refreshLists()
{
    // Every change ends in a refresh; only a deletion offers its undo after it.
    m_ui->paperUndo->dismiss();
    m_ui->headerUndo->dismiss();
    m_ui->paperList->refresh();
    m_ui->headerList->refresh();
}

QString PaperPage::paperCell(int row, int column) const
{
    const PaperRecord* p = configuration().Papers.at(row);
    if (!p)
        return {};
    switch (column) {
    case 0:
        return toQt(p->Name);
    case 1:
        return toQt(p->Description);
    case 2:
        return toQt(p->PaperLabel);
    case 3:
        return toQt(p->HeaderName);
    case 4:
        return QString::number(p->SizeX);
    case 5:
        return QString::number(p->SizeY);
    case 6:
        return QString::number(p->SkipX);
    case 7:
        return QString::number(p->SkipY);
    case 8:
        return QString::number(p->OffsetX);
    default:
        return QString::number(p->OffsetY);
    }
}

QString PaperPage::headerCell(int row, int column) const
{
    const HeaderRecord* h = configuration().Headers.at(row);
    if (!h)
        return {};
    return column == 0 ? toQt(h->Name) : toQt(h->IncludeFile);
}

void PaperPage::contextMenuEvent(QContextMenuEvent* event)
{
    // Each list has its menu: Add, Edit, Delete of its records.
    const bool papers = m_ui->paperList->menuPoint(*event).has_value();
    ReportList* list = papers ? m_ui->paperList : m_ui->headerList;
    const std::optional<QPoint> at = list->menuPoint(*event);
    if (!at)
        return;
    const int selected = list->selectedRowCount();
    QMenu menu(this);
    menu.setObjectName(papers ? QStringLiteral("PaperSizeMenu") : QStringLiteral("HeaderMenu"));
    QAction* add = menu.addAction(QStringLiteral("&Add"));
    QAction* edit = menu.addAction(QStringLiteral("&Edit"));
    QAction* remove = menu.addAction(QStringLiteral("&Delete"));
    edit->setEnabled(selected == 1);
    remove->setEnabled(selected >= 1);

    QAction* chosen = interaction().popupMenu(menu, *at);
    if (chosen == add)
        papers ? onAddPaper() : onAddHeader();
    else if (chosen == edit)
        papers ? onEditPaper() : onEditHeader();
    else if (chosen == remove)
        papers ? onDeletePapers() : onDeleteHeaders();
}

void PaperPage::onAddPaper()
{
    const Configuration& config = configuration();
    PaperSizeDialog dialog(interaction(), textEncoding(), this);
    dialog.setHeaders(&config.Headers);
    dialog.setNameTaken([&config](const std::string& name) { return config.Papers.exists(name); });
    if (interaction().runModal(dialog) == QDialog::Accepted) {
        ConfigChange* add = change(QStringLiteral("Add Paper Size %1").arg(toQt(dialog.record().Name)));
        changes::append(*add, &Configuration::Papers, dialog.record());
        record(add);
    }
    refreshLists();
}

void PaperPage::onEditPaper()
{
    const std::vector<int> rows = m_ui->paperList->selectedRowsAscending();
    if (rows.size() != 1)
        return;
    const Configuration& config = configuration();
    const int position = rows.front();
    if (const PaperRecord* paper = config.Papers.at(position)) {
        PaperSizeDialog dialog(interaction(), textEncoding(), this);
        dialog.setRecord(*paper);
        dialog.setHeaders(&config.Headers);
        dialog.setNameTaken(
            [&config, position](const std::string& name) { return config.Papers.existsElsewhere(name, position); });
        if (interaction().runModal(dialog) == QDialog::Accepted) {
            const PaperRecord& edited = dialog.record();
            ConfigChange* edit = change(QStringLiteral("Edit Paper Size %1").arg(toQt(edited.Name)));
            changes::replace(*edit, &Configuration::Papers, position, *paper, edited);
            // The standard layout follows its paper's new name.
            if (paper->Name == config.Layout.PageSize && edited.Name != paper->Name)
                changes::set(*edit, pageSizeOf, config.Layout.PageSize, edited.Name.str());
            record(edit);
        }
    }
    refreshLists();
}

void PaperPage::onDeletePapers()
{
    const std::vector<int> rows = m_ui->paperList->selectedRowsAscending();
    if (rows.empty())
        return;
    ConfigChange* remove = change(QStringLiteral("Delete ") + countedText(rows.size(), "paper size", "paper sizes"));
    changes::removeAt(*remove, configuration().Papers, &Configuration::Papers, {rows.begin(), rows.end()});
    record(remove);
    refreshLists();
    m_ui->paperUndo->offer(deletedText(rows.size(), "paper size", "paper sizes"), host().undoStack());
}

void PaperPage::onAddHeader()
{
    HeaderDialog dialog(interaction(), textEncoding(), this);
    const HeaderList& headers = configuration().Headers;
    const TextEncoding encoding = textEncoding();
    dialog.setNameTaken(
        [&headers, encoding](const std::string& name) { return headers.exists(upperCaseName(name, encoding)); });
    if (interaction().runModal(dialog) == QDialog::Accepted) {
        const HeaderRecord header{upperCaseName(dialog.record().Name, encoding), dialog.record().IncludeFile};
        ConfigChange* add = change(QStringLiteral("Add Header Bitmap %1").arg(toQt(header.Name)));
        changes::append(*add, &Configuration::Headers, header);
        record(add);
    }
    refreshLists();
}

void PaperPage::onEditHeader()
{
    const std::vector<int> rows = m_ui->headerList->selectedRowsAscending();
    if (rows.size() != 1)
        return;
    const Configuration& config = configuration();
    const int position = rows.front();
    if (const HeaderRecord* header = config.Headers.at(position)) {
        HeaderDialog dialog(interaction(), textEncoding(), this);
        dialog.setRecord(*header);
        const TextEncoding encoding = textEncoding();
        dialog.setNameTaken([&config, position, encoding](const std::string& name) {
            return config.Headers.existsElsewhere(upperCaseName(name, encoding), position);
        });
        if (interaction().runModal(dialog) == QDialog::Accepted) {
            const HeaderRecord edited{upperCaseName(dialog.record().Name, encoding), dialog.record().IncludeFile};
            ConfigChange* edit = change(QStringLiteral("Edit Header Bitmap %1").arg(toQt(edited.Name)));
            changes::replace(*edit, &Configuration::Headers, position, *header, edited);
            // The papers that name the header follow its new name.
            if (edited.Name != header->Name)
                renameHeaderInPapers(*edit, header->Name, edited.Name);
            record(edit);
        }
    }
    refreshLists();
}

void PaperPage::renameHeaderInPapers(ConfigChange& edit, const std::string& from, const std::string& to) const
{
    std::ptrdiff_t position = 0;
    for (const PaperRecord& paper : configuration().Papers) {
        if (paper.HeaderName == from) {
            PaperRecord renamed = paper;
            renamed.HeaderName = to;
            changes::replace(edit, &Configuration::Papers, position, paper, renamed);
        }
        ++position;
    }
}

void PaperPage::onDeleteHeaders()
{
    const std::vector<int> rows = m_ui->headerList->selectedRowsAscending();
    if (rows.empty())
        return;
    ConfigChange* remove =
        change(QStringLiteral("Delete ") + countedText(rows.size(), "header bitmap", "header bitmaps"));
    changes::removeAt(*remove, configuration().Headers, &Configuration::Headers, {rows.begin(), rows.end()});
    record(remove);
    refreshLists();
    m_ui->headerUndo->offer(deletedText(rows.size(), "header bitmap", "header bitmaps"), host().undoStack());
}
