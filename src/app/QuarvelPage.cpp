#include "QuarvelPage.h"

#include "Quarvel.h"

CQuarvelPage::CQuarvelPage(CQuarvel& sheet) : PropertyPage(&sheet), m_sheet(sheet) {}

bool CQuarvelPage::onApply() { return m_sheet.Apply(); }
bool CQuarvelPage::onQueryCancel() { return m_sheet.ConfirmClose(); }
Interaction& CQuarvelPage::Ui() const { return m_sheet.Ui(); }
void CQuarvelPage::ClearCheckDone() { m_sheet.CheckDone = false; }
