#include "store/locked_map.h"

LockedMap::~LockedMap() { Clear(); }

bool LockedMap::Insert(const std::string& key, const std::string& value)
{
    Guard guard(*this);
    return m_entries.emplace(key, value).second;
}

bool LockedMap::Find(const std::string& key, std::string& value) const
{
    Guard guard(*this);
    const auto entry = m_entries.find(key);
    if (entry == m_entries.end())
        return false;
    value = entry->second;
    return true;
}

void LockedMap::Keys(std::vector<std::string>& keys) const
{
    Guard guard(*this);
    keys.clear();
    keys.reserve(m_entries.size());
    for (const auto& entry : m_entries)
        keys.push_back(entry.first);
}

void LockedMap::Clear()
{
    Guard guard(*this);
    m_entries.clear();
}
