#include "config/FirstNameIndex.h"

#include <functional>
#include <string_view>
#include <utility>

#include "config/RecordLists.h"

template <typename List> FirstNameIndex<List>::FirstNameIndex(List& list) : m_list(list)
{
    m_slots.assign(16, 0);
    for (std::size_t i = 0; i < static_cast<std::size_t>(list.size()); ++i)
        findOrAddAt(nameAt(i), i);
}

template <typename List> std::string_view FirstNameIndex<List>::nameAt(std::size_t position) const
{
    return (m_list.begin() + static_cast<std::ptrdiff_t>(position))->Name;
}

template <typename List> std::size_t FirstNameIndex<List>::findOrAdd(std::string_view name)
{
    return findOrAddAt(name, static_cast<std::size_t>(m_list.size()));
}

// Looks name up; when it is not there, records position for it and, when
// that is the end of the list, appends a record of that name. A slot holds
// 32 bits of the name's hash beside the position, so that a probe reads a
// record's name only when the hashes agree, and growing reads none.
template <typename List> std::size_t FirstNameIndex<List>::findOrAddAt(std::string_view name, std::size_t position)
{
    const auto hash = static_cast<std::uint32_t>(std::hash<std::string_view>()(name));
    const std::size_t mask = m_slots.size() - 1;
    std::size_t slot = hash & mask;
    for (; m_slots[slot] != 0; slot = (slot + 1) & mask) {
        if (static_cast<std::uint32_t>(m_slots[slot] >> 32) != hash)
            continue;
        const std::size_t found = static_cast<std::uint32_t>(m_slots[slot]) - 1;
        if (nameAt(found) == name)
            return found;
    }
    if (position == static_cast<std::size_t>(m_list.size())) {
        typename List::value_type record;
        record.Name = name;
        m_list.add(std::move(record));
    }
    m_slots[slot] = std::uint64_t{hash} << 32 | static_cast<std::uint32_t>(position + 1);
    if (++m_count * 2 > m_slots.size())
        grow();
    return position;
}

// Doubles the table; at most half of it is ever in use, so probes stay short.
template <typename List> void FirstNameIndex<List>::grow()
{
    std::vector<std::uint64_t> old(m_slots.size() * 2, 0);
    old.swap(m_slots);
    const std::size_t mask = m_slots.size() - 1;
    for (const std::uint64_t entry : old) {
        if (entry == 0)
            continue;
        std::size_t slot = (entry >> 32) & mask;
        while (m_slots[slot] != 0)
            slot = (slot + 1) & mask;
        m_slots[slot] = entry;
    }
}

template class FirstNameIndex<PaperList>;
template class FirstNameIndex<HeaderList>;
