#include "ui/PropertySheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include "ui/PropertyPage.h"

PropertySheet::PropertySheet(QWidget* parent) : QDialog(parent)
{
    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("sheetTabs"));
    m_tabs->setExpanding(false);
    m_tabs->setDrawBase(true);
    m_stack = new QStackedWidget(this);
    m_stack->setObjectName(QStringLiteral("sheetPages"));
    m_stack->setFrameShape(QFrame::StyledPanel);

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("sheetOkButton"));
    m_ok->setDefault(true);
    m_cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(QStringLiteral("sheetCancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &PropertySheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PropertySheet::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->addWidget(m_tabs);
    layout->addWidget(m_stack, 1);
    layout->addSpacing(8);
    layout->addWidget(buttons);

    connect(m_tabs, &QTabBar::currentChanged, this, &PropertySheet::onTabChanged);
}

void PropertySheet::addPage(PropertyPage* page, const QString& title)
{
    m_pages.push_back(page);
    m_stack->addWidget(page);
    m_switching = true; // adding the first tab makes it current: not a user's change
    m_tabs->addTab(title);
    m_switching = false;
}

void PropertySheet::reservePageSize(const QSize& size)
{
    m_stack->setMinimumSize(m_stack->minimumSize().expandedTo(size));
}

bool PropertySheet::hasPage(const PropertyPage* page) const
{
    return std::find(m_pages.begin(), m_pages.end(), page) != m_pages.end();
}

PropertyPage* PropertySheet::activePage() const
{
    return m_active >= 0 ? m_pages[static_cast<std::size_t>(m_active)] : nullptr;
}

bool PropertySheet::setActivePage(int index)
{
    if (index < 0 || index >= pageCount())
        return false;
    if (PropertyPage* current = activePage(); current && !current->onKillActive())
        return false;
    activate(index);
    return true;
}

void PropertySheet::activate(int index)
{
    m_active = index;
    m_switching = true;
    m_tabs->setCurrentIndex(index);
    m_switching = false;
    m_stack->setCurrentIndex(index);
    m_pages[static_cast<std::size_t>(index)]->onSetActive();
}

void PropertySheet::onTabChanged(int index)
{
    if (m_switching || index < 0 || index == m_active)
        return;
    // The tab bar has moved already: move it back when the page refuses.
    if (PropertyPage* current = activePage(); current && !current->onKillActive()) {
        m_switching = true;
        m_tabs->setCurrentIndex(m_active);
        m_switching = false;
        return;
    }
    activate(index);
}

void PropertySheet::showEvent(QShowEvent* event)
{
    if (m_active < 0 && !m_pages.empty())
        activate(0);
    QDialog::showEvent(event);
}

void PropertySheet::accept()
{
    PropertyPage* current = activePage();
    if (!current)
        return;
    if (!current->onKillActive())
        return;
    if (!current->onApply())
        return;
    QDialog::accept();
}

void PropertySheet::reject()
{
    PropertyPage* current = activePage();
    if (current && !current->onQueryCancel())
        return;
    QDialog::reject();
}
