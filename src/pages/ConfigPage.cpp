#include "pages/ConfigPage.h"

#include "config/Configuration.h"

ConfigPage::ConfigPage(PageHost& host, QWidget* parent) : PropertyPage(parent), m_host(host) {}

bool ConfigPage::onApply()
{
    return m_host.apply();
}
bool ConfigPage::onQueryCancel()
{
    return m_host.confirmClose();
}

TextEncoding ConfigPage::textEncoding() const
{
    return configuration().Encoding;
}
