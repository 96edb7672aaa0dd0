#include "platform/BackupNames.h"

#include <climits>
#include <utility>

namespace {

std::string_view separatorsOf(BackupNames::Separators separators)
{
    return separators == BackupNames::Separators::Windows ? std::string_view("\\/") : std::string_view("/");
}

} // namespace

BackupNames::BackupNames(std::string path, Separators separators) : m_base(std::move(path))
{
    const std::size_t separator = m_base.find_last_of(separatorsOf(separators));
    const std::size_t fileStart = separator == std::string::npos ? 0 : separator + 1;
    const std::size_t dot = m_base.rfind('.');
    if (dot != std::string::npos && dot >= fileStart)
        m_base.erase(dot);
}

std::string BackupNames::candidate(int n) const
{
    return n <= 1 ? m_base + ".bak" : m_base + ".bk" + std::to_string(n);
}

std::string BackupNames::nextFree(int& n, const std::function<bool(const std::string& name)>& taken) const
{
    for (n = n < 1 ? 1 : n; n < INT_MAX; ++n) {
        std::string name = candidate(n);
        if (!taken(name))
            return name;
    }
    return std::string();
}
