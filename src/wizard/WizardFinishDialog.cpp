#include "wizard/WizardFinishDialog.h"

#include "ui/Artwork.h"
#include "ui_WizardFinishDialog.h"

WizardFinishDialog::WizardFinishDialog(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::WizardFinishDialog>())
{
    m_ui->setupUi(this);
    Artwork::showPhysician(m_ui->picture);
}

WizardFinishDialog::~WizardFinishDialog() = default;

void WizardFinishDialog::showEvent(QShowEvent* event)
{
    m_ui->message->setText(Message);
    QDialog::showEvent(event);
}
