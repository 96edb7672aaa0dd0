#include "WindowWalk.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QRegularExpression>
#include <QScrollArea>
#include <QToolButton>
#include <algorithm>
#include <tuple>

#include "ui/UpDownButtons.h"

namespace {

bool isTabStop(const QWidget* widget)
{
    return (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && !widget->focusProxy();
}

void collectLayout(QLayout* layout, QWidget& window, std::vector<QWidget*>& out);

void collectWidget(QWidget* widget, QWidget& window, std::vector<QWidget*>& out)
{
    if (!widget->isVisibleTo(&window))
        return;
    if (isTabStop(widget)) {
        out.push_back(widget); // a control of its own, whatever it holds inside
        return;
    }
    if (auto* area = qobject_cast<QScrollArea*>(widget); area && area->widget())
        collectWidget(area->widget(), window, out);
    else if (widget->layout())
        collectLayout(widget->layout(), window, out);
}

void collectItem(QLayoutItem* item, QWidget& window, std::vector<QWidget*>& out)
{
    if (item->widget())
        collectWidget(item->widget(), window, out);
    else if (item->layout())
        collectLayout(item->layout(), window, out);
}

void collectLayout(QLayout* layout, QWidget& window, std::vector<QWidget*>& out)
{
    // (row, column, index) of each item: grids and forms by row, then column.
    std::vector<std::tuple<int, int, int>> places;
    for (int i = 0; i < layout->count(); ++i) {
        int row = 0;
        int column = i;
        if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
            int rowSpan = 0;
            int columnSpan = 0;
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        } else if (auto* form = qobject_cast<QFormLayout*>(layout)) {
            QFormLayout::ItemRole role = QFormLayout::LabelRole;
            form->getItemPosition(i, &row, &role);
            column = static_cast<int>(role);
        }
        places.emplace_back(row, column, i);
    }
    std::sort(places.begin(), places.end());
    for (const auto& [row, column, index] : places)
        collectItem(layout->itemAt(index), window, out);
}

bool hasLetter(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

QString describe(const QWidget* widget)
{
    QString text;
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        text = button->text();
    else if (auto* label = qobject_cast<const QLabel*>(widget))
        text = label->text();
    return widget->objectName() + QStringLiteral(" \"") + text + QLatin1Char('"');
}

// The grid a widget sits in and its row there.
bool gridRow(const QWidget* widget, QGridLayout*& grid, int& row)
{
    const QWidget* parent = widget->parentWidget();
    if (!parent)
        return false;
    for (QGridLayout* candidate : parent->findChildren<QGridLayout*>()) {
        const int index = candidate->indexOf(widget);
        if (index < 0)
            continue;
        int column = 0;
        int rowSpan = 0;
        int columnSpan = 0;
        candidate->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        grid = candidate;
        return true;
    }
    return false;
}

// A field whose row begins with a check box or radio button is labelled
// by it (a graduation file, a custom density).
bool labelledByButtonInRow(const QWidget* field)
{
    QGridLayout* grid = nullptr;
    int row = 0;
    if (!gridRow(field, grid, row))
        return false;
    for (int column = 0; column < grid->columnCount(); ++column) {
        QLayoutItem* item = grid->itemAtPosition(row, column);
        if (!item || !item->widget() || item->widget() == field)
            continue;
        if (auto* button = qobject_cast<QAbstractButton*>(item->widget()); button && button->isCheckable())
            return !mnemonicOf(button->text()).isNull();
    }
    return false;
}

} // namespace

std::vector<QWidget*> tabChain(QWidget& window)
{
    std::vector<QWidget*> chain;
    for (QWidget* w = window.nextInFocusChain(); w && w != &window; w = w->nextInFocusChain())
        if (window.isAncestorOf(w) && isTabStop(w) && w->isVisibleTo(&window))
            chain.push_back(w);
    return chain;
}

std::vector<QWidget*> inLayoutOrder(QWidget& window)
{
    std::vector<QWidget*> order;
    if (window.layout()) {
        collectLayout(window.layout(), window, order);
    } else {
        // A window that lays out an inner widget itself (a wizard).
        for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            collectWidget(child, window, order);
    }
    return order;
}

std::vector<QWidget*> tabChainFrom(QWidget& window, const QWidget* first)
{
    std::vector<QWidget*> chain = tabChain(window);
    const auto start = std::find(chain.begin(), chain.end(), first);
    if (start != chain.end())
        std::rotate(chain.begin(), start, chain.end());
    return chain;
}

std::string names(const std::vector<QWidget*>& widgets)
{
    QStringList names;
    for (const QWidget* w : widgets)
        names << w->objectName();
    return names.join(QLatin1Char(' ')).toStdString();
}

QChar mnemonicOf(const QString& text, int* count)
{
    QChar letter;
    int marks = 0;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] != QLatin1Char('&')) {
            ++marks;
            if (letter.isNull())
                letter = text[i + 1].toLower();
        }
        ++i;
    }
    if (count)
        *count = marks;
    return letter;
}

