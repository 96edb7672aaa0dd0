#pragma once

#include <QString>
#include <QUndoCommand>
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

#include "config/Configuration.h"

// One change of the configuration as Undo knows it: steps that redo does in
// order and undo takes back in the opposite order. Each step keeps only what
// it changes (a record, a list's removed records, a page's settings), never a
// copy of the whole configuration. After an undo or a redo other than the
// first (the push, done by the page that made the change), restored is told.
class ConfigChange : public QUndoCommand {
  public:
    using Action = std::function<void(Configuration&)>;

    ConfigChange(Configuration& config, const QString& text, std::function<void()> restored)
        : QUndoCommand(text), m_config(config), m_restored(std::move(restored))
    {
    }

    ConfigChange& step(Action redo, Action undo)
    {
        m_steps.push_back({std::move(redo), std::move(undo)});
        return *this;
    }
    bool empty() const { return m_steps.empty(); }

    void redo() override
    {
        for (const Step& s : m_steps)
            s.redo(m_config);
        if (!m_first && m_restored)
            m_restored();
        m_first = false;
    }
    void undo() override
    {
        for (auto s = m_steps.rbegin(); s != m_steps.rend(); ++s)
            s->undo(m_config);
        if (m_restored)
            m_restored();
    }

  private:
    struct Step {
        Action redo;
        Action undo;
    };
    Configuration& m_config;
    std::function<void()> m_restored;
    std::vector<Step> m_steps;
    bool m_first = true;
};

// Steps on one of the configuration's lists, named by its member.
namespace changes {

// A part of the configuration set from before to after.
template <typename T, typename Part> ConfigChange::Action assign(Part part, T value)
{
    return [part, value = std::move(value)](Configuration& c) { part(c) = value; };
}

template <typename T, typename Part> void set(ConfigChange& change, Part part, T before, T after)
{
    change.step(assign(part, std::move(after)), assign(part, std::move(before)));
}

// The record at position replaced.
template <typename List, typename Record>
void replace(ConfigChange& change, List Configuration::*list, std::ptrdiff_t position, Record before, Record after)
{
    auto put = [list, position](Record record) {
        return [list, position, record = std::move(record)](Configuration& c) {
            if (Record* at = (c.*list).at(position))
                *at = record;
        };
    };
    change.step(put(std::move(after)), put(std::move(before)));
}

// A record appended to the end of the list.
template <typename List, typename Record> void append(ConfigChange& change, List Configuration::*list, Record record)
{
    change.step([list, record](Configuration& c) { (c.*list).add(record); },
                [list](Configuration& c) { (c.*list).removeAt(static_cast<std::ptrdiff_t>((c.*list).size()) - 1); });
}

// The records at positions (ascending, as they were counted before the
// removal) removed; undone, each comes back at its position.
template <typename List>
void removeAt(ConfigChange& change, const List& now, List Configuration::*list, std::vector<std::ptrdiff_t> positions)
{
    std::vector<typename List::value_type> removed;
    for (std::ptrdiff_t position : positions)
        removed.push_back(*now.at(position));
    change.step([list, positions](Configuration& c) { (c.*list).removeAtPositions(positions); },
                [list, positions, removed = std::move(removed)](Configuration& c) {
                    // Merged in one pass: a long list is rebuilt once, not
                    // shifted once for each record put back.
                    List rebuilt;
                    auto kept = (c.*list).begin();
                    std::size_t next = 0;
                    const std::size_t total = (c.*list).size() + removed.size();
                    for (std::size_t i = 0; i < total; ++i) {
                        if (next < removed.size() && static_cast<std::ptrdiff_t>(i) == positions[next])
                            rebuilt.add(removed[next++]);
                        else if (kept != (c.*list).end())
                            rebuilt.add(*kept++);
                    }
                    c.*list = std::move(rebuilt);
                });
}

} // namespace changes
