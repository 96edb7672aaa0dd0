#include "Page0Start.h"

#include <QFile>

#include "Artwork.h"
#include "ConfigurationWizard.h"
#include "Fields.h"
#include "Interaction.h"
#include "ManualStartDialog.h"
#include "Quarvel.h"
#include "ui_Page0Start.h"

namespace {

const char* const kOpenFilter = "Configuration files (*.cfg)|*.cfg|All Files (*.*)|*.*||";

} // namespace

CPage0Start::CPage0Start(CQuarvel& sheet) : CQuarvelPage(sheet), m_ui(std::make_unique<Ui::CPage0Start>())
{
    m_ui->setupUi(this);
    m_ui->logo->setPixmap(Artwork::Logo(this));
    m_ui->picture->setPixmap(Artwork::Physician(this));
    connect(m_ui->wizardButton, &QPushButton::clicked, this, &CPage0Start::OnConfigurationWizard);
    connect(m_ui->manualButton, &QPushButton::clicked, this, &CPage0Start::OnManualConfiguration);
}

CPage0Start::~CPage0Start() = default;

void CPage0Start::onSetActive() { ClearCheckDone(); }

void CPage0Start::OnManualConfiguration()
{
    CManualStartDialog dialog(this);
    if (Ui().runModal(dialog) == QDialog::Accepted)
        OnNew();
    else
        OnLoad();
}

void CPage0Start::OnNew() { EnterConfiguring(false, CQuarvel::PrinterPage); }

void CPage0Start::OnLoad()
{
    Interaction::FileDialogSpec spec;
    spec.filter = QString::fromLatin1(kOpenFilter);
    spec.defaultSuffix = QStringLiteral("cfg");
    spec.initialName = QStringLiteral("config");
    spec.mustExist = true;
    const std::optional<QString> path = Ui().openFileName(this, spec);
    if (!path)
        return;

    std::string message;
    if (!Sheet().Configuration().LoadFromFile(QFile::encodeName(*path).toStdString(), message)) {
        Ui().tell(this, ToQt(message), Interaction::Icon::Error);
        return;
    }
    Sheet().ConfigurationFileName = *path;
    EnterConfiguring(false, CQuarvel::PrinterPage);
}

void CPage0Start::EnterConfiguring(bool wizardToo, int page)
{
    m_ui->manualButton->setEnabled(false);
    if (wizardToo)
        m_ui->wizardButton->setEnabled(false);
    Sheet().AddConfigurationPages();
    Sheet().setActivePage(page);
}

void CPage0Start::OnConfigurationWizard()
{
    RunConfigurationWizard(Sheet(), *this);
}
