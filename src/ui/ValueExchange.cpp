#include "ui/ValueExchange.h"

#include "ui/UpDownButtons.h"

void ConnectReadStepShow(UpDownButtons* buttons, QWidget* field, ValueExchange& window,
                         std::function<void(int direction)> step)
{
    buttons->attachField(field);
    auto cycle = [&window, step](int direction) {
        window.ReadControls();
        step(direction);
        window.ShowValues();
    };
    QObject::connect(buttons, &UpDownButtons::stepUp, buttons, [cycle] { cycle(+1); });
    QObject::connect(buttons, &UpDownButtons::stepDown, buttons, [cycle] { cycle(-1); });
}
