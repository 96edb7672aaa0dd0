#pragma once

#include <string>

enum class MessageIcon { Information, Warning, Error };

// Where a core operation that reports to the user puts its messages. The
// editor shows them in message boxes, the companion prints them.
class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void showMessage(const std::string& text, MessageIcon icon) = 0;
};
