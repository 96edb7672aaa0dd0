#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "config/ConfigKeys.h"
#include "ui/Fields.h"

// A window's binding table: each row ties a control to a member of the
// record the window edits, with the member's kind and, where its key has
// them, the rules of the key table (ConfigKeys.h): the range a number must
// keep to, the words of a list. Rows are added in the order the controls are read; showing,
// reading and peeking are loops over the table, so a new setting is one row.
template <typename Record> class Bindings {
  public:
    Bindings& text(QLineEdit* edit, std::string Record::*member) { return textOf(edit, member); }
    Bindings& text(QLineEdit* edit, FieldText Record::*member) { return textOf(edit, member); }

    // A typed value outside the accepted range, when there is one, is
    // refused: the key's (ruleOf), or the one the wizard keeps to.
    Bindings& integer(QLineEdit* edit, int Record::*member, std::optional<Bounds<int>> accepted = std::nullopt)
    {
        return add([=](const Record& r, TextEncoding) { showInteger(edit, r.*member); },
                   [=](Record& r, FieldReader& read) {
                       if (accepted)
                           read.integer(edit, r.*member, accepted->low, accepted->high);
                       else
                           read.integer(edit, r.*member);
                   },
                   [=](Record& r) { peekInteger(edit, r.*member); },
                   [=](Record& r, TextEncoding) {
                       int value = r.*member;
                       if (peekInteger(edit, value) &&
                           (!accepted || (accepted->low <= value && value <= accepted->high)))
                           r.*member = value;
                   });
    }
    Bindings& integer(QLineEdit* edit, int Record::*member, const ValueRule& rule)
    {
        return integer(edit, member, rule.accepted);
    }
    Bindings& real(QLineEdit* edit, double Record::*member, std::optional<Bounds<double>> accepted = std::nullopt)
    {
        return add([=](const Record& r, TextEncoding) { showReal(edit, r.*member); },
                   [=](Record& r, FieldReader& read) {
                       if (accepted)
                           read.real(edit, r.*member, accepted->low, accepted->high);
                       else
                           read.real(edit, r.*member);
                   },
                   [=](Record& r) { peekReal(edit, r.*member); },
                   [=](Record& r, TextEncoding) {
                       double value = r.*member;
                       if (peekReal(edit, value) && (!accepted || (accepted->low <= value && value <= accepted->high)))
                           r.*member = value;
                   });
    }
    Bindings& real(QLineEdit* edit, double Record::*member, const ValueRule& rule)
    {
        return real(edit, member, rule.acceptedReal);
    }
    Bindings& check(QAbstractButton* box, bool Record::*member)
    {
        return add([=](const Record& r, TextEncoding) { showCheck(box, r.*member); },
                   [=](Record& r, FieldReader& read) { read.check(box, r.*member); },
                   [=](Record& r) { r.*member = box->isChecked(); });
    }
    // A box that, ticked, switches the member off.
    Bindings& uncheck(QAbstractButton* box, bool Record::*member)
    {
        return add([=](const Record& r, TextEncoding) { showCheck(box, !(r.*member)); },
                   [=](Record& r, FieldReader& read) { read.uncheck(box, r.*member); },
                   [=](Record& r) { r.*member = !box->isChecked(); });
    }
    // A code shown as the index of its word in a list.
    Bindings& code(QComboBox* list, int Record::*member)
    {
        return add([=](const Record& r, TextEncoding) { showIndex(list, r.*member); },
                   [=](Record& r, FieldReader& read) { read.index(list, r.*member); },
                   [=](Record& r) { r.*member = list->currentIndex(); });
    }
    // A code of a vocabulary: the list is filled with its words, in code
    // order, and shows the code as the index of its word.
    Bindings& code(QComboBox* list, int Record::*member, const WordList& words)
    {
        list->clear();
        for (const std::string& word : vocabularyWords(words))
            list->addItem(QString::fromStdString(word));
        return code(list, member);
    }
    // The index of the checked button of a group, -1 when none.
    Bindings& radio(std::initializer_list<QAbstractButton*> group, int Record::*member)
    {
        const std::vector<QAbstractButton*> buttons(group);
        const auto checked = [buttons] {
            int index = -1;
            for (std::size_t i = 0; i < buttons.size(); ++i)
                if (buttons[i]->isChecked())
                    index = static_cast<int>(i);
            return index;
        };
        return add([=](const Record& r, TextEncoding) { showRadio(buttons, r.*member); },
                   [=](Record& r, FieldReader& read) {
                       if (read.ok())
                           r.*member = checked();
                   },
                   [=](Record& r) { r.*member = checked(); });
    }

    // Texts are shown in encoding, the configuration's.
    void show(const Record& record, TextEncoding encoding) const
    {
        for (const Row& row : m_rows)
            row.show(record, encoding);
    }
    // Reads every control in order; false at the first invalid number, after
    // its prompt, with the later members as they were.
    bool read(Record& record, FieldReader& reader) const
    {
        for (const Row& row : m_rows)
            row.read(record, reader);
        return reader.ok();
    }
    // The controls' values as they stand, silently: a number field that
    // holds no number keeps the member's value.
    void peek(Record& record) const
    {
        for (const Row& row : m_rows)
            if (row.peek)
                row.peek(record);
    }
    // Every control's value that reading would accept, silently, texts in
    // encoding: a number field that holds no number or one out of range,
    // and a text the encoding cannot hold, keep the member's value.
    void take(Record& record, TextEncoding encoding) const
    {
        for (const Row& row : m_rows) {
            if (row.take)
                row.take(record, encoding);
            else if (row.peek)
                row.peek(record);
        }
    }

  private:
    template <typename Text> Bindings& textOf(QLineEdit* edit, Text Record::*member)
    {
        return add([=](const Record& r, TextEncoding encoding) { showText(edit, r.*member, encoding); },
                   [=](Record& r, FieldReader& read) { read.text(edit, r.*member); }, {},
                   [=](Record& r, TextEncoding encoding) {
                       std::string bytes;
                       if (encodeText(edit->text(), encoding, bytes))
                           r.*member = bytes;
                   });
    }

    struct Row {
        std::function<void(const Record&, TextEncoding)> show;
        std::function<void(Record&, FieldReader&)> read;
        std::function<void(Record&)> peek;
        std::function<void(Record&, TextEncoding)> take;
    };

    Bindings& add(std::function<void(const Record&, TextEncoding)> show,
                  std::function<void(Record&, FieldReader&)> read, std::function<void(Record&)> peek = {},
                  std::function<void(Record&, TextEncoding)> take = {})
    {
        m_rows.push_back({std::move(show), std::move(read), std::move(peek), std::move(take)});
        return *this;
    }

    std::vector<Row> m_rows;
};
