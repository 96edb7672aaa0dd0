#include "wizard/WizardPage.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>

#include "ui/Artwork.h"
#include "ui/Interaction.h"
#include "wizard/ConfigurationWizard.h"

CWizardPageBase::CWizardPageBase(CConfigurationWizard& wizard, bool hasBack, bool isLast)
    : m_wizard(wizard), m_content(new QWidget(this)), m_hasBack(hasBack), m_isLast(isLast)
{
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setPixmap(Artwork::Physician(this));
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_content, 1);
    layout->addWidget(picture, 0, Qt::AlignTop | Qt::AlignRight);
}

Interaction& CWizardPageBase::interaction() const
{
    return m_wizard.interaction();
}
sWizardResult& CWizardPageBase::Result() const
{
    return m_wizard.Result();
}

void CWizardPageBase::Refuse(const QString& text)
{
    interaction().tell(this, text, Interaction::Icon::Error);
}

void CWizardPageBase::onSetActive()
{
    QWizard* w = wizard();
    // The mnemonics are taken by no page's controls.
    w->setButtonText(QWizard::NextButton, QStringLiteral("&Next"));
    w->setButtonText(QWizard::BackButton, QStringLiteral("&Back"));
    w->setButtonText(QWizard::CancelButton, QStringLiteral("&Cancel"));
    w->setButtonText(QWizard::FinishButton, QStringLiteral("&Finish"));
    w->button(QWizard::BackButton)->setEnabled(m_hasBack);
    w->button(QWizard::NextButton)->setEnabled(!m_isLast);
    w->button(QWizard::FinishButton)->setEnabled(m_isLast);
    ShowValues();
}
