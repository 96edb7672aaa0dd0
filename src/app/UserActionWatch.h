#pragma once

#include <QObject>
#include <functional>

class QWidget;

// Calls acted once the events of the moment are done, whenever the user
// pressed a key or a mouse button in window, or came back to it from
// another window (a dialog): the moments after which what window edits may
// have changed. Several actions in one go give one call.
class UserActionWatch : public QObject {
    Q_OBJECT
  public:
    UserActionWatch(QWidget* window, std::function<void()> acted);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* m_window;
    std::function<void()> m_acted;
    bool m_pending = false;
};
