#include "pages/PrinterPage.h"

#include <QContextMenuEvent>
#include <QMenu>

#include "config/Configuration.h"
#include "diagnostics/PrinterDiagnostics.h"
#include "pages/InteractionSink.h"
#ifdef QUARVEL_DICOM
#include "dicom/DicomChecks.h"
#include "dicom/DicomPlugin.h"
#include "pages/DicomTaskDialog.h"
#endif
#include "pages/PrinterDialog.h"
#include "ui/Fields.h"
#include "ui/UndoBar.h"
#include "ui_PrinterPage.h"

PrinterPage::PrinterPage(PageHost& host, QWidget* parent)
    : ConfigPage(host, parent), m_ui(std::make_unique<Ui::PrinterPage>())
{
    m_ui->setupUi(this);
    m_ui->printerList->setColumns(
        {{QStringLiteral("AETitle"), 100},
         {QStringLiteral("Description"), 150},
         {QStringLiteral("Address"), 100},
         {QStringLiteral("Queue"), 80}},
        [this] { return configuration().Printers.size(); },
        [this](int row, int column) { return cellText(row, column); });
    connect(m_ui->addButton, &QPushButton::clicked, this, &PrinterPage::onAdd);
    connect(m_ui->editButton, &QPushButton::clicked, this, &PrinterPage::onEdit);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &PrinterPage::onDelete);
    connect(m_ui->printerList, &ReportList::listDoubleClicked, this, [this] {
        if (m_ui->printerList->selectedRowCount() == 1)
            onEdit();
    });
    connect(m_ui->printerList, &ReportList::editRequested, this, &PrinterPage::onEdit);
    connect(m_ui->printerList, &ReportList::deleteRequested, this, &PrinterPage::onDelete);
    connect(m_ui->printerList, &ReportList::undoRequested, m_ui->printerUndo, &UndoBar::undo);
    connect(m_ui->printerFilter, &QLineEdit::textChanged, m_ui->printerList, &ReportList::setFilterText);
    focusOnFind(this, m_ui->printerFilter);
}

PrinterPage::~PrinterPage() = default;

void PrinterPage::onSetActive()
{
    m_ui->printerUndo->dismiss();
    m_ui->printerList->refresh();
    clearCheckDone();
    showValues();
}

bool PrinterPage::onKillActive()
{
    readControls();
    return true;
}

void PrinterPage::readControls()
{
    Configuration& config = configuration();
    fieldReader()
        .check(m_ui->suppressPrinting, config.SuppressPrinting)
        .check(m_ui->deleteJobFile, config.DeleteJobFile)
        .check(m_ui->asynchronous, config.Asynchronous);
}

void PrinterPage::showValues()
{
    const Configuration& config = configuration();
    showCheck(m_ui->suppressPrinting, config.SuppressPrinting);
    showCheck(m_ui->deleteJobFile, config.DeleteJobFile);
    showCheck(m_ui->asynchronous, config.Asynchronous);
}

QString PrinterPage::cellText(int row, int column) const
{
    const PrinterRecord* printer = configuration().Printers.at(row);
    if (!printer)
        return {};
    switch (column) {
    case 0:
        return toQt(printer->PrinterAETitle);
    case 1:
        return toQt(printer->Description);
    case 2:
        return toQt(printer->PrinterAddress);
    default:
        return toQt(printer->PrinterQueue);
    }
}

const PrinterRecord* PrinterPage::selectedPrinter() const
{
    const std::vector<int> rows = m_ui->printerList->selectedRowsAscending();
    return rows.size() == 1 ? configuration().Printers.at(rows.front()) : nullptr;
}

void PrinterPage::contextMenuEvent(QContextMenuEvent* event)
{
    const std::optional<QPoint> at = m_ui->printerList->menuPoint(*event);
    if (!at)
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
    QAction* page = test->addAction(QStringLiteral("Send Te&st Page"));
#ifdef QUARVEL_DICOM
    QAction* film = test->addAction(QStringLiteral("Send DICOM &Test Film"));
#else
    QAction* film = nullptr;
#endif
    edit->setEnabled(selected == 1);
    remove->setEnabled(selected >= 1);
    test->menuAction()->setEnabled(selected == 1);

    QAction* chosen = interaction().popupMenu(menu, *at);
    if (chosen == add)
        onAdd();
    else if (chosen == edit)
        onEdit();
    else if (chosen == remove)
        onDelete();
    else if (chosen == ping)
        onNetworkPing();
    else if (chosen == page)
        onSendTestPage();
    else if (chosen && chosen == film)
        onSendTestFilm();
}

