// Helpers of the built-in classes (the Builtin*.cpp files): reading
// arguments through the interpreter's conversions, and the installers each
// file offers to InstallBuiltins. Internal to the actions layer.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "movie/actions/Interpreter.h"
#include "movie/actions/TextFieldData.h"

namespace Halvane::Movie::Builtins {

using Interpreting::Interpreter;

inline double ArgNumber(NativeCall& c, std::size_t i) { return c.vm.Number(c.Arg(i)); }
inline std::string ArgText(NativeCall& c, std::size_t i) { return c.vm.Text(c.Arg(i)); }
inline bool ArgTruth(NativeCall& c, std::size_t i) { return c.vm.Truth(c.Arg(i)); }
// An integer argument as the built-ins read them: NaN is 0, fractions go
// toward zero, values past the 32-bit range clamp.
inline std::int32_t ArgInt(NativeCall& c, std::size_t i) { return TruncateToInt32(ArgNumber(c, i)); }
inline ScriptRuntime& Rt(NativeCall& c) { return c.vm.Runtime(); }

// The five characters XML and HTML reserve, as entities (entities already
// in the text are escaped again).
inline std::string EscapeMarkup(const std::string& text) {
  std::string out;
  for (const char ch : text) {
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += ch; break;
    }
  }
  return out;
}
inline ActionValue Str(NativeCall& c, std::string text) { return c.vm.StringValue(std::move(text)); }
inline ActionValue Num(double v) { return ActionValue::Number(v); }
inline ActionValue Bool(bool v) { return ActionValue::Boolean(v); }
inline ActionValue Obj(ScriptObject* o) { return ActionValue::Object(o); }

// The target a clip method runs on (this), or null.
inline ActionTarget* ThisTarget(NativeCall& c) { return c.vm.TargetOf(c.thisValue); }

// this as an object of kind, or null.
template <class T>
T* ThisAs(NativeCall& c, ObjectKind kind) {
  ScriptObject* o = c.This();
  return o != nullptr && o->Kind() == kind ? static_cast<T*>(o->Core()) : nullptr;
}

// The state of a native object this (or of the core a subclass's
// instance adopted), or null.
template <class T>
T* ThisState(NativeCall& c) {
  ScriptObject* o = c.This();
  if (o == nullptr || o->Kind() != ObjectKind::Native) return nullptr;
  return static_cast<NativeObject*>(o->Core())->StateAs<T>();
}

// Sets the flags of an existing property.
inline void SetPropertyFlags(ScriptObject* o, const char* name, std::uint16_t flags) {
  if (VariableStore::Entry* e = o->Properties().FindEntry(name)) e->flags = flags;
}

// A new instance of a native class: proto from the constructor's
// prototype property (so subclasses work), state given.
ScriptObject* NewNativeInstance(NativeCall& c, ScriptObject* defaultProto, std::unique_ptr<NativeState> state);

// Whether this call is super() of a subclass of a built-in class, on an
// object that is no instance of a built-in class yet: the class then makes
// it one of its own (ScriptObject::AdoptCore) and answers this.
inline bool UpgradesThis(NativeCall& c) {
  ScriptObject* o = c.This();
  return c.constructing && o != nullptr && o->Kind() == ObjectKind::Plain;
}
// Makes this (UpgradesThis) a wrapper of value, of kind Boolean, Number,
// String or Date; false when it cannot be one.
bool BecomePrimitive(NativeCall& c, ObjectKind kind, ActionValue value);

// The installers of the built-in classes, one per Builtin*.cpp file.
void InstallObjectAndFunction(ScriptRuntime& rt);
void InstallGlobals(ScriptRuntime& rt);
void InstallArray(ScriptRuntime& rt);
void InstallString(ScriptRuntime& rt);
void InstallNumberAndBoolean(ScriptRuntime& rt);
void InstallMath(ScriptRuntime& rt);
void InstallDate(ScriptRuntime& rt);
void InstallMovieClip(ScriptRuntime& rt);
void InstallTextField(ScriptRuntime& rt);
void InstallStageAndSystem(ScriptRuntime& rt);
void InstallSelection(ScriptRuntime& rt);
void InstallXml(ScriptRuntime& rt);
void InstallGeometry(ScriptRuntime& rt);
void InstallServices(ScriptRuntime& rt);
void InstallFileReference(ScriptRuntime& rt);

// Shared by several built-ins.
// Gives object the listener methods of AsBroadcaster and its own list.
void MakeBroadcaster(ScriptRuntime& rt, ScriptObject* object);
std::string JoinArray(NativeCall& c, ScriptObject* array, const std::string& separator);
std::string EscapeText(const std::string& text);
std::string UnescapeText(const std::string& text);
// The runs of a text field's HTML text, styled by styler when one is given.
std::vector<TextRun> ParseHtml(const std::string& html, const TextFormatData& base, bool condenseWhite,
                               bool multiline, int swfVersion, const HtmlStyler* styler = nullptr);
// Number to text in a radix from 2 to 36 (Number.prototype.toString).
std::string FormatRadix(double value, int radix);

}  // namespace Halvane::Movie::Builtins
