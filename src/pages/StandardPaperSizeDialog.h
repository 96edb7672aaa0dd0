#pragma once

#include <QDialog>
#include <memory>
#include <string>

class Interaction;

namespace Ui {
class CStandardPaperSizeDialog;
}

// "Standard Paper Size": picks one of the thirty formats; the caller takes
// Width, Height and PaperLabel after "Copy".
class CStandardPaperSizeDialog : public QDialog {
    Q_OBJECT
public:
    explicit CStandardPaperSizeDialog(Interaction& interaction, QWidget* parent = nullptr);
    ~CStandardPaperSizeDialog() override;

    int Width = 0;
    int Height = 0;
    std::string PaperLabel;

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ReadControls();
    void ShowValues();
    void OnSelectionChanged(int position);

    std::unique_ptr<Ui::CStandardPaperSizeDialog> m_ui;
    Interaction& m_interaction;
    bool m_opened = false;
};
