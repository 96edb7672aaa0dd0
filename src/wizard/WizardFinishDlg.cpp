#include "wizard/WizardFinishDlg.h"

#include "ui/Artwork.h"
#include "ui_WizardFinishDlg.h"

CWizardFinishDlg::CWizardFinishDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CWizardFinishDlg>())
{
    m_ui->setupUi(this);
    m_ui->picture->setPixmap(Artwork::Physician(m_ui->picture));
}

CWizardFinishDlg::~CWizardFinishDlg() = default;

void CWizardFinishDlg::showEvent(QShowEvent* event)
{
    m_ui->message->setText(Message);
    QDialog::showEvent(event);
}
