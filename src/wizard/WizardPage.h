#pragma once

#include <QWizardPage>

#include "ui/ValueExchange.h"

class CConfigurationWizard;
class Interaction;
struct sWizardResult;

// A page of the configuration wizard: its own form on the left, the
// physician's picture at the top right. The wizard calls onSetActive each
// time the page becomes current (forward or back) and validatePage on
// "Next".
class CWizardPageBase : public QWizardPage, public ValueExchange {
    Q_OBJECT
  public:
    CWizardPageBase(CConfigurationWizard& wizard, bool hasBack, bool isLast);

    // Enables the navigation buttons, sets their captions, shows the values.
    virtual void onSetActive();

  protected:
    // The area the page's form is set up in.
    QWidget* Content() const { return m_content; }
    Interaction& interaction() const;
    sWizardResult& Result() const;
    // An error box on the page.
    void Refuse(const QString& text);

  private:
    CConfigurationWizard& m_wizard;
    QWidget* m_content;
    bool m_hasBack;
    bool m_isLast;
};
