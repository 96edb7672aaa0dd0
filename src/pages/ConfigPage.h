#pragma once

#include <QString>
#include <string>

#include "config/TextEncoding.h"
#include "pages/PageHost.h"
#include "ui/Fields.h"
#include "ui/PropertyPage.h"

class Configuration;
class Interaction;

// A page of the main sheet. All pages share the host's apply (check, then
// save and report) and its cancel request.
class ConfigPage : public PropertyPage {
    Q_OBJECT
  public:
    ConfigPage(PageHost& host, QWidget* parent);

    bool onApply() override;
    bool onQueryCancel() override;

  protected:
    PageHost& host() const { return m_host; }
    Configuration& configuration() const { return m_host.configuration(); }
    Interaction& interaction() const { return m_host.interaction(); }
    // The code page of the configuration's texts, and its crossings.
    TextEncoding textEncoding() const;
    QString toQt(const std::string& text) const { return ::toQt(text, textEncoding()); }
    FieldReader fieldReader() { return FieldReader(interaction(), this, textEncoding()); }
    // Every activation sends the check round again.
    void clearCheckDone() { m_host.checkMustRunAgain(); }

  private:
    PageHost& m_host;
};
