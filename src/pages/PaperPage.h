#pragma once

#include <memory>
#include <string>

#include "pages/ConfigPage.h"

class ConfigChange;

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
    // Adds to edit the renaming of header from in every paper that names it.
    void renameHeaderInPapers(ConfigChange& edit, const std::string& from, const std::string& to) const;

    std::unique_ptr<Ui::PaperPage> m_ui;
};
