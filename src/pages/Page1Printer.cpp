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
    m_ui->printerList->SetColumns({{QStringLiteral("AETitle"), 100},
                                   {QStringLiteral("Description"), 150},
                                   {QStringLiteral("Address"), 100},
                                   {QStringLiteral("Queue"), 80}});
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
    FillList();
    const CConfiguration& config = Configuration();
    m_suppressPrinting = config.SuppressPrinting ? 1 : 0;
    m_deleteJobFile = config.DeleteJobFile ? 1 : 0;
    m_asynchronous = config.Asynchronous ? 1 : 0;
    ClearCheckDone();
    ShowValues();
}

bool CPage1Printer::onKillActive()
{
    ReadControls();
    CConfiguration& config = Configuration();
    config.SuppressPrinting = m_suppressPrinting == 1;
    config.DeleteJobFile = m_deleteJobFile == 1;
    config.Asynchronous = m_asynchronous == 1;
    return true;
}

void CPage1Printer::ReadControls()
{
    FieldReader(interaction(), this)
        .check(m_ui->suppressPrinting, m_suppressPrinting)
        .check(m_ui->deleteJobFile, m_deleteJobFile)
        .check(m_ui->asynchronous, m_asynchronous);
}

void CPage1Printer::ShowValues()
{
    ShowCheck(m_ui->suppressPrinting, m_suppressPrinting);
    ShowCheck(m_ui->deleteJobFile, m_deleteJobFile);
    ShowCheck(m_ui->asynchronous, m_asynchronous);
}

void CPage1Printer::FillList()
{
    ReportList* list = m_ui->printerList;
    list->removeAllRows();
    for (const sPrinter& printer : Configuration().Printers)
        list->appendRow({ToQt(printer.PrinterAETitle), ToQt(printer.Description), ToQt(printer.PrinterAddress),
                         ToQt(printer.PrinterQueue)});
}

void CPage1Printer::contextMenuEvent(QContextMenuEvent* event)
{
    // Only a mouse request inside the list's rectangle opens the menu; a
    // keyboard request carries no such point.
    const QRect listRect(m_ui->printerList->mapToGlobal(QPoint(0, 0)), m_ui->printerList->size());
    if (event->reason() != QContextMenuEvent::Mouse || !listRect.contains(event->globalPos()))
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
        if (printers.Exists(dialog.AETitle)) {
            interaction().tell(this, QStringLiteral("Printer already exists"), Interaction::Icon::Warning);
        } else {
            sPrinter printer;
            dialog.StoreValues(printer);
            printers.Add(printer);
        }
    }
    FillList();
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
    dialog.SetValues(*printer);
    if (interaction().runModal(dialog) == QDialog::Accepted)
        dialog.StoreValues(*printer);
    FillList();
}

void CPage1Printer::OnDelete()
{
    std::vector<int> rows = m_ui->printerList->selectedRowsAscending();
    if (rows.empty())
        return;
    // Highest position first, so every position still names its row's printer.
    CPrinterList& printers = Configuration().Printers;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        if (printers.IsValidIndex(*row))
            printers.RemoveAt(*row);
    FillList();
}

void CPage1Printer::OnNetworkPing()
{
    const std::vector<int> rows = m_ui->printerList->selectedRowsAscending();
    if (rows.size() != 1)
        return;
    std::string report;
    const bool reached =
        CPrinterTest(Host().diagnostics()).Ping(FromQt(m_ui->printerList->text(rows.front(), 2)), report);
    interaction().tell(this, ToQt(report), reached ? Interaction::Icon::Information : Interaction::Icon::Warning);
}

void CPage1Printer::OnSendTestPage()
{
    const std::vector<int> rows = m_ui->printerList->selectedRowsAscending();
    if (rows.size() != 1)
        return;
    InteractionSink sink(interaction(), this);
    CPrinterTest(Host().diagnostics())
        .SendTestPage(FromQt(m_ui->printerList->text(rows.front(), 2)),
                      FromQt(m_ui->printerList->text(rows.front(), 3)), sink);
}
