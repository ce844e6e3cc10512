#include "model/style_tables.h"

#include "platform/strings.h"

namespace vx {

std::int32_t FontTable::FindOrAdd(const std::string& name) {
    auto [it, added] =
        lookup_.try_emplace(UpperAnsi(name), static_cast<std::int32_t>(names_.size() + 1));
    if (added) {
        names_.push_back(name);
        lengths_.push_back(static_cast<std::int32_t>(name.size()));
    }
    return it->second;
}

void FontTable::Append(const std::string& name, std::int32_t length) {
    names_.push_back(name);
    lengths_.push_back(length);
    lookup_.try_emplace(UpperAnsi(name), static_cast<std::int32_t>(names_.size()));
}

void FontTable::Clear() {
    names_.clear();
    lengths_.clear();
    lookup_.clear();
}

}  // namespace vx
