#pragma once

#include <QDialog>
#include <memory>
#include <string>

class Interaction;

namespace Ui {
class CHeaderDialog;
}

// "Add/Edit page header bitmap": a name and a bitmap file; no checks.
class CHeaderDialog : public QDialog {
    Q_OBJECT
public:
    explicit CHeaderDialog(Interaction& interaction, QWidget* parent = nullptr);
    ~CHeaderDialog() override;

    std::string Name;
    std::string File;

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ReadControls();
    void ShowValues();
    void OnBrowse();

    std::unique_ptr<Ui::CHeaderDialog> m_ui;
    Interaction& m_interaction;
    bool m_opened = false;
};
