#include "platform/BackupNames.h"

#include <algorithm>
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

int BackupNames::numberOf(std::string_view path) const
{
    if (path.substr(0, m_base.size()) != m_base)
        return 0;
    const std::string_view suffix = path.substr(m_base.size());
    if (suffix == ".bak")
        return 1;
    if (suffix.substr(0, 3) != ".bk" || suffix.size() < 4 || suffix.size() > 12 || suffix[3] == '0')
        return 0;
    long long n = 0;
    for (const char digit : suffix.substr(3)) {
        if (digit < '0' || digit > '9')
            return 0;
        n = n * 10 + (digit - '0');
    }
    return n >= 2 && n < INT_MAX ? static_cast<int>(n) : 0;
}

int BackupNames::nextNumber(const std::vector<int>& present)
{
    const auto highest = std::max_element(present.begin(), present.end());
    return highest == present.end() || *highest >= INT_MAX - 1 ? 1 : *highest + 1;
}

std::vector<int> BackupNames::beyondKept(std::vector<int> present, int keep)
{
    if (keep <= 0 || present.size() <= static_cast<std::size_t>(keep))
        return {};
    std::sort(present.begin(), present.end());
    present.resize(present.size() - static_cast<std::size_t>(keep));
    return present;
}
