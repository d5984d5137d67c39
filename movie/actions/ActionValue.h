// The values of the movie's action language: undefined, null, booleans,
// numbers, strings, and references to objects (plain objects, arrays,
// functions, the built-in classes' instances and timelines).
//
// A value is small and cheap to copy. Strings are shared, immutable texts
// counted by reference (never cyclic); objects live in the script heap of
// their movie (ScriptHeap.h), which frees them by tracing, so a value holds
// a plain pointer to one and never keeps it alive by itself: whatever holds
// values across runs is a root of the heap.
//
// Strings are byte strings: UTF-8 in movies of version 6 and later, the
// movie's own 8-bit text in older ones; nothing here re-encodes them.
//
// Not thread-safe: a value belongs to the worker thread of its movie.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "movie/actions/Numbers.h"

namespace Halvane::Movie {

class ScriptObject;

// An immutable text shared by the values that hold it. Caches the hashes
// the property tables use (with and without case) and whether it is ASCII.
class ScriptString {
 public:
  static ScriptString* Create(std::string text) { return new ScriptString(std::move(text)); }
  ScriptString(const ScriptString&) = delete;
  ScriptString& operator=(const ScriptString&) = delete;

  void Retain() noexcept { ++references_; }
  void Release() noexcept {
    if (--references_ == 0) delete this;
  }

  const std::string& Text() const noexcept { return text_; }
  std::uint32_t Hash(bool caseSensitive) const noexcept {
    std::uint32_t& cached = caseSensitive ? hash_ : foldedHash_;
    if (cached == 0) cached = HashName(text_, caseSensitive);
    return cached;
  }
  // Whether every byte is below 0x80 (then bytes are characters).
  bool IsAscii() const noexcept;
  // Whether the text holds ':', '/' or '.', which make a name a target
  // path; kept because every GetVariable of a name asks.
  bool HasPathMarks() const noexcept;

  // The hash of a name as the property tables compute it: FNV-1a of the
  // bytes, ASCII letters folded unless caseSensitive; never 0.
  static std::uint32_t HashName(std::string_view name, bool caseSensitive) noexcept;

 private:
  explicit ScriptString(std::string text) : text_(std::move(text)) {}
  ~ScriptString() = default;

  std::uint32_t references_ = 1;
  mutable std::uint32_t hash_ = 0;
  mutable std::uint32_t foldedHash_ = 0;
  mutable std::int8_t ascii_ = -1;
  mutable std::int8_t pathMarks_ = -1;
  std::string text_;
};

enum class ActionValueType : std::uint8_t {
  Undefined,
  Null,
  Boolean,
  Number,
  String,
  MovieClip,  // a timeline or another display object (a text field)
  Function,
  Object,     // every other object
};

class ActionValue {
 public:
  ActionValue() noexcept : type_(ActionValueType::Undefined), bits_(0) {}
  ActionValue(const ActionValue& o) noexcept : type_(o.type_), bits_(o.bits_) {
    if (type_ == ActionValueType::String) text_->Retain();
  }
  ActionValue(ActionValue&& o) noexcept : type_(o.type_), bits_(o.bits_) {
    o.type_ = ActionValueType::Undefined;
  }
  ActionValue& operator=(const ActionValue& o) noexcept {
    if (o.type_ == ActionValueType::String) o.text_->Retain();
    Drop();
    type_ = o.type_;
    bits_ = o.bits_;
    return *this;
  }
  ActionValue& operator=(ActionValue&& o) noexcept {
    if (this != &o) {
      Drop();
      type_ = o.type_;
      bits_ = o.bits_;
      o.type_ = ActionValueType::Undefined;
    }
    return *this;
  }
  ~ActionValue() { Drop(); }

