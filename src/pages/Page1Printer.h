#pragma once

#include <memory>

#include "pages/QuarvelPage.h"

class QAction;
class QMenu;
struct sPrinter;

namespace Ui {
class CPage1Printer;
}

// "Printer": the printers of the configuration and the general printer
// flags, with the two printer diagnostics in the list's context menu.
class CPage1Printer : public CQuarvelPage {
    Q_OBJECT
  public:
    explicit CPage1Printer(PageHost& host, QWidget* parent = nullptr);
    ~CPage1Printer() override;

    void onSetActive() override;
    bool onKillActive() override;

    void OnAdd();
    void OnEdit();
    void OnDelete();
    void OnNetworkPing();
    void OnSendTestPage();

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    QString CellText(int row, int column) const;
    // The printer of the single selected row; none unless exactly one is.
    const sPrinter* SelectedPrinter() const;
    void ReadControls();
    void ShowValues();

    std::unique_ptr<Ui::CPage1Printer> m_ui;
};
