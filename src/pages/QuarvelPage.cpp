#include "pages/QuarvelPage.h"

CQuarvelPage::CQuarvelPage(PageHost& host, QWidget* parent) : PropertyPage(parent), m_host(host) {}

bool CQuarvelPage::onApply()
{
    return m_host.apply();
}
bool CQuarvelPage::onQueryCancel()
{
    return m_host.confirmClose();
}
