#pragma once

#include <memory>

#include "pages/ConfigPage.h"

namespace Ui {
class PaperPage;
}

// "Paper": the paper sizes and the header bitmaps. A row is the record at
// its position; every command changes the lists at once.
class PaperPage : public ConfigPage {
    Q_OBJECT
  public:
    explicit PaperPage(PageHost& host, QWidget* parent = nullptr);
    ~PaperPage() override;

    void onSetActive() override;

    void onAddPaper();
    void onEditPaper();
    void onDeletePapers();
    void onAddHeader();
    void onEditHeader();
    void onDeleteHeaders();

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    QString paperCell(int row, int column) const;
    QString headerCell(int row, int column) const;
    void refreshLists();

    std::unique_ptr<Ui::PaperPage> m_ui;
};
