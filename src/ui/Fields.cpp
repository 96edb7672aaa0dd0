#include "ui/Fields.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>

#include "config/NumberText.h"

FieldReader& FieldReader::text(const QLineEdit* edit, std::string& value)
{
    if (!m_failed)
        value = FromQt(edit->text());
    return *this;
}

FieldReader& FieldReader::check(const QAbstractButton* box, int& value)
{
    if (!m_failed)
        value = box->isChecked() ? 1 : 0;
    return *this;
}

FieldReader& FieldReader::check(const QAbstractButton* box, bool& value)
{
    if (!m_failed)
        value = box->isChecked();
    return *this;
}

FieldReader& FieldReader::uncheck(const QAbstractButton* box, bool& value)
{
    if (!m_failed)
        value = !box->isChecked();
    return *this;
}

FieldReader& FieldReader::index(const QComboBox* list, int& value)
{
    if (!m_failed)
        value = list->currentIndex();
    return *this;
}

FieldReader& FieldReader::radio(std::initializer_list<const QAbstractButton*> group, int& value)
{
    if (m_failed)
        return *this;
    value = -1;
    int i = 0;
    for (const QAbstractButton* button : group) {
        if (button->isChecked())
            value = i;
        ++i;
    }
    return *this;
}

FieldReader& FieldReader::integer(QLineEdit* edit, int& value)
{
    if (!m_failed && !ReadLeadingInteger(FromQt(edit->text()), value))
        fail(edit, QStringLiteral("Please enter an integer."));
    return *this;
}

FieldReader& FieldReader::integer(QLineEdit* edit, int& value, int low, int high)
{
    if (m_failed)
        return *this;
    integer(edit, value);
    if (!m_failed && (value < low || value > high))
        fail(edit, QStringLiteral("Please enter an integer between %1 and %2.").arg(low).arg(high));
    return *this;
}

FieldReader& FieldReader::real(QLineEdit* edit, double& value)
{
    if (!m_failed && !ReadLeadingReal(FromQt(edit->text()), value))
        fail(edit, QStringLiteral("Please enter a number."));
    return *this;
}

void FieldReader::fail(QLineEdit* edit, const QString& prompt)
{
    m_failed = true;
    m_interaction.tell(m_parent, prompt, Interaction::Icon::Warning);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

void ShowText(QLineEdit* edit, const std::string& value)
{
    edit->setText(ToQt(value));
}
void ShowInteger(QLineEdit* edit, int value)
{
    edit->setText(QString::number(value));
}
void ShowReal(QLineEdit* edit, double value)
{
    edit->setText(ToQt(FormatRealShortest(value)));
}
void ShowCheck(QAbstractButton* box, int value)
{
    box->setChecked(value == 1);
}

void ShowCheck(QAbstractButton* box, bool value)
{
    box->setChecked(value);
}
void ShowIndex(QComboBox* list, int index)
{
    list->setCurrentIndex(index < list->count() ? index : -1);
}

void ShowRadio(std::initializer_list<QAbstractButton*> group, int index)
{
    // Exclusive groups refuse to uncheck their checked button, which "no
    // selection" needs: lift the exclusiveness while setting the states.
    QButtonGroup* buttonGroup = group.size() ? (*group.begin())->group() : nullptr;
    const bool groupExclusive = buttonGroup && buttonGroup->exclusive();
    if (buttonGroup)
        buttonGroup->setExclusive(false);
    int i = 0;
    for (QAbstractButton* button : group) {
        const bool exclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(i == index);
        button->setAutoExclusive(exclusive);
        ++i;
    }
    if (buttonGroup)
        buttonGroup->setExclusive(groupExclusive);
}
