#pragma once

#include "PropertyPage.h"

class CQuarvel;
class Interaction;

// A page of the main sheet. All pages share the sheet's apply (check, then
// save and report) and its cancel request (ConfirmClose).
class CQuarvelPage : public PropertyPage {
    Q_OBJECT
public:
    explicit CQuarvelPage(CQuarvel& sheet);

    bool onApply() override;
    bool onQueryCancel() override;

protected:
    CQuarvel& Sheet() const { return m_sheet; }
    Interaction& Ui() const;
    // Activation of every page clears CheckDone, so the check runs again.
    void ClearCheckDone();

private:
    CQuarvel& m_sheet;
};
