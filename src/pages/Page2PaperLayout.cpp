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

// Header names are stored in upper case, by the user's locale's rules.
std::string UpperCaseName(const std::string& name)
{
    return FromQt(QLocale::system().toUpper(ToQt(name)));
}

} // namespace

CPage2PaperLayout::CPage2PaperLayout(PageHost& host, QWidget* parent)
    : CQuarvelPage(host, parent), m_ui(std::make_unique<Ui::CPage2PaperLayout>())
{
    m_ui->setupUi(this);
    m_ui->paperList->SetColumns({{QStringLiteral("Title"), 80},
                                 {QStringLiteral("Description"), 80},
                                 {QStringLiteral("Label"), 55},
                                 {QStringLiteral("Header"), 55},
                                 {QStringLiteral("Width"), 38},
                                 {QStringLiteral("Height"), 38},
                                 {QStringLiteral("SkipX"), 38},
                                 {QStringLiteral("SkipY"), 38},
                                 {QStringLiteral("OffX"), 35},
                                 {QStringLiteral("OffY"), 35}});
    m_ui->headerList->SetColumns({{QStringLiteral("Name"), 140}, {QStringLiteral("File"), 280}});

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
    FillLists();
}

void CPage2PaperLayout::FillLists()
{
    const CConfiguration& config = Configuration();
    m_ui->paperList->removeAllRows();
    for (const sPaper& p : config.Papers)
        m_ui->paperList->appendRow({ToQt(p.Name), ToQt(p.Description), ToQt(p.PaperLabel), ToQt(p.HeaderName),
                                    QString::number(p.SizeX), QString::number(p.SizeY), QString::number(p.SkipX),
                                    QString::number(p.SkipY), QString::number(p.OffsetX), QString::number(p.OffsetY)});
    m_ui->headerList->removeAllRows();
    for (const sHeader& h : config.Headers)
        m_ui->headerList->appendRow({ToQt(h.Name), ToQt(h.IncludeFile)});
}

void CPage2PaperLayout::contextMenuEvent(QContextMenuEvent* event)
{
    const QRect listRect(m_ui->paperList->mapToGlobal(QPoint(0, 0)), m_ui->paperList->size());
    if (event->reason() != QContextMenuEvent::Mouse || !listRect.contains(event->globalPos()))
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
    dialog.Headers = &config.Headers;
    if (interaction().runModal(dialog) == QDialog::Accepted) {
        if (config.Papers.Exists(dialog.Name)) {
            interaction().tell(this, QStringLiteral("Paper already exists"), Interaction::Icon::None);
        } else {
            sPaper paper;
            dialog.StoreValues(paper);
            config.Papers.Add(paper);
        }
    }
    FillLists();
}

void CPage2PaperLayout::OnEditPaper()
{
    const std::vector<int> rows = m_ui->paperList->selectedRowsAscending();
    if (rows.size() != 1)
        return;
    CConfiguration& config = Configuration();
    sPaper* paper = config.Papers.Find(FromQt(m_ui->paperList->text(rows.front(), 0)));
    if (paper) {
        const bool isPageSize = paper->Name == config.Layout.PageSize;
        CPaperSizeDialog dialog(interaction(), this);
        dialog.SetValues(*paper);
        dialog.Headers = &config.Headers;
        if (interaction().runModal(dialog) == QDialog::Accepted) {
            dialog.StoreValues(*paper);
            // The standard layout follows its paper's new name.
            if (isPageSize)
                config.Layout.PageSize = paper->Name;
        }
    }
    FillLists();
}

void CPage2PaperLayout::OnDeletePapers()
{
    CPaperList& papers = Configuration().Papers;
    for (int row : m_ui->paperList->selectedRowsAscending()) {
        const std::string name = FromQt(m_ui->paperList->text(row, 0));
        if (papers.Exists(name))
            papers.Remove(name);
    }
    FillLists();
}

void CPage2PaperLayout::OnAddHeader()
{
    CHeaderDialog dialog(interaction(), this);
    if (interaction().runModal(dialog) == QDialog::Accepted) {
        CHeaderList& headers = Configuration().Headers;
        const std::string name = UpperCaseName(dialog.Name);
        if (headers.Exists(name))
            interaction().tell(this, QStringLiteral("Header bitmap already exists"), Interaction::Icon::None);
        else
            headers.Add(sHeader{name, dialog.File});
    }
    FillLists();
}

void CPage2PaperLayout::OnEditHeader()
{
    const std::vector<int> rows = m_ui->headerList->selectedRowsAscending();
    if (rows.size() != 1)
        return;
    sHeader* header = Configuration().Headers.Find(FromQt(m_ui->headerList->text(rows.front(), 0)));
    if (header) {
        CHeaderDialog dialog(interaction(), this);
        dialog.Name = header->Name;
        dialog.File = header->IncludeFile;
        if (interaction().runModal(dialog) == QDialog::Accepted) {
            header->Name = UpperCaseName(dialog.Name);
            header->IncludeFile = dialog.File;
        }
    }
    FillLists();
}

void CPage2PaperLayout::OnDeleteHeaders()
{
    CHeaderList& headers = Configuration().Headers;
    for (int row : m_ui->headerList->selectedRowsAscending())
        headers.Remove(FromQt(m_ui->headerList->text(row, 0)));
    FillLists();
}
