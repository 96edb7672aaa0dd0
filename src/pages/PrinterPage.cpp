#include "pages/PrinterPage.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QUndoStack>

#include "config/Configuration.h"
#include "diagnostics/PrinterDiagnostics.h"
#include "pages/ConfigChange.h"
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
    connect(m_ui->printerList, &ReportList::undoRequested, this, [this] { this->host().undoStack().undo(); });
    m_ui->printerList->attachFilter(m_ui->printerFilter);
    focusOnFind(this, m_ui->printerFilter);
    for (const auto& flag : flagBoxes())
        connect(flag.first, &QAbstractButton::clicked, this, &PrinterPage::commitEdits);
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
    commitEdits();
    return true;
}

void PrinterPage::commitEdits()
{
    const Configuration& config = configuration();
    ConfigChange* flags = change(QStringLiteral("Change Printer Settings"));
    for (const auto& [box, member] : flagBoxes())
        if (box->isChecked() != config.*member)
            changes::set(
                *flags, [member = member](Configuration& c) -> bool& { return c.*member; }, config.*member,
                box->isChecked());
    record(flags);
}

std::vector<std::pair<QAbstractButton*, bool Configuration::*>> PrinterPage::flagBoxes() const
{
    return {{m_ui->suppressPrinting, &Configuration::SuppressPrinting},
            {m_ui->deleteJobFile, &Configuration::DeleteJobFile},
            {m_ui->asynchronous, &Configuration::Asynchronous}};
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
    const PrinterList& printers = configuration().Printers;
    dialog.setNameTaken([&printers](const std::string& title) { return printers.exists(title); });
    if (interaction().runModal(dialog) == QDialog::Accepted) {
        ConfigChange* add = change(QStringLiteral("Add Printer %1").arg(toQt(dialog.record().PrinterAETitle)));
        changes::append(*add, &Configuration::Printers, dialog.record());
        record(add);
    }
    m_ui->printerList->refresh();
}

void PrinterPage::onEdit()
{
    const std::vector<int> rows = m_ui->printerList->selectedRowsAscending();
    if (rows.size() != 1)
        return;
    const PrinterRecord* printer = configuration().Printers.at(rows.front());
    if (!printer)
        return;
    m_ui->printerUndo->dismiss();
    PrinterDialog dialog(interaction(), host().diagnostics(), textEncoding(), this);
    dialog.setRecord(*printer);
    const PrinterList& printers = configuration().Printers;
    const int position = rows.front();
    dialog.setNameTaken(
        [&printers, position](const std::string& title) { return printers.existsElsewhere(title, position); });
    if (interaction().runModal(dialog) == QDialog::Accepted) {
        ConfigChange* edit = change(QStringLiteral("Edit Printer %1").arg(toQt(dialog.record().PrinterAETitle)));
        changes::replace(*edit, &Configuration::Printers, position, *printer, dialog.record());
        record(edit);
    }
    m_ui->printerList->refresh();
}

void PrinterPage::onDelete()
{
    const std::vector<int> rows = m_ui->printerList->selectedRowsAscending();
    if (rows.empty())
        return;
    ConfigChange* remove = change(QStringLiteral("Delete ") + countedText(rows.size(), "printer", "printers"));
    changes::removeAt(*remove, configuration().Printers, &Configuration::Printers, {rows.begin(), rows.end()});
    record(remove);
    m_ui->printerList->refresh();
    m_ui->printerUndo->offer(deletedText(rows.size(), "printer", "printers"), host().undoStack());
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
