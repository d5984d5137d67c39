// Object, Function, Error and AsBroadcaster.
#include "movie/actions/BuiltinSupport.h"
#include "movie/swf/Text.h"

namespace Halvane::Movie::Builtins {

namespace {

constexpr std::uint16_t kHidden = PropertyFlag::DontEnum | PropertyFlag::DontDelete;
constexpr std::uint16_t kHidden6 = kHidden | PropertyFlag::Version6;

ActionValue ObjectCall(NativeCall& c) {
  const ActionValue& v = c.Arg(0);
  if (v.IsObject()) return v;
  if (!v.IsNullish()) return Obj(c.vm.ToObject(v));
  return Obj(Rt(c).NewObject());
}

ActionValue ObjectConstruct(NativeCall& c) {
  const ActionValue& v = c.Arg(0);
  if (v.IsObject()) return v;
  if (!v.IsNullish()) return Obj(c.vm.ToObject(v));
  ScriptObject* o = NewNativeInstance(c, Rt(c).objectProto, nullptr);
  return Obj(o);
}

ActionValue ObjectToString(NativeCall& c) {
  if (c.thisValue.IsClip()) {
    ActionTarget* t = c.vm.TargetOf(c.thisValue);
    return Str(c, t != nullptr ? DotTargetPath(*t) : std::string());
  }
  if (c.thisValue.IsFunction()) return Str(c, "[type Function]");
  return Str(c, "[object Object]");
}

ActionValue ObjectValueOf(NativeCall& c) { return c.thisValue; }

ActionValue AddProperty(NativeCall& c) {
  ScriptObject* self = c.This();
  if (self == nullptr) return Bool(false);
  const std::string name = ArgText(c, 0);
  const ActionValue& getter = c.Arg(1);
  const ActionValue& setter = c.Arg(2);
  if (name.empty() || !getter.IsFunction()) return Bool(false);
  if (!setter.IsFunction() && !setter.IsNull()) return Bool(false);
  if (self->Kind() == ObjectKind::Clip) {
    ActionTarget* t = c.vm.TargetOf(c.thisValue);
    if (t == nullptr) return Bool(false);
    self = c.vm.ClipOf(*t);
  }
  VariableStore::Entry* e = self->Properties().Define(Str(c, name));
  if (e == nullptr) return Bool(false);
  // The value stored before stays in the slot: watchers still report it.
  self->Properties().SetAccessor(*e, getter.ObjectValue(), setter.ObjectValue());
  if (self->Kind() == ObjectKind::Array) static_cast<ArrayObject*>(self->Core())->shadowed = true;
  return Bool(true);
}

ActionValue HasOwnProperty(NativeCall& c) {
  ScriptObject* self = c.This();
  if (self == nullptr || !c.Has(0)) return Bool(false);
  return Bool(c.vm.HasOwnProperty(self, Str(c, ArgText(c, 0))));
}

ActionValue IsPropertyEnumerable(NativeCall& c) {
  ScriptObject* self = c.This();
  if (self == nullptr) return Bool(false);
  if (self->Kind() == ObjectKind::Clip) {
    ActionTarget* t = c.vm.TargetOf(c.thisValue);
    if (t == nullptr) return Bool(false);
    self = c.vm.ClipOf(*t);
  }
  const std::string name = ArgText(c, 0);
  if (self->Kind() == ObjectKind::Array && c.vm.HasOwnProperty(self, Str(c, name))) {
    if (!self->Properties().FindEntry(name)) return Bool(true);
  }
  const VariableStore::Entry* e = self->Properties().FindEntry(name);
  return Bool(e != nullptr && !(e->flags & PropertyFlag::DontEnum) &&
              PropertyFlag::VisibleTo(e->flags, c.vm.Version()));
}

ActionValue IsPrototypeOf(NativeCall& c) {
  ScriptObject* self = c.This();
  ScriptObject* other = c.Arg(0).ObjectValue();
  if (self == nullptr || other == nullptr) return Bool(false);
  int guard = 0;
  for (ScriptObject* p = other->Proto(); p != nullptr && guard < 256; p = p->Proto(), ++guard) {
    if (p == self) return Bool(true);
  }
  return Bool(false);
}

ActionValue Watch(NativeCall& c) {
  ScriptObject* self = c.This();
  if (self == nullptr || !c.Has(1) || !c.Arg(1).IsFunction()) return Bool(false);
  if (self->Kind() == ObjectKind::Clip) {
    ActionTarget* t = c.vm.TargetOf(c.thisValue);
    if (t == nullptr) return Bool(false);
    self = c.vm.ClipOf(*t);
  }
  self->Watch(Str(c, ArgText(c, 0)), c.Arg(1), c.Arg(2));
  return Bool(true);
}

ActionValue Unwatch(NativeCall& c) {
  ScriptObject* self = c.This();
  if (self == nullptr) return Bool(false);
  if (self->Kind() == ObjectKind::Clip) {
    ActionTarget* t = c.vm.TargetOf(c.thisValue);
    if (t == nullptr) return Bool(false);
    self = c.vm.ClipOf(*t);
  }
  return Bool(self->Unwatch(ArgText(c, 0)));
}

ActionValue RegisterClass(NativeCall& c) {
  if (c.Count() < 2) return Bool(false);
  const std::string name = ArgText(c, 0);
  const ActionValue& constructor = c.Arg(1);
  if (constructor.IsFunction()) {
    Rt(c).registeredClasses[name] = constructor;
  } else if (constructor.IsNullish()) {
    Rt(c).registeredClasses.erase(name);
  } else {
    return Bool(false);  // no class: nothing changes
  }
  return Bool(true);
}

// --- Function

ActionValue FunctionCall(NativeCall& c) {
  // Function(x) answers x; Function() an object without a prototype.
  return c.Count() > 0 ? c.Arg(0) : Obj(Rt(c).NewObject(nullptr));
}

// call and apply with no this (undefined or null) call on _global; a
// primitive is wrapped as for a member of it, and one that the global
// classes wrap in nothing calls on _global as well.
ActionValue ThisForCall(NativeCall& c) {
  ActionValue wrapper;
  if (c.vm.WrapPrimitive(c.Arg(0), wrapper)) return wrapper.IsObject() ? wrapper : ActionValue::Object(Rt(c).global);
  return c.Arg(0).IsNullish() ? ActionValue::Object(Rt(c).global) : c.Arg(0);
}

ActionValue FunctionApply(NativeCall& c) {
  std::vector<ActionValue> args;
  if (ScriptObject* array = c.Arg(1).ObjectValue()) {
    const double length = c.vm.ArrayLength(array);
    const std::size_t n = length > 0 ? static_cast<std::size_t>(std::min(length, 65536.0)) : 0;
    c.vm.Work(n);
    args.reserve(n);
    for (std::size_t i = 0; i < n; ++i) args.push_back(c.vm.GetMember(c.Arg(1), ActionValue::Number(static_cast<double>(i))));
  }
  return c.vm.Call(c.thisValue, ThisForCall(c), ArgList(args));
}

ActionValue FunctionCallMethod(NativeCall& c) {
  const std::size_t n = c.Count();
  std::vector<ActionValue> args;
  for (std::size_t i = 1; i < n; ++i) args.push_back(c.Arg(i));
  return c.vm.Call(c.thisValue, ThisForCall(c), ArgList(args));
}

// --- Error

ActionValue ErrorConstruct(NativeCall& c) {
  ScriptObject* e = NewNativeInstance(c, Rt(c).errorProto, nullptr);
  if (e != nullptr && c.Has(0) && !c.Arg(0).IsUndefined()) c.vm.DefineValue(e, Str(c, "message"), c.Arg(0));
  return Obj(e);
}

ActionValue ErrorCall(NativeCall& c) {
  // Called on an object made by a subclass: sets the message there.
  if (ScriptObject* self = c.This()) {
    if (c.Has(0) && !c.Arg(0).IsUndefined()) c.vm.SetMember(c.thisValue, "message", c.Arg(0));
    (void)self;
    return ActionValue();
  }
  return ErrorConstruct(c);
}

ActionValue ErrorToString(NativeCall& c) { return Str(c, c.vm.Text(c.vm.GetMember(c.thisValue, "message"))); }

// --- AsBroadcaster

ActionValue BroadcastMessage(NativeCall& c) {
  const ActionValue listeners = c.vm.GetMember(c.thisValue, Rt(c).names.listeners);
  ScriptObject* list = listeners.ObjectValue();
  if (list == nullptr || !c.Has(0)) return ActionValue();
  const ActionValue name = Str(c, ArgText(c, 0));
  std::vector<ActionValue> args;
  for (std::size_t i = 1; i < c.Count(); ++i) args.push_back(c.Arg(i));
  // The listeners of the moment: changes made by a listener wait for the
  // next message.
  const double length = c.vm.ArrayLength(list);
  std::vector<ActionValue> targets;
  for (double i = 0; i < length && i < 65536; ++i) targets.push_back(c.vm.GetMember(listeners, Num(i)));
  for (const ActionValue& target : targets) {
    c.vm.CallMethod(target, name, ArgList(args));
    if (c.vm.Abnormal()) break;
  }
  return targets.empty() ? ActionValue() : Bool(true);
}

ActionValue AddListener(NativeCall& c) {
  const ActionValue listeners = c.vm.GetMember(c.thisValue, Rt(c).names.listeners);
  ScriptObject* list = listeners.ObjectValue();
  if (list == nullptr) return Bool(true);
  const ActionValue& listener = c.Arg(0);
  // Added once: an earlier entry is removed first.
  const double length = c.vm.ArrayLength(list);
  std::vector<ActionValue> kept;
  for (double i = 0; i < length && i < 65536; ++i) {
    ActionValue v = c.vm.GetMember(listeners, Num(i));
    if (!c.vm.LooseEquals(v, listener)) kept.push_back(std::move(v));
  }
  kept.push_back(listener);
  if (list->Kind() == ObjectKind::Array) {
    auto* array = static_cast<ArrayObject*>(list->Core());
    c.vm.ArraySetLength(array, 0);
    for (std::size_t i = 0; i < kept.size(); ++i) c.vm.ArraySet(array, static_cast<std::uint32_t>(i), kept[i]);
  } else {
    for (std::size_t i = 0; i < kept.size(); ++i) c.vm.SetMember(listeners, Num(static_cast<double>(i)), kept[i]);
    c.vm.SetMember(listeners, Rt(c).names.length, Num(static_cast<double>(kept.size())));
  }
  return Bool(true);
}

ActionValue RemoveListener(NativeCall& c) {
  const ActionValue listeners = c.vm.GetMember(c.thisValue, Rt(c).names.listeners);
  ScriptObject* list = listeners.ObjectValue();
  if (list == nullptr) return Bool(false);
  const ActionValue& listener = c.Arg(0);
  const double length = c.vm.ArrayLength(list);
  std::vector<ActionValue> kept;
  bool removed = false;
  for (double i = 0; i < length && i < 65536; ++i) {
    ActionValue v = c.vm.GetMember(listeners, Num(i));
    if (!removed && c.vm.LooseEquals(v, listener)) {
      removed = true;
      continue;
    }
    kept.push_back(std::move(v));
  }
  if (!removed) return Bool(false);
  if (list->Kind() == ObjectKind::Array) {
    auto* array = static_cast<ArrayObject*>(list->Core());
    c.vm.ArraySetLength(array, 0);
    for (std::size_t i = 0; i < kept.size(); ++i) c.vm.ArraySet(array, static_cast<std::uint32_t>(i), kept[i]);
  } else {
    for (std::size_t i = 0; i < kept.size(); ++i) c.vm.SetMember(listeners, Num(static_cast<double>(i)), kept[i]);
    c.vm.SetMember(listeners, Rt(c).names.length, Num(static_cast<double>(kept.size())));
  }
  return Bool(true);
}

ActionValue BroadcasterConstruct(NativeCall& c) { return Obj(NewNativeInstance(c, nullptr, nullptr)); }

ActionValue BroadcasterInitialize(NativeCall& c) {
  ScriptObject* target = c.Arg(0).ObjectValue();
  if (target == nullptr) return ActionValue();
  const ActionValue broadcaster = c.thisValue;
  for (const char* name : {"broadcastMessage", "addListener", "removeListener"}) {
    c.vm.SetMember(c.Arg(0), name, c.vm.GetMember(broadcaster, name));
    SetPropertyFlags(target, name, PropertyFlag::DontEnum);
  }
  ArrayObject* list = c.vm.NewArray({});
  c.vm.SetMember(c.Arg(0), "_listeners", Obj(list));
  SetPropertyFlags(target, "_listeners", PropertyFlag::DontEnum);
  return ActionValue();
}

}  // namespace

ActionValue ConstructOnlyThroughSuper(NativeCall& c) {
  if (!UpgradesThis(c) || c.callee == nullptr || c.callee->construct == nullptr) return ActionValue();
  return c.callee->construct(c);
}

ActionValue NewPlain(NativeCall& c) {
  if (UpgradesThis(c)) return ActionValue();
  return Obj(NewNativeInstance(c, nullptr, nullptr));
}

bool BecomePrimitive(NativeCall& c, ObjectKind kind, ActionValue value) {
  if (!UpgradesThis(c)) return false;
  PrimitiveObject* core = Rt(c).NewPrimitive(kind, std::move(value));
  if (core == nullptr) {
    c.vm.Fault();
    return false;
  }
  return c.This()->AdoptCore(core);
}

ScriptObject* NewNativeInstance(NativeCall& c, ScriptObject* defaultProto, std::unique_ptr<NativeState> state) {
  ScriptRuntime& rt = Rt(c);
  ScriptObject* o = nullptr;
  const bool upgrade = state != nullptr && UpgradesThis(c);
  if (state) o = rt.Heap().Make<NativeObject>(rt.CaseSensitive(), std::move(state));
  else o = rt.Heap().Make<ScriptObject>(ObjectKind::Plain, rt.CaseSensitive());
  if (upgrade && o != nullptr && c.This()->AdoptCore(o)) return c.This();
  if (o == nullptr) {
    c.vm.Fault();
    return nullptr;
  }
  ScriptObject* proto = defaultProto;
  if (c.callee != nullptr) {
    const ActionValue p = c.vm.GetMember(ActionValue::Object(c.callee), rt.names.prototype);
    if (p.IsObject()) proto = p.ObjectValue();
  }
  o->SetProto(proto);
  return o;
}

void InstallObjectAndFunction(ScriptRuntime& rt) {
  ScriptObject* op = rt.objectProto;
  rt.objectClass = rt.Class("Object", ObjectCall, ObjectConstruct, op);
  rt.Method(op, "addProperty", AddProperty, 0, kHidden6);
  rt.Method(op, "hasOwnProperty", HasOwnProperty, 0, kHidden6);
  rt.Method(op, "isPropertyEnumerable", IsPropertyEnumerable, 0, kHidden6);
  rt.Method(op, "isPrototypeOf", IsPrototypeOf, 0, kHidden6);
  rt.Method(op, "toString", ObjectToString, 0, kHidden);
  rt.Method(op, "toLocaleString", ObjectToString, 0, kHidden);
  rt.Method(op, "valueOf", ObjectValueOf, 0, kHidden);
  rt.Method(op, "watch", Watch, 0, kHidden6);
  rt.Method(op, "unwatch", Unwatch, 0, kHidden6);
  rt.Method(rt.objectClass, "registerClass", RegisterClass, 0, kHidden6);

  ScriptObject* fp = rt.functionProto;
  rt.functionClass = rt.Class("Function", FunctionCall, nullptr, fp);
  rt.Method(fp, "apply", FunctionApply, 0, kHidden6);
  rt.Method(fp, "call", FunctionCallMethod, 0, kHidden6);

  rt.errorProto = rt.NewObject();
  rt.Class("Error", ErrorCall, ErrorConstruct, rt.errorProto, nullptr, PropertyFlag::DontEnum | PropertyFlag::Version6);
  rt.Value(rt.errorProto, "message", ActionValue::String("Error"));
  rt.Value(rt.errorProto, "name", ActionValue::String("Error"));
  rt.Method(rt.errorProto, "toString", ErrorToString);

  FunctionObject* broadcaster = rt.Class("AsBroadcaster", BroadcasterConstruct, BroadcasterConstruct, nullptr);
  rt.Method(broadcaster, "initialize", BroadcasterInitialize);
  rt.Method(broadcaster, "broadcastMessage", BroadcastMessage);
  rt.Method(broadcaster, "addListener", AddListener);
  rt.Method(broadcaster, "removeListener", RemoveListener);
}

}  // namespace Halvane::Movie::Builtins
