#include "pages/InteractionSink.h"

#include "ui/Fields.h"

void InteractionSink::showMessage(const std::string& text, MessageIcon icon)
{
    Interaction::Icon shown = Interaction::Icon::Information;
    if (icon == MessageIcon::Warning)
        shown = Interaction::Icon::Warning;
    else if (icon == MessageIcon::Error)
        shown = Interaction::Icon::Error;
    m_interaction.tell(m_parent, systemText(text), shown);
}
