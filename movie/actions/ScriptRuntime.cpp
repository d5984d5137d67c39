#include "movie/actions/ScriptRuntime.h"

#include "movie/actions/ActionInterpreter.h"
#include "movie/actions/ActionTarget.h"

namespace Halvane::Movie {

ScriptRuntime::ScriptRuntime(int swfVersion)
    : version_(swfVersion), heap_(VariableStore::NamesAreCaseSensitive(swfVersion)) {
  names.prototype = Name("prototype");
  names.constructor = Name("constructor");
  names.proto = Name("__proto__");
  names.length = Name("length");
  names.toString = Name("toString");
  names.valueOf = Name("valueOf");
  names.callee = Name("callee");
  names.caller = Name("caller");
  names.arguments = Name("arguments");
  names.constructorOfThis = Name("__constructor__");
  names.resolve = Name("__resolve");
  names.listeners = Name("_listeners");
  names.thisName = Name("this");
  names.super = Name("super");
  names.booleanName = Name("Boolean");
  names.numberName = Name("Number");
  names.stringName = Name("String");

  // The two prototypes every other object starts from; their classes and
  // everything else come with the built-ins.
  objectProto = heap_.Make<ScriptObject>(ObjectKind::Plain, CaseSensitive());
  objectProto->RemoveProto();
  functionProto = heap_.Make<ScriptObject>(ObjectKind::Plain, CaseSensitive());
  functionProto->SetProto(objectProto);
  // _global has no prototype: it converts and compares as undefined.
  global = heap_.Make<ScriptObject>(ObjectKind::Plain, CaseSensitive());
  global->RemoveProto();
  InstallBuiltins(*this);
}

ScriptRuntime::~ScriptRuntime() = default;

ScriptObject* ScriptRuntime::NewObject() { return NewObject(objectProto); }

ScriptObject* ScriptRuntime::NewObject(ScriptObject* proto) {
  ScriptObject* o = heap_.Make<ScriptObject>(ObjectKind::Plain, CaseSensitive());
  if (o != nullptr) {
    if (proto) o->SetProto(proto);
    else o->RemoveProto();
  }
  return o;
}

ArrayObject* ScriptRuntime::NewArray() {
  ArrayObject* a = heap_.Make<ArrayObject>(CaseSensitive());
  if (a != nullptr) a->SetProto(arrayProto);
  return a;
}

FunctionObject* ScriptRuntime::NewNative(NativeFunction call, int tag, NativeFunction construct) {
  FunctionObject* f = heap_.Make<FunctionObject>(CaseSensitive());
  if (f == nullptr) return nullptr;
  f->SetProto(functionProto);
  f->native = call;
  f->construct = construct;
  f->tag = tag;
  return f;
}

FunctionObject* ScriptRuntime::NewFunction() {
  FunctionObject* f = heap_.Make<FunctionObject>(CaseSensitive());
  if (f == nullptr) return nullptr;
  f->SetProto(functionProto);
  ScriptObject* prototype = NewObject();
  if (prototype == nullptr) return nullptr;
  VariableStore::Entry* e = prototype->Properties().Define(names.constructor);
  e->value = ActionValue::Object(f);
  e->flags = PropertyFlag::DontEnum;
  e = f->Properties().Define(names.prototype);
  e->value = ActionValue::Object(prototype);
  e->flags = PropertyFlag::DontEnum | PropertyFlag::DontDelete;
  return f;
}

ScopeNode* ScriptRuntime::NewScope(ScriptObject* object, ScopeNode* next, bool isWith) {
  return heap_.Make<ScopeNode>(object, next, isWith);
}

PrimitiveObject* ScriptRuntime::NewPrimitive(ObjectKind kind, ActionValue value) {
  PrimitiveObject* p = heap_.Make<PrimitiveObject>(kind, CaseSensitive(), std::move(value));
  if (p == nullptr) return nullptr;
  switch (kind) {
    case ObjectKind::Boolean: p->SetProto(booleanProto); break;
    case ObjectKind::Number: p->SetProto(numberProto); break;
    case ObjectKind::String: p->SetProto(stringProto); break;
    case ObjectKind::Date: p->SetProto(dateProto); break;
    default: p->SetProto(objectProto); break;
  }
  return p;
}

ClipObject* ScriptRuntime::ClipOf(ActionTarget& target) {
  if (ClipObject* existing = target.Script()) return existing;
  // A clip object is what keeps a timeline's variables reachable for
  // scripts; made beyond the heap's cap all the same, as refusing it would
  // leave the timeline without a script face.
  ClipObject* clip = heap_.Make<ClipObject>(target, CaseSensitive());
  if (clip == nullptr) {
    clip = new ClipObject(target, CaseSensitive());
    heap_.Adopt(clip);
  }
  clip->SetProto(target.IsTextField() ? textFieldProto : target.IsButton() ? buttonProto : clipProto);
  return clip;
}

ActionValue ScriptRuntime::Name(std::string_view text) {
  const auto found = names_.find(text);
  if (found != names_.end()) return found->second;
  ActionValue name = ActionValue::String(std::string(text));
  if (names_.size() >= MaxNames || text.size() > MaxNameBytes - nameBytes_) return name;
  nameBytes_ += text.size();
  names_.emplace(std::string_view(name.StringValue()), name);
  return name;
}

const ActionValue& ScriptRuntime::MakeCharacter(char c) {
  ActionValue& text = characters_[static_cast<unsigned char>(c) & 0x7F];
  text = ActionValue::String(std::string(1, c));
  return text;
}

FunctionObject* ScriptRuntime::Method(ScriptObject* on, const char* name, NativeFunction call, int tag,
                                      std::uint16_t flags) {
  FunctionObject* f = NewNative(call, tag);
  if (f == nullptr || on == nullptr) return f;
  VariableStore::Entry* e = on->Properties().Define(Name(name));
  if (e != nullptr) {
    e->value = ActionValue::Object(f);
    e->getter = e->setter = nullptr;
    e->flags = flags;
  }
  return f;
}

void ScriptRuntime::Value(ScriptObject* on, const char* name, ActionValue value, std::uint16_t flags) {
  if (on == nullptr) return;
  VariableStore::Entry* e = on->Properties().Define(Name(name));
  if (e != nullptr) {
    e->value = std::move(value);
    e->getter = e->setter = nullptr;
    e->flags = flags;
  }
}

void ScriptRuntime::Accessor(ScriptObject* on, const char* name, NativeFunction get, NativeFunction set,
                             int tag, std::uint16_t flags) {
  if (on == nullptr) return;
  FunctionObject* getter = NewNative(get, tag);
  FunctionObject* setter = set ? NewNative(set, tag) : nullptr;
  VariableStore::Entry* e = on->Properties().Define(Name(name));
  if (e != nullptr && getter != nullptr) {
    e->value = ActionValue();
    on->Properties().SetAccessor(*e, getter, setter);
    e->flags = flags;
  }
}

FunctionObject* ScriptRuntime::Class(const char* name, NativeFunction call, NativeFunction construct,
                                     ScriptObject* prototype, ScriptObject* on, std::uint16_t flags) {
  FunctionObject* f = NewNative(call, 0, construct);
  if (f == nullptr) return nullptr;
  if (prototype == nullptr) prototype = NewObject();
  Value(f, "prototype", ActionValue::Object(prototype), PropertyFlag::DontEnum | PropertyFlag::DontDelete);
  Value(prototype, "constructor", ActionValue::Object(f), PropertyFlag::DontEnum);
  Value(on ? on : global, name, ActionValue::Object(f), flags);
  return f;
}

void ScriptRuntime::MarkRoots(GcMarker& marker) {
  marker.Mark(global);
  marker.Mark(objectProto);
  marker.Mark(functionProto);
  marker.Mark(arrayProto);
  marker.Mark(stringProto);
  marker.Mark(numberProto);
  marker.Mark(booleanProto);
  marker.Mark(dateProto);
  marker.Mark(clipProto);
  marker.Mark(textFieldProto);
  marker.Mark(buttonProto);
  marker.Mark(errorProto);
  marker.Mark(xmlNodeProto);
  marker.Mark(xmlProto);
  marker.Mark(objectClass);
  marker.Mark(functionClass);
  marker.Mark(arrayClass);
  marker.Mark(booleanClass);
  marker.Mark(numberClass);
  marker.Mark(stringClass);
  for (const auto& entry : registeredClasses) marker.Mark(entry.second);
  for (const ScriptTimer& t : timers) {
    marker.Mark(t.function);
    marker.Mark(t.object);
    for (const ActionValue& a : t.arguments) marker.Mark(a);
  }
  for (const auto& entry : sharedObjects) marker.Mark(entry.second);
  for (const auto& entry : keep) marker.Mark(entry.second);
  for (const DeferredCall& d : deferredCalls) marker.Mark(d.object);
}

}  // namespace Halvane::Movie
