#include "pages/Page2PaperLayout.h"

#include <QContextMenuEvent>
#include <QLocale>
#include <QMenu>

#include "config/Configuration.h"
#include "pages/HeaderDialog.h"
#include "pages/PaperSizeDialog.h"
#include "ui/Fields.h"
#include "ui_Page2PaperLayout.h"

namespace {

// Header names are stored in upper case, by the user's locale's rules; a
// name whose upper case the file's encoding cannot hold stays as it is.
std::string UpperCaseName(const std::string& name)
{
    std::string upper;
    return EncodeText(QLocale::system().toUpper(ToQt(name)), upper) ? upper : name;
}

} // namespace

CPage2PaperLayout::CPage2PaperLayout(PageHost& host, QWidget* parent)
    : CQuarvelPage(host, parent), m_ui(std::make_unique<Ui::CPage2PaperLayout>())
{
    m_ui->setupUi(this);
    m_ui->paperList->SetColumns(
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
        [this] { return Configuration().Papers.GetCount(); },
        [this](int row, int column) { return PaperCell(row, column); });
    m_ui->headerList->SetColumns(
        {{QStringLiteral("Name"), 140}, {QStringLiteral("File"), 280}},
        [this] { return Configuration().Headers.GetCount(); },
        [this](int row, int column) { return HeaderCell(row, column); });

    connect(m_ui->addPaperButton, &QPushButton::clicked, this, &CPage2PaperLayout::OnAddPaper);
    connect(m_ui->editPaperButton, &QPushButton::clicked, this, &CPage2PaperLayout::OnEditPaper);
    connect(m_ui->deletePaperButton, &QPushButton::clicked, this, &CPage2PaperLayout::OnDeletePapers);
    connect(m_ui->addHeaderButton, &QPushButton::clicked, this, &CPage2PaperLayout::OnAddHeader);
    connect(m_ui->editHeaderButton, &QPushButton::clicked, this, &CPage2PaperLayout::OnEditHeader);
    connect(m_ui->deleteHeaderButton, &QPushButton::clicked, this, &CPage2PaperLayout::OnDeleteHeaders);
    connect(m_ui->paperList, &ReportList::listDoubleClicked, this, [this] {
        if (m_ui->paperList->selectedRowCount() == 1)
            OnEditPaper();
    });
    connect(m_ui->headerList, &ReportList::listDoubleClicked, this, &CPage2PaperLayout::OnEditHeader);
}

CPage2PaperLayout::~CPage2PaperLayout() = default;

void CPage2PaperLayout::onSetActive()
{
    ClearCheckDone();
    // Refilled on every activation: papers added elsewhere (the wizard) show.
    RefreshLists();
}

void CPage2PaperLayout::RefreshLists()
{
    m_ui->paperList->Refresh();
    m_ui->headerList->Refresh();
}

QString CPage2PaperLayout::PaperCell(int row, int column) const
{
    const sPaper* p = Configuration().Papers.GetAt(row);
    if (!p)
        return {};
    switch (column) {
    case 0:
        return ToQt(p->Name);
    case 1:
        return ToQt(p->Description);
    case 2:
        return ToQt(p->PaperLabel);
    case 3:
        return ToQt(p->HeaderName);
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

QString CPage2PaperLayout::HeaderCell(int row, int column) const
{
    const sHeader* h = Configuration().Headers.GetAt(row);
    if (!h)
        return {};
    return column == 0 ? ToQt(h->Name) : ToQt(h->IncludeFile);
}

void CPage2PaperLayout::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_ui->paperList->IsMouseRequestInside(*event))
        return;
    const int selected = m_ui->paperList->selectedRowCount();
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("PaperSizeMenu"));
    QAction* add = menu.addAction(QStringLiteral("Add"));
    QAction* edit = menu.addAction(QStringLiteral("Edit"));
    QAction* remove = menu.addAction(QStringLiteral("Delete"));
    edit->setEnabled(selected == 1);
    remove->setEnabled(selected >= 1);

    QAction* chosen = interaction().popupMenu(menu, event->globalPos());
    if (chosen == add)
        OnAddPaper();
    else if (chosen == edit)
        OnEditPaper();
    else if (chosen == remove)
        OnDeletePapers();
}

void CPage2PaperLayout::OnAddPaper()
{
    CConfiguration& config = Configuration();
    CPaperSizeDialog dialog(interaction(), this);
    dialog.SetHeaders(&config.Headers);
    if (interaction().runModal(dialog) == QDialog::Accepted) {
        if (config.Papers.Exists(dialog.Record().Name))
            interaction().tell(this, QStringLiteral("Paper already exists"), Interaction::Icon::None);
        else
            config.Papers.Add(dialog.Record());
    }
    RefreshLists();
}

void CPage2PaperLayout::OnEditPaper()
{
    const std::vector<int> rows = m_ui->paperList->selectedRowsAscending();
    if (rows.size() != 1)
        return;
    CConfiguration& config = Configuration();
    if (sPaper* paper = config.Papers.GetAt(rows.front())) {
        const bool isPageSize = paper->Name == config.Layout.PageSize;
        CPaperSizeDialog dialog(interaction(), this);
        dialog.SetRecord(*paper);
        dialog.SetHeaders(&config.Headers);
        if (interaction().runModal(dialog) == QDialog::Accepted) {
            *paper = dialog.Record();
            // The standard layout follows its paper's new name.
            if (isPageSize)
                config.Layout.PageSize = paper->Name;
        }
    }
    RefreshLists();
}

void CPage2PaperLayout::OnDeletePapers()
{
    Configuration().Papers.RemoveAtPositions(m_ui->paperList->selectedRowsAscending());
    RefreshLists();
}

void CPage2PaperLayout::OnAddHeader()
{
    CHeaderDialog dialog(interaction(), this);
    if (interaction().runModal(dialog) == QDialog::Accepted) {
        CHeaderList& headers = Configuration().Headers;
        const std::string name = UpperCaseName(dialog.Record().Name);
        if (headers.Exists(name))
            interaction().tell(this, QStringLiteral("Header bitmap already exists"), Interaction::Icon::None);
        else
            headers.Add(sHeader{name, dialog.Record().IncludeFile});
    }
    RefreshLists();
}

void CPage2PaperLayout::OnEditHeader()
{
    const std::vector<int> rows = m_ui->headerList->selectedRowsAscending();
    if (rows.size() != 1)
        return;
    if (sHeader* header = Configuration().Headers.GetAt(rows.front())) {
        CHeaderDialog dialog(interaction(), this);
        dialog.SetRecord(*header);
        if (interaction().runModal(dialog) == QDialog::Accepted) {
            header->Name = UpperCaseName(dialog.Record().Name);
            header->IncludeFile = dialog.Record().IncludeFile;
        }
    }
    RefreshLists();
}

void CPage2PaperLayout::OnDeleteHeaders()
{
    Configuration().Headers.RemoveAtPositions(m_ui->headerList->selectedRowsAscending());
    RefreshLists();
}
