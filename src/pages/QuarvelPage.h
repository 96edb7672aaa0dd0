#pragma once

#include "pages/PageHost.h"
#include "ui/PropertyPage.h"

class CConfiguration;
class Interaction;

// A page of the main sheet. All pages share the host's apply (check, then
// save and report) and its cancel request.
class CQuarvelPage : public PropertyPage {
    Q_OBJECT
  public:
    CQuarvelPage(PageHost& host, QWidget* parent);

    bool onApply() override;
    bool onQueryCancel() override;

  protected:
    PageHost& Host() const { return m_host; }
    CConfiguration& Configuration() const { return m_host.configuration(); }
    Interaction& interaction() const { return m_host.interaction(); }
    // Every activation sends the check round again.
    void ClearCheckDone() { m_host.checkMustRunAgain(); }

  private:
    PageHost& m_host;
};
