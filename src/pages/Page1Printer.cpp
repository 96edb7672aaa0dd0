#include "pages/Page1Printer.h"

#include <QContextMenuEvent>
#include <QMenu>

#include "config/Configuration.h"
#include "diagnostics/PrinterTest.h"
#include "pages/PrinterDialog.h"
#include "ui/Fields.h"
#include "ui/InteractionSink.h"
#include "ui_Page1Printer.h"

CPage1Printer::CPage1Printer(PageHost& host, QWidget* parent)
    : CQuarvelPage(host, parent), m_ui(std::make_unique<Ui::CPage1Printer>())
{
    m_ui->setupUi(this);
    m_ui->printerList->SetColumns(
        {{QStringLiteral("AETitle"), 100},
         {QStringLiteral("Description"), 150},
         {QStringLiteral("Address"), 100},
         {QStringLiteral("Queue"), 80}},
        [this] { return Configuration().Printers.GetCount(); },
        [this](int row, int column) { return CellText(row, column); });
    connect(m_ui->addButton, &QPushButton::clicked, this, &CPage1Printer::OnAdd);
    connect(m_ui->editButton, &QPushButton::clicked, this, &CPage1Printer::OnEdit);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &CPage1Printer::OnDelete);
    connect(m_ui->printerList, &ReportList::listDoubleClicked, this, [this] {
        if (m_ui->printerList->selectedRowCount() == 1)
            OnEdit();
    });
}

CPage1Printer::~CPage1Printer() = default;

void CPage1Printer::onSetActive()
{
    m_ui->printerList->Refresh();
    ClearCheckDone();
    ShowValues();
}

bool CPage1Printer::onKillActive()
{
    ReadControls();
    return true;
}

void CPage1Printer::ReadControls()
{
    CConfiguration& config = Configuration();
    FieldReader(interaction(), this)
        .check(m_ui->suppressPrinting, config.SuppressPrinting)
        .check(m_ui->deleteJobFile, config.DeleteJobFile)
        .check(m_ui->asynchronous, config.Asynchronous);
}

void CPage1Printer::ShowValues()
{
    const CConfiguration& config = Configuration();
    ShowCheck(m_ui->suppressPrinting, config.SuppressPrinting);
    ShowCheck(m_ui->deleteJobFile, config.DeleteJobFile);
    ShowCheck(m_ui->asynchronous, config.Asynchronous);
}

QString CPage1Printer::CellText(int row, int column) const
{
    const sPrinter* printer = Configuration().Printers.GetAt(row);
    if (!printer)
        return {};
    switch (column) {
    case 0:
        return ToQt(printer->PrinterAETitle);
    case 1:
        return ToQt(printer->Description);
    case 2:
        return ToQt(printer->PrinterAddress);
    default:
        return ToQt(printer->PrinterQueue);
    }
}

const sPrinter* CPage1Printer::SelectedPrinter() const
{
    const std::vector<int> rows = m_ui->printerList->selectedRowsAscending();
    return rows.size() == 1 ? Configuration().Printers.GetAt(rows.front()) : nullptr;
}

void CPage1Printer::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_ui->printerList->IsMouseRequestInside(*event))
        return;

    const int selected = m_ui->printerList->selectedRowCount();
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("PrinterMenu"));
    QAction* add = menu.addAction(QStringLiteral("&Add"));
    QAction* edit = menu.addAction(QStringLiteral("&Edit"));
    QAction* remove = menu.addAction(QStringLiteral("&Delete"));
    menu.addSeparator();
    QMenu* test = menu.addMenu(QStringLiteral("&Test Printer"));
    QAction* ping = test->addAction(QStringLiteral("&Network Ping"));
    QAction* page = test->addAction(QStringLiteral("Send Test Page"));
    edit->setEnabled(selected == 1);
    remove->setEnabled(selected >= 1);
    test->menuAction()->setEnabled(selected == 1);

    QAction* chosen = interaction().popupMenu(menu, event->globalPos());
    if (chosen == add)
        OnAdd();
    else if (chosen == edit)
        OnEdit();
    else if (chosen == remove)
        OnDelete();
    else if (chosen == ping)
        OnNetworkPing();
    else if (chosen == page)
        OnSendTestPage();
}

void CPage1Printer::OnAdd()
{
    CPrinterDialog dialog(interaction(), Host().diagnostics(), this);
    if (interaction().runModal(dialog) == QDialog::Accepted) {
        CPrinterList& printers = Configuration().Printers;
        if (printers.Exists(dialog.Record().PrinterAETitle))
            interaction().tell(this, QStringLiteral("Printer already exists"), Interaction::Icon::Warning);
        else
            printers.Add(dialog.Record());
    }
    m_ui->printerList->Refresh();
}

void CPage1Printer::OnEdit()
{
    const std::vector<int> rows = m_ui->printerList->selectedRowsAscending();
    if (rows.size() != 1)
        return;
    sPrinter* printer = Configuration().Printers.GetAt(rows.front());
    if (!printer)
        return;
    CPrinterDialog dialog(interaction(), Host().diagnostics(), this);
    dialog.SetRecord(*printer);
    if (interaction().runModal(dialog) == QDialog::Accepted)
        *printer = dialog.Record();
    m_ui->printerList->Refresh();
}

void CPage1Printer::OnDelete()
{
    Configuration().Printers.RemoveAtPositions(m_ui->printerList->selectedRowsAscending());
    m_ui->printerList->Refresh();
}

void CPage1Printer::OnNetworkPing()
{
    const sPrinter* printer = SelectedPrinter();
    if (!printer)
        return;
    std::string report;
    const bool reached = CPrinterTest(Host().diagnostics()).Ping(printer->PrinterAddress, report);
    interaction().tell(this, ToQt(report), reached ? Interaction::Icon::Information : Interaction::Icon::Warning);
}

void CPage1Printer::OnSendTestPage()
{
    const sPrinter* printer = SelectedPrinter();
    if (!printer)
        return;
    InteractionSink sink(interaction(), this);
    CPrinterTest(Host().diagnostics()).SendTestPage(printer->PrinterAddress, printer->PrinterQueue, sink);
}
