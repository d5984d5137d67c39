#include "movie/actions/VariableStore.h"

#include <iterator>
#include <utility>

#include "movie/swf/Text.h"

namespace Halvane::Movie {

std::string VariableStore::Key(const std::string& name) const {
  return caseSensitive_ ? name : AsciiLowerCase(name);
}

const ActionValue* VariableStore::Find(const std::string& name) const {
  const auto it = index_.find(Key(name));
  return it == index_.end() ? nullptr : &it->second->value;
}

ActionValue* VariableStore::Find(const std::string& name) {
  const auto it = index_.find(Key(name));
  return it == index_.end() ? nullptr : &it->second->value;
}

bool VariableStore::Set(const std::string& name, ActionValue value) {
  std::string key = Key(name);
  const auto it = index_.find(key);
  if (it != index_.end()) {
    it->second->value = std::move(value);
    return true;
  }
  if (entries_.size() >= MaxVariables) return false;
  entries_.push_back(Entry{name, std::move(value)});
  index_.emplace(std::move(key), std::prev(entries_.end()));
  return true;
}

bool VariableStore::Remove(const std::string& name) {
  const auto it = index_.find(Key(name));
  if (it == index_.end()) return false;
  entries_.erase(it->second);
  index_.erase(it);
  return true;
}

void VariableStore::Clear() {
  entries_.clear();
  index_.clear();
}

std::vector<std::string> VariableStore::Names() const {
  std::vector<std::string> names;
  names.reserve(entries_.size());
  for (const auto& e : entries_) names.push_back(e.name);
  return names;
}

}  // namespace Halvane::Movie