  static ActionValue Undefined() { return ActionValue(); }
  static ActionValue Null() {
    ActionValue v;
    v.type_ = ActionValueType::Null;
    return v;
  }
  static ActionValue Boolean(bool value) {
    ActionValue v;
    v.type_ = ActionValueType::Boolean;
    v.boolean_ = value;
    return v;
  }
  static ActionValue Number(double value) {
    ActionValue v;
    v.type_ = ActionValueType::Number;
    v.number_ = value;
    return v;
  }
  static ActionValue String(std::string text) {
    ActionValue v;
    v.type_ = ActionValueType::String;
    v.text_ = ScriptString::Create(std::move(text));
    return v;
  }
  static ActionValue String(const char* text) { return String(std::string(text)); }
  // Shares text (takes a reference of its own).
  static ActionValue String(ScriptString* text) {
    ActionValue v;
    text->Retain();
    v.type_ = ActionValueType::String;
    v.text_ = text;
    return v;
  }
  // An object reference; its type (MovieClip, Function, Object) follows
  // from the object. A null object gives undefined.
  static ActionValue Object(ScriptObject* object);

  // Makes a value that owns no text (see IsString) the number value.
  void SetPlainNumber(double value) noexcept {
    type_ = ActionValueType::Number;
    number_ = value;
  }

  ActionValueType Type() const noexcept { return type_; }
  bool IsUndefined() const noexcept { return type_ == ActionValueType::Undefined; }
  bool IsNull() const noexcept { return type_ == ActionValueType::Null; }
  bool IsNullish() const noexcept {
    return type_ == ActionValueType::Undefined || type_ == ActionValueType::Null;
  }
  bool IsBoolean() const noexcept { return type_ == ActionValueType::Boolean; }
  bool IsNumber() const noexcept { return type_ == ActionValueType::Number; }
  bool IsString() const noexcept { return type_ == ActionValueType::String; }
  bool IsObject() const noexcept {
    return type_ == ActionValueType::Object || type_ == ActionValueType::Function ||
           type_ == ActionValueType::MovieClip;
  }
  bool IsFunction() const noexcept { return type_ == ActionValueType::Function; }
  bool IsClip() const noexcept { return type_ == ActionValueType::MovieClip; }

  // Raw parts; meaningful only for the matching type.
  bool BooleanValue() const noexcept { return boolean_; }
  double NumberValue() const noexcept { return number_; }
  // "" unless a string. Read at nearly every action, so inline.
  const std::string& StringValue() const noexcept {
    return type_ == ActionValueType::String ? text_->Text() : EmptyText();
  }
  ScriptString* StringRep() const noexcept { return type_ == ActionValueType::String ? text_ : nullptr; }
  ScriptObject* ObjectValue() const noexcept { return IsObject() ? object_ : nullptr; }

  // The conversions of primitives, which differ with the movie's version:
  // - undefined is 0 and "" up to version 6, NaN and "undefined" from 7;
  // - a string that is not a number is 0 before version 5, NaN from 5 on;
  //   the empty string is 0 up to version 6 and NaN from 7;
  // - a string is true when it reads as a nonzero number up to version 6,
  //   and when it is not empty from version 7.
  // Objects convert without calling anything: NaN, their default text
  // ("[object Object]", "[type Function]", a timeline's path), true. The
  // interpreter's conversions call valueOf and toString first.
  double ToNumber(int swfVersion) const;
  std::string ToString(int swfVersion) const;
  bool ToBoolean(int swfVersion) const;
  // The answer of the typeof operator: "undefined", "null", "boolean",
  // "number", "string", "movieclip", "function", "object".
  const char* TypeOf() const;

 private:
  static const std::string& EmptyText() noexcept;
  void Drop() noexcept {
    if (type_ == ActionValueType::String) text_->Release();
  }

  ActionValueType type_;
  // Copied as bits: a double copied as a double could lose a NaN's payload
  // on old floating-point units, and the other members are not doubles.
  union {
    std::uint64_t bits_;
    bool boolean_;
    double number_;
    ScriptString* text_;
    ScriptObject* object_;
  };
};

}  // namespace Halvane::Movie
