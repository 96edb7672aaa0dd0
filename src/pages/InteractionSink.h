#pragma once

#include "diagnostics/MessageSink.h"
#include "ui/Interaction.h"

class QWidget;

// Shows the messages of a core operation in message boxes.
class InteractionSink : public MessageSink {
  public:
    InteractionSink(Interaction& interaction, QWidget* parent) : m_interaction(interaction), m_parent(parent) {}
    void showMessage(const std::string& text, MessageIcon icon) override;

  private:
    Interaction& m_interaction;
    QWidget* m_parent;
};
