#pragma once

#include "config/TextEncoding.h"

#include <QDialog>
#include <memory>
#include <string>

namespace Ui {
class ChangesDialog;
}

// A unified diff shown read-only in a fixed-width font, removed lines red,
// added lines green, with a summary above it: "Review Changes" and the
// changes of a file another program wrote.
class ChangesDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ChangesDialog(QWidget* parent = nullptr);
    ~ChangesDialog() override;

    // diff is in the configuration's code page, as the writer writes.
    void setChanges(const QString& summary, const std::string& diff, TextEncoding encoding);

  private:
    std::unique_ptr<Ui::ChangesDialog> m_ui;
};
