#pragma once

#include <functional>

class QWidget;
class UpDownButtons;

// A window that exchanges values with its controls: readControls reads them
// in the fixed order (false at the first invalid number, after its prompt)
// and showValues writes the values back.
class ValueExchange {
  public:
    virtual ~ValueExchange() = default;
    virtual bool readControls() = 0;
    virtual void showValues() = 0;
};

// Wires up-down buttons to the read-step-show cycle: each click reads the
// controls (an invalid number is reported and the click still goes on),
// steps the value (+1 for up, -1 for down) and shows the values again. The
// Up and Down keys and the wheel in field, the number the buttons step, run
// the same cycle.
void connectReadStepShow(UpDownButtons* buttons, QWidget* field, ValueExchange& window,
                         std::function<void(int direction)> step);

// One step of a bounded value: up adds step while the value is below
// upperLimit (no limit when upperLimit is negative), down subtracts step
// while the value is above 0. The bounds are tested before the step.
template <typename T> void stepWithinBounds(T& value, int direction, T step, T upperLimit)
{
    if (direction > 0) {
        if (upperLimit < 0 || value < upperLimit)
            value += step;
    } else if (value > 0) {
        value -= step;
    }
}
