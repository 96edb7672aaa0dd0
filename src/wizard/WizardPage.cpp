#include "wizard/WizardPage.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>

#include "ui/Artwork.h"
#include "ui/Interaction.h"
#include "ui/PageScrollArea.h"
#include "wizard/ConfigurationWizard.h"

WizardPage::WizardPage(ConfigurationWizard& wizard, bool hasBack, bool isLast)
    : m_wizard(wizard), m_content(new QWidget), m_hasBack(hasBack), m_isLast(isLast)
{
    // The form and the picture scroll together when the screen is too small
    // for them; the wizard's buttons stay in view below.
    auto* inner = new QWidget;
    auto* picture = new QLabel(inner);
    picture->setObjectName(QStringLiteral("picture"));
    Artwork::showPhysician(picture);
    auto* innerLayout = new QHBoxLayout(inner);
    innerLayout->addWidget(m_content, 1);
    innerLayout->addWidget(picture, 0, Qt::AlignTop | Qt::AlignRight);
    auto* scroller = new PageScrollArea(this);
    scroller->setObjectName(QStringLiteral("wizardPageArea"));
    scroller->setWidget(inner);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroller);
}

TextEncoding WizardPage::textEncoding() const
{
    return m_wizard.textEncoding();
}

Interaction& WizardPage::interaction() const
{
    return m_wizard.interaction();
}
WizardResult& WizardPage::result() const
{
    return m_wizard.result();
}

void WizardPage::refuse(const QString& text)
{
    interaction().tell(this, text, Interaction::Icon::Error);
}

void WizardPage::onSetActive()
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
    showValues();
}