QStringList mnemonicFaults(QWidget& window)
{
    QStringList faults;
    QMap<QChar, QStringList> owners;
    auto take = [&](const QWidget* widget, const QString& text) {
        int marks = 0;
        const QChar letter = mnemonicOf(text, &marks);
        if (marks != 1) {
            faults << QStringLiteral("%1 marks in %2").arg(marks).arg(describe(widget));
            return;
        }
        owners[letter] << describe(widget);
    };

    QSet<const QWidget*> reached;
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (button->isVisibleTo(&window) && hasLetter(button->text()))
            take(button, button->text());
    }
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->isVisibleTo(&window) || !label->buddy())
            continue;
        take(label, label->text());
        reached.insert(label->buddy());
    }
    for (QWidget* field : window.findChildren<QWidget*>()) {
        const bool isField = qobject_cast<QLineEdit*>(field) || qobject_cast<QComboBox*>(field);
        if (!isField || !field->isVisibleTo(&window) || qobject_cast<QComboBox*>(field->parentWidget()))
            continue;
        if (!reached.contains(field) && !labelledByButtonInRow(field))
            faults << QStringLiteral("no mnemonic reaches %1").arg(field->objectName());
    }
    for (auto it = owners.begin(); it != owners.end(); ++it) {
        if (it.value().size() > 1)
            faults << QStringLiteral("'%1' on %2").arg(it.key()).arg(it.value().join(QStringLiteral(", ")));
    }
    return faults;
}

QStringList accessibilityFaults(QWidget& window)
{
    QStringList faults;
    QMap<QString, QStringList> owners;
    const QRegularExpression word(QStringLiteral("[\\p{L}\\p{N}]"));
    const QRegularExpression titleWord(QStringLiteral("\\b\\p{Lu}\\p{Ll}"));
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        const bool arrow = qobject_cast<QToolButton*>(widget) && qobject_cast<UpDownButtons*>(widget->parentWidget());
        if (!widget->isVisibleTo(&window) || (!(widget->focusPolicy() & Qt::TabFocus) && !arrow))
            continue;
        // On Linux Qt gives a list its current value as name (and its label
        // as a relation); elsewhere its accessible name is read.
        QAccessibleInterface* control = QAccessible::queryAccessibleInterface(widget);
        const QString name = qobject_cast<QComboBox*>(widget)
                                 ? widget->accessibleName()
                                 : (control ? control->text(QAccessible::Name) : QString());
        if (!name.contains(word))
            faults << QStringLiteral("'%1' names %2").arg(name, describe(widget));
        else
            owners[name] << describe(widget);
        // Read out as written: no blank before or after, none doubled, and
        // an arrow's words in a sentence's case ("Increase image distance").
        if (name != name.simplified())
            faults << QStringLiteral("'%1' has stray blanks, naming %2").arg(name, describe(widget));
        if (arrow && name.sliced(name.indexOf(QLatin1Char(' ')) + 1).contains(titleWord))
            faults << QStringLiteral("'%1' is in title case, naming %2").arg(name, describe(widget));
    }
    // A picture is named and described as one.
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->isVisibleTo(&window) || label->pixmap().isNull())
            continue;
        QAccessibleInterface* picture = QAccessible::queryAccessibleInterface(label);
        if (!picture || picture->role() != QAccessible::Graphic || !picture->text(QAccessible::Name).contains(word) ||
            !picture->text(QAccessible::Description).contains(word))
            faults << QStringLiteral("picture %1 has no name or description").arg(describe(label));
    }
    for (auto it = owners.begin(); it != owners.end(); ++it) {
        if (it.value().size() > 1)
            faults << QStringLiteral("'%1' names %2").arg(it.key(), it.value().join(QStringLiteral(", ")));
    }
    return faults;
}
