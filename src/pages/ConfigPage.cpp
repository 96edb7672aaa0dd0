#include "pages/ConfigPage.h"

ConfigPage::ConfigPage(PageHost& host, QWidget* parent) : PropertyPage(parent), m_host(host) {}

bool ConfigPage::onApply()
{
    return m_host.apply();
}
bool ConfigPage::onQueryCancel()
{
    return m_host.confirmClose();
}
