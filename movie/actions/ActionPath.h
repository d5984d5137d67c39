// Target paths and variable paths of the action language, and the
// variable access the control offers its host (GetVariable, SetVariable).
//
// A variable path names a timeline and a variable on it:
//   x              the current timeline's x
//   _root.x, _level0.x, /:x      the root's x
//   /a/b:x, a.b.x, a/b:x         x on instance b inside instance a
//   _parent.x, this.x, ../:x     relative to the current timeline
// Slash paths (first-generation) and dot paths (later) may be used alike;
// names of instances and the keywords _root, _level0, _parent, this match
// without case for movies of version 6 and older.
//
// Called on the control's worker thread only.
#pragma once

#include <string>

#include "movie/actions/ActionTarget.h"
#include "movie/actions/ActionValue.h"

namespace Halvane::Movie {

struct ResolvedVariable {
  ActionTarget* target = nullptr;  // null: the path names no timeline
  std::string name;                // the variable's name on target
};

// The timeline a target path names ("", "/", "_root", "/a/b", "a.b",
// "_parent", "..", "this"), or null.
ActionTarget* ResolveTarget(ActionTarget& root, ActionTarget& current,
                            const std::string& path, bool caseSensitive);

// Splits a variable path into its timeline and name. A name without a path
// lives on current. Answers false when the timeline part names nothing.
bool ResolveVariable(ActionTarget& root, ActionTarget& current, const std::string& path,
                     bool caseSensitive, ResolvedVariable& result);

// The level a name like _level0 names: "_level" and digits, whatever
// follows them ("_level0abc" is level 0). False for other names.
bool LevelOfName(const std::string& name, bool caseSensitive, int& level);

// "/" for the root, "/a/b" below it: the _target property.
std::string SlashTargetPath(ActionTarget& target);
// "_level0" for the root, "_level0.a.b" below it: a timeline's text value.
std::string DotTargetPath(ActionTarget& target);

// The property of a name as the language spells it ("_x", "_currentframe",
// case-insensitively), or false when the name is no property.
bool PropertyByName(const std::string& name, TargetProperty& property);
// Reads and writes a property of a timeline as actions see it
// (_currentframe counts from 1; _name and _target are strings).
ActionValue GetTargetProperty(ActionTarget& target, TargetProperty property, int swfVersion);
void SetTargetProperty(ActionTarget& target, TargetProperty property, const ActionValue& value,
                       int swfVersion);

// The control's GetVariable: the text of the variable (or property) at path,
// seen from the root; numbers formatted as the language formats them.
// False, with value unchanged, when the path or the variable does not exist.
bool GetVariableText(ActionTarget& root, const std::string& path, int swfVersion,
                     std::string& value);
// The control's SetVariable: stores the text as a string variable (or sets
// the property) at path, seen from the root. False when the path names no
// timeline or the store is full.
bool SetVariableText(ActionTarget& root, const std::string& path, const std::string& value,
                     int swfVersion);

}  // namespace Halvane::Movie