void PrinterPage::onAdd()
{
    m_ui->printerUndo->dismiss();
    PrinterDialog dialog(interaction(), host().diagnostics(), textEncoding(), this);
    if (interaction().runModal(dialog) == QDialog::Accepted) {
        PrinterList& printers = configuration().Printers;
        if (printers.exists(dialog.record().PrinterAETitle))
            interaction().tell(this, QStringLiteral("Printer already exists"), Interaction::Icon::Warning);
        else
            printers.add(dialog.record());
    }
    m_ui->printerList->refresh();
}

void PrinterPage::onEdit()
{
    const std::vector<int> rows = m_ui->printerList->selectedRowsAscending();
    if (rows.size() != 1)
        return;
    PrinterRecord* printer = configuration().Printers.at(rows.front());
    if (!printer)
        return;
    m_ui->printerUndo->dismiss();
    PrinterDialog dialog(interaction(), host().diagnostics(), textEncoding(), this);
    dialog.setRecord(*printer);
    if (interaction().runModal(dialog) == QDialog::Accepted)
        *printer = dialog.record();
    m_ui->printerList->refresh();
}

void PrinterPage::onDelete()
{
    const std::vector<int> rows = m_ui->printerList->selectedRowsAscending();
    if (rows.empty())
        return;
    // The list as it was: the bar disappears with the next change, so
    // nothing else can have moved when it is put back.
    PrinterList before = configuration().Printers;
    configuration().Printers.removeAtPositions({rows.begin(), rows.end()});
    m_ui->printerList->refresh();
    m_ui->printerUndo->offer(deletedText(rows.size(), "printer", "printers"), [this, before = std::move(before)] {
        configuration().Printers = before;
        m_ui->printerList->refresh();
    });
}

void PrinterPage::onNetworkPing()
{
    const PrinterRecord* printer = selectedPrinter();
    if (!printer)
        return;
    std::string report;
    const bool reached = PrinterDiagnostics(host().diagnostics()).ping(printer->PrinterAddress, report);
    interaction().tell(this, toQt(report), reached ? Interaction::Icon::Information : Interaction::Icon::Warning);
}

void PrinterPage::onSendTestPage()
{
    const PrinterRecord* printer = selectedPrinter();
    if (!printer)
        return;
    InteractionSink sink(interaction(), this);
    PrinterDiagnostics(host().diagnostics()).sendTestPage(printer->PrinterAddress, printer->PrinterQueue, sink);
}

void PrinterPage::onSendTestFilm()
{
#ifdef QUARVEL_DICOM
    const PrinterRecord* printer = selectedPrinter();
    if (!printer)
        return;
    const std::string title = printer->PrinterAETitle;
    std::string error;
    DicomChecks* checks = dicomChecks(error);
    if (!checks) {
        interaction().tell(this, QString::fromStdString(error), Interaction::Icon::Warning);
        return;
    }
    DicomPeer peer;
    peer.port = configuration().Port;
    const bool landscape = configuration().Layout.Orientation != 0;
    TestFilmReport report;
    DicomTaskDialog task(
        QStringLiteral("Sending a test film to '%1' through %2...").arg(toQt(title), toQt(peer.address())), this);
    const bool finished = task.run(
        interaction(), [&](DicomCancel& cancel) { report = checks->sendTestFilm(peer, title, landscape, cancel); });
    QStringList lines;
    for (const std::string& line : checks->testFilmLines(report, title, peer))
        lines << toQt(line);
    const QString head = !finished        ? QStringLiteral("Test film cancelled.")
                         : report.printed ? QStringLiteral("SUCCESS!")
                                          : QStringLiteral("FAILED!");
    interaction().tell(this, head + QStringLiteral("\n\n") + lines.join(QLatin1Char('\n')),
                       report.printed ? Interaction::Icon::Information : Interaction::Icon::Warning);
#endif
}
