#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

class QWidget;

// Looking at a window as a keyboard user meets it.

// The controls Tab visits in window, in the order it visits them (hidden
// ones left out; disabled ones kept, they keep their place), from the first
// in the window's focus chain round to the last.
std::vector<QWidget*> tabChain(QWidget& window);

// The same round of controls, begun at first (Tab goes round: where it
// begins is not its order).
std::vector<QWidget*> tabChainFrom(QWidget& window, const QWidget* first);

// The same controls in the order of the window's layouts: rows from top to
// bottom, in a row from left to right, each box or column as it stands.
std::vector<QWidget*> inLayoutOrder(QWidget& window);

// Object names, space separated, for comparing and messages.
std::string names(const std::vector<QWidget*>& widgets);

// The letter marked by a single '&' in text (lower case), or a null char;
// count receives the number of such marks.
QChar mnemonicOf(const QString& text, int* count = nullptr);

// What a keyboard user misses in window: a button, check box or labelled
// field without exactly one mnemonic, a field that no mnemonic reaches,
// two controls with the same letter. Empty when all is well.
QStringList mnemonicFaults(QWidget& window);

// What a screen reader user misses in window: a focusable control or an
// up-down arrow whose accessible name is empty or only punctuation, or has
// stray blanks, an arrow named in title case, two such controls of the same
// name, a list without a name of its own (not its current value), a picture
// without a name and description. Empty when all is well.
QStringList accessibilityFaults(QWidget& window);
