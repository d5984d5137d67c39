// The values of the movie's action language: undefined, null, booleans,
// numbers, strings, references to timelines, functions, and the few built-in
// objects the control offers (the flash.external.ExternalInterface chain).
//
// Values never own a timeline: a timeline reference is its target path
// ("_level0.menu.button") and is resolved again from the root each time it
// is used, so a value kept in a variable or a registered callback can never
// point at an instance that the timeline has since removed. (Within the one
// interpreter run that made it, a reference also knows its timeline
// directly; see RunTarget.) Functions are
// shared and immutable, so no value can take part in a reference cycle.
//
// Strings are byte strings: UTF-8 in movies of version 6 and later, the
// movie's own 8-bit text in older ones; nothing here re-encodes them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "movie/actions/Numbers.h"

namespace Halvane::Movie {

struct ActionFunction;
class ActionTarget;

enum class ActionValueType {
  Undefined,
  Null,
  Boolean,
  Number,
  String,
  MovieClip,  // a timeline, by target path
  Function,
  Object,     // one of the built-in objects below
};

// The built-in objects reachable from a movie's actions.
enum class BuiltinObject {
  FlashPackage,       // flash
  ExternalPackage,    // flash.external
  ExternalInterface,  // flash.external.ExternalInterface
  Global,             // _global, through which the package chain is also reached
};

class ActionValue {
 public:
  ActionValue() = default;  // undefined

  static ActionValue Undefined() { return ActionValue(); }
  static ActionValue Null();
  static ActionValue Boolean(bool value);
  static ActionValue Number(double value);
  static ActionValue String(std::string value);
  // targetPath in dot form as DotTargetPath gives it ("_level0", "_level0.a").
  static ActionValue MovieClip(std::string targetPath);
  // The same, also remembering the timeline itself for the interpreter run
  // runId (see RunTarget).
  static ActionValue MovieClip(std::string targetPath, ActionTarget* target, std::uint64_t runId);
  static ActionValue Function(std::shared_ptr<const ActionFunction> function);
  static ActionValue Object(BuiltinObject object);

  ActionValueType Type() const { return type_; }
  bool IsUndefined() const { return type_ == ActionValueType::Undefined; }
  bool IsNull() const { return type_ == ActionValueType::Null; }
  bool IsNumber() const { return type_ == ActionValueType::Number; }
  bool IsString() const { return type_ == ActionValueType::String; }

  // Raw parts; meaningful only for the matching type.
  bool BooleanValue() const { return boolean_; }
  double NumberValue() const { return number_; }
  const std::string& StringValue() const;  // String
  const std::string& TargetPath() const { return StringValue(); }  // MovieClip
  // The timeline a MovieClip value was made from, but only when asked by
  // the run that made it (the timeline is alive until that run returns);
  // any later use goes by the path. This keeps references to instances
  // without a name, whose path names nothing, working within their run.
  ActionTarget* RunTarget(std::uint64_t runId) const {
    return runId != 0 && runId == clipRun_ ? clipTarget_ : nullptr;
  }
  const std::shared_ptr<const ActionFunction>& FunctionValue() const { return function_; }
  BuiltinObject ObjectValue() const { return object_; }

  // Conversions of the language, which differ with the movie's version:
  // - undefined is 0 and "" up to version 6, NaN and "undefined" from 7;
  // - a string that is not a number is 0 before version 5, NaN from 5 on;
  //   the empty string is 0 up to version 6 and NaN from 7;
  // - a string is true when it reads as a nonzero number up to version 6,
  //   and when it is not empty from version 7.
  double ToNumber(int swfVersion) const;
  std::string ToString(int swfVersion) const;
  bool ToBoolean(int swfVersion) const;
  // The answer of the typeof operator: "undefined", "null", "boolean",
  // "number", "string", "movieclip", "function", "object".
  std::string TypeOf() const;

 private:
  ActionValueType type_ = ActionValueType::Undefined;
  bool boolean_ = false;
  double number_ = 0.0;
  // Shared, so that copying a value (onto the stack, into a variable) never
  // copies the text: the interpreter's memory caps count each text once.
  std::shared_ptr<const std::string> text_;
  std::shared_ptr<const ActionFunction> function_;
  BuiltinObject object_ = BuiltinObject::FlashPackage;
  ActionTarget* clipTarget_ = nullptr;
  std::uint64_t clipRun_ = 0;
};

}  // namespace Halvane::Movie
