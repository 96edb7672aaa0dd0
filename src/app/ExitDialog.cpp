#include "app/ExitDialog.h"

#include "ui/Artwork.h"
#include "ui_ExitDialog.h"

ExitDialog::ExitDialog(const QString& report, bool restartAllowed, QWidget* parent)
    : ValueDialog(parent), m_ui(std::make_unique<Ui::ExitDialog>()), m_report(report), m_restartAllowed(restartAllowed)
{
    m_ui->setupUi(this);
    Artwork::showPhysician(m_ui->picture);
    QFont large = m_ui->reportText->font();
    large.setPointSizeF(large.pointSizeF() * 1.15);
    m_ui->reportText->setFont(large);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &ExitDialog::accept);
}

ExitDialog::~ExitDialog() = default;

void ExitDialog::fillControls()
{
    m_ui->reportText->setText(m_report);
    m_ui->restartServer->setChecked(false);
    m_ui->restartServer->setEnabled(m_restartAllowed);
    m_ui->closeButton->setText(QStringLiteral("&Close"));
    // Sized for the report it now holds, however many lines that is.
    layout()->activate();
    adjustSize();
}

void ExitDialog::accept()
{
    m_restartRequested = m_ui->restartServer->isChecked();
    QDialog::accept();
}
