#pragma once

#include <algorithm>
#include <cstddef>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "config/Records.h"

// Ordered lists that own copies of their records. Records are appended at the
// end only; removal keeps the order of the others; positions count from 0.
// Records handed out are the stored ones and may be changed in place (until
// the list itself changes). A deque rather than a vector: a list that grows
// to hundreds of thousands of records is never copied whole on the way, so
// loading a large file needs little more memory than its records.
template <typename Record> class RecordList {
  public:
    using value_type = Record;
    using iterator = typename std::deque<Record>::iterator;
    using const_iterator = typename std::deque<Record>::const_iterator;

    void add(const Record& record) { m_records.push_back(record); }
    void add(Record&& record) { m_records.push_back(std::move(record)); }
    std::size_t size() const { return m_records.size(); }
    void removeAll() { m_records.clear(); }

    // The record at a position from 0; none outside the list (a position
    // is signed, as a view's row is, so that -1 finds none).
    Record* at(std::ptrdiff_t position)
    {
        return inRange(position) ? &m_records[static_cast<std::size_t>(position)] : nullptr;
    }
    const Record* at(std::ptrdiff_t position) const
    {
        return inRange(position) ? &m_records[static_cast<std::size_t>(position)] : nullptr;
    }
    bool removeAt(std::ptrdiff_t position)
    {
        if (!inRange(position))
            return false;
        m_records.erase(m_records.begin() + static_cast<std::ptrdiff_t>(position));
        return true;
    }

    // Removes the records at the given positions, counted before any
    // removal; positions outside the list are passed over.
    void removeAtPositions(std::vector<std::ptrdiff_t> positions)
    {
        std::sort(positions.begin(), positions.end());
        positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
        for (auto position = positions.rbegin(); position != positions.rend(); ++position)
            removeAt(*position);
    }

    iterator begin() { return m_records.begin(); }
    iterator end() { return m_records.end(); }
    const_iterator begin() const { return m_records.begin(); }
    const_iterator end() const { return m_records.end(); }

  protected:
    bool inRange(std::ptrdiff_t position) const
    {
        return position >= 0 && static_cast<std::size_t>(position) < m_records.size();
    }

    std::deque<Record> m_records;
};

// Lists keyed by the record's Name; every lookup takes the first exact match.
template <typename Record> class NamedRecordList : public RecordList<Record> {
  public:
    bool exists(const std::string& name) const { return indexOf(name) >= 0; }
    // Whether a record other than the one at position has name (as exists
    // compares); a position outside the list excludes none.
    bool existsElsewhere(const std::string& name, std::ptrdiff_t position) const
    {
        for (std::size_t i = 0; i < this->m_records.size(); ++i)
            if (static_cast<std::ptrdiff_t>(i) != position && this->m_records[i].Name == name)
                return true;
        return false;
    }

    Record* find(const std::string& name)
    {
        const int index = indexOf(name);
        return index < 0 ? nullptr : &this->m_records[static_cast<std::size_t>(index)];
    }
    const Record* find(const std::string& name) const
    {
        const int index = indexOf(name);
        return index < 0 ? nullptr : &this->m_records[static_cast<std::size_t>(index)];
    }

    bool remove(const std::string& name)
    {
        const int index = indexOf(name);
        if (index < 0)
            return false;
        this->m_records.erase(this->m_records.begin() + index);
        return true;
    }

  private:
    int indexOf(const std::string& name) const
    {
        for (std::size_t i = 0; i < this->m_records.size(); ++i)
            if (this->m_records[i].Name == name)
                return static_cast<int>(i);
        return -1;
    }
};

class PaperList : public NamedRecordList<PaperRecord> {};
class HeaderList : public NamedRecordList<HeaderRecord> {};

// Printers are keyed by AE title and addressed by position.
class PrinterList : public RecordList<PrinterRecord> {
  public:
    bool exists(const std::string& aeTitle) const
    {
        for (const PrinterRecord& printer : m_records)
            if (printer.PrinterAETitle == aeTitle)
                return true;
        return false;
    }
    // Whether a printer other than the one at position has the AE title.
    bool existsElsewhere(const std::string& aeTitle, std::ptrdiff_t position) const
    {
        for (std::size_t i = 0; i < m_records.size(); ++i)
            if (static_cast<std::ptrdiff_t>(i) != position && m_records[i].PrinterAETitle == aeTitle)
                return true;
        return false;
    }

    // No lower bound, by design of the callers: a negative position counts as
    // valid here and at() then yields none.
    bool isValidIndex(std::ptrdiff_t position) const
    {
        return position < 0 || static_cast<std::size_t>(position) < m_records.size();
    }
};
