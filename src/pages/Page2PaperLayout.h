#pragma once

#include <memory>

#include "pages/QuarvelPage.h"

namespace Ui {
class CPage2PaperLayout;
}

// "Paper": the paper sizes and the header bitmaps. A row is the record at
// its position; every command changes the lists at once.
class CPage2PaperLayout : public CQuarvelPage {
    Q_OBJECT
  public:
    explicit CPage2PaperLayout(PageHost& host, QWidget* parent = nullptr);
    ~CPage2PaperLayout() override;

    void onSetActive() override;

    void OnAddPaper();
    void OnEditPaper();
    void OnDeletePapers();
    void OnAddHeader();
    void OnEditHeader();
    void OnDeleteHeaders();

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    QString PaperCell(int row, int column) const;
    QString HeaderCell(int row, int column) const;
    void RefreshLists();

    std::unique_ptr<Ui::CPage2PaperLayout> m_ui;
};
