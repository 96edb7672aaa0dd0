#include "ui/ValueExchange.h"

#include "ui/UpDownButtons.h"

void connectReadStepShow(UpDownButtons* buttons, QWidget* field, ValueExchange& window,
                         std::function<void(int direction)> step)
{
    buttons->attachField(field);
    auto cycle = [&window, step](int direction) {
        window.readControls();
        step(direction);
        window.showValues();
    };
    QObject::connect(buttons, &UpDownButtons::stepUp, buttons, [cycle] { cycle(+1); });
    QObject::connect(buttons, &UpDownButtons::stepDown, buttons, [cycle] { cycle(-1); });
}
