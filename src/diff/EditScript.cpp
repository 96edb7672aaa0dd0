#include "diff/EditScript.h"

#include <algorithm>

void EditScript::append(EditOp op, std::size_t count)
{
    if (count == 0)
        return;
    m_changes = m_changes || op != EditOp::Equal;
    const auto bits = static_cast<std::uint32_t>(op) << kOpShift;
    if (!m_runs.empty() && (m_runs.back() >> kOpShift) == static_cast<std::uint32_t>(op)) {
        const std::uint32_t room = kMaxCount - (m_runs.back() & kMaxCount);
        const std::size_t added = std::min<std::size_t>(room, count);
        m_runs.back() += static_cast<std::uint32_t>(added);
        count -= added;
    }
    for (; count > 0; count -= std::min<std::size_t>(count, kMaxCount))
        m_runs.push_back(bits | static_cast<std::uint32_t>(std::min<std::size_t>(count, kMaxCount)));
}

void EditScript::append(const std::vector<EditOp>& ops, std::size_t count)
{
    for (std::size_t k = 0; k < count && k < ops.size(); ++k)
        append(ops[k]);
}

EditScript::Run EditScript::run(std::size_t index) const
{
    return {static_cast<EditOp>(m_runs[index] >> kOpShift), m_runs[index] & kMaxCount};
}
