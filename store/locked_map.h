// An ordered map from composite key to value whose every operation runs under
// the object's own lock. Keys sort by unsigned byte comparison.
#pragma once

#include "store/lockable.h"

#include <map>
#include <string>
#include <vector>

class LockedMap : public Lockable {
public:
    ~LockedMap() override;

    // False, leaving the map unchanged, when the key is already stored.
    bool Insert(const std::string& key, const std::string& value);
    // The stored value, or false when the key is missing.
    bool Find(const std::string& key, std::string& value) const;
    // A snapshot of every key in map order.
    void Keys(std::vector<std::string>& keys) const;
    void Clear();

private:
    std::map<std::string, std::string> m_entries;
};
