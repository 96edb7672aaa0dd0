#include "pages/PaperPage.h"

#include <QContextMenuEvent>
#include <QLocale>
#include <QMenu>

#include "config/Configuration.h"
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
    connect(m_ui->paperList, &ReportList::undoRequested, m_ui->paperUndo, &UndoBar::undo);
    connect(m_ui->headerList, &ReportList::undoRequested, m_ui->headerUndo, &UndoBar::undo);
    m_ui->paperList->attachFilter(m_ui->paperFilter);
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
    const std::optional<QPoint> at = m_ui->paperList->menuPoint(*event);
    if (!at)
        return;
    const int selected = m_ui->paperList->selectedRowCount();
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("PaperSizeMenu"));
    QAction* add = menu.addAction(QStringLiteral("&Add"));
    QAction* edit = menu.addAction(QStringLiteral("&Edit"));
    QAction* remove = menu.addAction(QStringLiteral("&Delete"));
    edit->setEnabled(selected == 1);
    remove->setEnabled(selected >= 1);

    QAction* chosen = interaction().popupMenu(menu, *at);
    if (chosen == add)
        onAddPaper();
    else if (chosen == edit)
        onEditPaper();
    else if (chosen == remove)
        onDeletePapers();
}

void PaperPage::onAddPaper()
{
    Configuration& config = configuration();
    PaperSizeDialog dialog(interaction(), textEncoding(), this);
    dialog.setHeaders(&config.Headers);
    if (interaction().runModal(dialog) == QDialog::Accepted) {
        if (config.Papers.exists(dialog.record().Name))
            interaction().tell(this, QStringLiteral("Paper already exists"), Interaction::Icon::None);
        else
            config.Papers.add(dialog.record());
    }
    refreshLists();
}

void PaperPage::onEditPaper()
{
    const std::vector<int> rows = m_ui->paperList->selectedRowsAscending();
    if (rows.size() != 1)
        return;
    Configuration& config = configuration();
    if (PaperRecord* paper = config.Papers.at(rows.front())) {
        const bool isPageSize = paper->Name == config.Layout.PageSize;
        PaperSizeDialog dialog(interaction(), textEncoding(), this);
        dialog.setRecord(*paper);
        dialog.setHeaders(&config.Headers);
        if (interaction().runModal(dialog) == QDialog::Accepted) {
            *paper = dialog.record();
            // The standard layout follows its paper's new name.
            if (isPageSize)
                config.Layout.PageSize = paper->Name;
        }
    }
    refreshLists();
}

void PaperPage::onDeletePapers()
{
    const std::vector<int> rows = m_ui->paperList->selectedRowsAscending();
    if (rows.empty())
        return;
    PaperList before = configuration().Papers;
    configuration().Papers.removeAtPositions({rows.begin(), rows.end()});
    refreshLists();
    m_ui->paperUndo->offer(deletedText(rows.size(), "paper size", "paper sizes"), [this, before = std::move(before)] {
        configuration().Papers = before;
        refreshLists();
    });
}

void PaperPage::onAddHeader()
{
    HeaderDialog dialog(interaction(), textEncoding(), this);
    if (interaction().runModal(dialog) == QDialog::Accepted) {
        HeaderList& headers = configuration().Headers;
        const std::string name = upperCaseName(dialog.record().Name, textEncoding());
        if (headers.exists(name))
            interaction().tell(this, QStringLiteral("Header bitmap already exists"), Interaction::Icon::None);
        else
            headers.add(HeaderRecord{name, dialog.record().IncludeFile});
    }
    refreshLists();
}

void PaperPage::onEditHeader()
{
    const std::vector<int> rows = m_ui->headerList->selectedRowsAscending();
    if (rows.size() != 1)
        return;
    if (HeaderRecord* header = configuration().Headers.at(rows.front())) {
        HeaderDialog dialog(interaction(), textEncoding(), this);
        dialog.setRecord(*header);
        if (interaction().runModal(dialog) == QDialog::Accepted) {
            header->Name = upperCaseName(dialog.record().Name, textEncoding());
            header->IncludeFile = dialog.record().IncludeFile;
        }
    }
    refreshLists();
}

void PaperPage::onDeleteHeaders()
{
    const std::vector<int> rows = m_ui->headerList->selectedRowsAscending();
    if (rows.empty())
        return;
    HeaderList before = configuration().Headers;
    configuration().Headers.removeAtPositions({rows.begin(), rows.end()});
    refreshLists();
    m_ui->headerUndo->offer(deletedText(rows.size(), "header bitmap", "header bitmaps"),
                            [this, before = std::move(before)] {
                                configuration().Headers = before;
                                refreshLists();
                            });
}
