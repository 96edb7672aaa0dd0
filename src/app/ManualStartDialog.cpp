#include "app/ManualStartDialog.h"

#include "ui_ManualStartDialog.h"

CManualStartDialog::CManualStartDialog(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CManualStartDialog>())
{
    m_ui->setupUi(this);
}

CManualStartDialog::~CManualStartDialog() = default;
