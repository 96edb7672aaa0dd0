#pragma once

#include <QWizardPage>

#include "config/TextEncoding.h"
#include "ui/Fields.h"
#include "ui/ValueExchange.h"

class ConfigurationWizard;
class Interaction;
struct WizardResult;

// A page of the configuration wizard: its own form on the left, the
// physician's picture at the top right. The wizard calls onSetActive each
// time the page becomes current (forward or back) and validatePage on
// "Next".
class WizardPage : public QWizardPage, public ValueExchange {
    Q_OBJECT
  public:
    WizardPage(ConfigurationWizard& wizard, bool hasBack, bool isLast);

    // Enables the navigation buttons, sets their captions, shows the values.
    virtual void onSetActive();

  protected:
    // The area the page's form is set up in.
    QWidget* content() const { return m_content; }
    Interaction& interaction() const;
    WizardResult& result() const;
    // The code page of the configuration's texts, and its crossings.
    TextEncoding textEncoding() const;
    QString toQt(std::string_view text) const { return ::toQt(text, textEncoding()); }
    FieldReader fieldReader() { return FieldReader(interaction(), this, textEncoding()); }
    // An error box on the page.
    void refuse(const QString& text);

  private:
    ConfigurationWizard& m_wizard;
    QWidget* m_content;
    bool m_hasBack;
    bool m_isLast;
};
