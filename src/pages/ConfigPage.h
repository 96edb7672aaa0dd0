#pragma once

#include <QString>
#include <string>

#include "config/TextEncoding.h"
#include "pages/PageHost.h"
#include "ui/Fields.h"
#include "ui/PropertyPage.h"

class ConfigChange;
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

    // Keeps for Undo what the page's fields hold and the configuration does
    // not yet (typed, not yet left), silently: a field that cannot be read
    // keeps the configuration's value.
    virtual void commitEdits() {}
    // An undo or a redo changed the configuration: show it again.
    virtual void reload() { onSetActive(); }

  protected:
    PageHost& host() const { return m_host; }
    Configuration& configuration() const { return m_host.configuration(); }
    Interaction& interaction() const { return m_host.interaction(); }
    // The code page of the configuration's texts, and its crossings.
    TextEncoding textEncoding() const;
    QString toQt(std::string_view text) const { return ::toQt(text, textEncoding()); }
    FieldReader fieldReader() { return FieldReader(interaction(), this, textEncoding()); }
    // A change to make, named for the Undo menu; record() does it and keeps
    // it on the host's Undo history (an empty change is dropped).
    ConfigChange* change(const QString& text) const;
    void record(ConfigChange* change);
    // commitEdits() whenever one of the page's fields is left, a box or a
    // button of it clicked or an item of its lists chosen.
    void commitOnEveryEdit();
    // Every activation sends the check round again.
    void clearCheckDone() { m_host.checkMustRunAgain(); }

  private:
    PageHost& m_host;
};
