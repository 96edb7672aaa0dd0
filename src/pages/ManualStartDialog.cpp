#include "pages/ManualStartDialog.h"

#include "ui_ManualStartDialog.h"

ManualStartDialog::ManualStartDialog(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::ManualStartDialog>())
{
    m_ui->setupUi(this);
}

ManualStartDialog::~ManualStartDialog() = default;
