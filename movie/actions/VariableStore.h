// The variables of one timeline (or of one function call).
//
// Movies of version 6 and older were written for a player that matched
// variable names without regard to case ("Score" and "score" are one
// variable), so a store made for such a movie folds ASCII case when it looks
// a name up; from version 7 names are case-sensitive. The spelling kept is
// the one of the first assignment.
//
// The store caps its number of variables (MaxVariables) so that a movie
// looping over generated names cannot exhaust memory: Set of a new name on a
// full store is refused and answers false.
//
// Not thread-safe: used on the control's worker thread only.
#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

#include "movie/actions/ActionValue.h"

namespace Halvane::Movie {

class VariableStore {
 public:
  static constexpr std::size_t MaxVariables = 65536;

  explicit VariableStore(bool caseSensitive = false) : caseSensitive_(caseSensitive) {}

  // Whether a movie of this version matches names with case.
  static bool NamesAreCaseSensitive(int swfVersion) { return swfVersion >= 7; }

  bool CaseSensitive() const { return caseSensitive_; }

  // Null when the name is not defined. The pointer stays valid until that
  // variable is removed or the store cleared.
  const ActionValue* Find(const std::string& name) const;
  ActionValue* Find(const std::string& name);

  // Defines or replaces; false (and no change) for a new name on a full store.
  bool Set(const std::string& name, ActionValue value);
  bool Remove(const std::string& name);
  void Clear();

  std::size_t Count() const { return entries_.size(); }
  // Names in the order they were first defined.
  std::vector<std::string> Names() const;

 private:
  std::string Key(const std::string& name) const;

  struct Entry {
    std::string name;
    ActionValue value;
  };
  bool caseSensitive_;
  // A list keeps the order of definition and makes Remove cheap, so that a
  // movie deleting and defining variables in a loop stays fast.
  std::list<Entry> entries_;
  std::unordered_map<std::string, std::list<Entry>::iterator> index_;
};

}  // namespace Halvane::Movie
