#include "pages/ConfigPage.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QUndoStack>

#include "config/Configuration.h"
#include "pages/ConfigChange.h"

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

ConfigChange* ConfigPage::change(const QString& text) const
{
    PageHost& host = m_host;
    return new ConfigChange(configuration(), text, [&host] { host.configurationRestored(); });
}

void ConfigPage::record(ConfigChange* change)
{
    if (change->empty()) {
        delete change;
        return;
    }
    m_host.undoStack().push(change);
}

void ConfigPage::commitOnEveryEdit()
{
    for (QLineEdit* field : findChildren<QLineEdit*>())
        if (!qobject_cast<QComboBox*>(field->parentWidget()))
            connect(field, &QLineEdit::editingFinished, this, &ConfigPage::commitEdits);
    for (QAbstractButton* button : findChildren<QAbstractButton*>())
        if (button->isCheckable())
            connect(button, &QAbstractButton::clicked, this, &ConfigPage::commitEdits);
    for (QComboBox* list : findChildren<QComboBox*>())
        connect(list, &QComboBox::activated, this, &ConfigPage::commitEdits);
}
