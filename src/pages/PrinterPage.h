#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "pages/ConfigPage.h"

class QAbstractButton;
class QAction;
class QMenu;
struct PrinterRecord;

namespace Ui {
class PrinterPage;
}

// "Printer": the printers of the configuration and the general printer
// flags, with the two printer diagnostics in the list's context menu.
class PrinterPage : public ConfigPage {
    Q_OBJECT
  public:
    explicit PrinterPage(PageHost& host, QWidget* parent = nullptr);
    ~PrinterPage() override;

    void onSetActive() override;
    bool onKillActive() override;
    void commitEdits() override;

    void onAdd();
    void onEdit();
    void onDelete();
    void onNetworkPing();
    void onSendTestPage();
    // A DICOM test film through the server on this machine to the printer.
    void onSendTestFilm();

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    QString cellText(int row, int column) const;
    // The printer of the single selected row; none unless exactly one is.
    const PrinterRecord* selectedPrinter() const;
    // The general printer flags' boxes and the settings they show.
    std::vector<std::pair<QAbstractButton*, bool Configuration::*>> flagBoxes() const;
    void showValues();

    std::unique_ptr<Ui::PrinterPage> m_ui;
};
