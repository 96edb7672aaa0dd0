#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Positions of the first record of each name in a paper or header list that
// is only ever appended to while the index lives, so that finding the record
// of a section stays constant-time however long the list grows. It keeps
// positions only; the names stay in the list.
template <typename List> class FirstNameIndex {
  public:
    explicit FirstNameIndex(List& list);

    // The position of the first record named name; a record of that name is
    // appended when there is none.
    std::size_t findOrAdd(std::string_view name);

  private:
    std::size_t findOrAddAt(std::string_view name, std::size_t position);
    void grow();
    std::string_view nameAt(std::size_t position) const;

    List& m_list;
    std::vector<std::uint64_t> m_slots; // hash << 32 | position + 1; 0 is a free slot
    std::size_t m_count = 0;
};
