#include "pages/StartPage.h"

#include "pages/ManualStartDialog.h"
#include "ui/Artwork.h"
#include "ui/Fields.h"
#include "ui/Interaction.h"
#include "ui_StartPage.h"

namespace {

const char* const kOpenFilter = "Configuration files (*.cfg);;All Files (*.*)";

} // namespace

StartPage::StartPage(PageHost& host, StartPageHost& start, QWidget* parent)
    : ConfigPage(host, parent), m_start(start), m_ui(std::make_unique<Ui::StartPage>())
{
    m_ui->setupUi(this);
    Artwork::showLogo(m_ui->logo);
    Artwork::showPhysician(m_ui->picture);
    connect(m_ui->wizardButton, &QPushButton::clicked, this, &StartPage::onConfigurationWizard);
    connect(m_ui->manualButton, &QPushButton::clicked, this, &StartPage::onManualConfiguration);
    connect(m_ui->reviewButton, &QPushButton::clicked, this, [this] { m_start.reviewChanges(); });
}

StartPage::~StartPage() = default;

void StartPage::onSetActive()
{
    clearCheckDone();
}

void StartPage::onManualConfiguration()
{
    ManualStartDialog dialog(this);
    if (interaction().runModal(dialog) == QDialog::Accepted)
        onNew();
    else
        onLoad();
}

void StartPage::onNew()
{
    enterConfiguring(false);
}

void StartPage::onLoad()
{
    Interaction::FileDialogOptions options;
    options.filter = QString::fromLatin1(kOpenFilter);
    options.defaultSuffix = QStringLiteral("cfg");
    options.initialName = QStringLiteral("config");
    options.mustExist = true;
    const std::optional<QString> path = interaction().openFileName(this, options);
    if (path)
        loadFile(*path);
}

void StartPage::loadFile(const QString& path)
{
    if (m_start.loadConfiguration(path))
        enterConfiguring(false);
}

void StartPage::enterConfiguring(bool wizardToo, std::optional<int> page)
{
    m_ui->manualButton->setEnabled(false);
    m_ui->reviewButton->setEnabled(true);
    if (wizardToo)
        m_ui->wizardButton->setEnabled(false);
    m_start.showConfigurationPages(page);
}

void StartPage::onConfigurationWizard()
{
    if (const std::optional<int> page = m_start.runWizard())
        enterConfiguring(true, *page);
}
