// Names, scopes and members: how GetVariable, SetVariable, GetMember and
// SetMember find what they name.
#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_set>
#include <utility>

#include "movie/actions/Interpreter.h"
#include "movie/actions/Numbers.h"
#include "movie/swf/Text.h"

namespace Halvane::Movie::Interpreting {

namespace {

// A prototype chain longer than this is a cycle: following it stops the
// run, as the platform's player stops a script that loops in its
// prototypes.
constexpr int kMaxProtoDepth = 256;

bool SameText(const ActionValue& name, const char* text, bool caseSensitive) {
  return SameName(name.StringValue(), text, caseSensitive);
}

// The index an array element name stands for: a number that is a whole
// index, or text that is one written canonically ("3", not "03" or "3.0").
bool ArrayIndexOf(const ActionValue& name, std::uint32_t& index) {
  if (name.IsNumber()) {
    const double d = name.NumberValue();
    if (d >= 0 && d < 4294967295.0 && d == std::floor(d)) {
      index = static_cast<std::uint32_t>(d);
      return true;
    }
    return false;
  }
  if (!name.IsString()) return false;
  const std::string& s = name.StringValue();
  if (s.empty() || s.size() > 10) return false;
  if (s.size() > 1 && s[0] == '0') return false;
  std::uint64_t v = 0;
  for (const char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (v >= 4294967295ull) return false;
  index = static_cast<std::uint32_t>(v);
  return true;
}

// The hash of "__proto__", which every member access compares against.
std::uint32_t ProtoHash(bool caseSensitive) {
  static const std::uint32_t hashes[2] = {ScriptString::HashName("__proto__", false),
                                          ScriptString::HashName("__proto__", true)};
  return hashes[caseSensitive ? 1 : 0];
}

// Whether name (a string) is __proto__ as a movie with these case rules
// spells it.
bool IsProtoName(const ActionValue& name, bool caseSensitive) {
  const ScriptString* rep = name.StringRep();
  return rep != nullptr && rep->Hash(caseSensitive) == ProtoHash(caseSensitive) &&
         SameText(name, "__proto__", caseSensitive);
}

// Whether name is the text "length" as a movie with these case rules
// spells it: asked at most accesses of arrays and texts, and the hash the
// text keeps rules out nearly every other name at once.
bool IsLengthName(const ActionValue& name, bool caseSensitive) {
  static const std::uint32_t hashes[2] = {ScriptString::HashName("length", false),
                                          ScriptString::HashName("length", true)};
  const ScriptString* rep = name.StringRep();
  return rep != nullptr && rep->Hash(caseSensitive) == hashes[caseSensitive ? 1 : 0] &&
         SameText(name, "length", caseSensitive);
}

}  // namespace

bool Interpreter::IsPath(const std::string& name) const {
  return name.find_first_of(":/.") != std::string::npos;
}

ActionTarget* Interpreter::TargetOfObject(ScriptObject* o) {
  if (o == nullptr || o->Kind() != ObjectKind::Clip) return nullptr;
  auto* clip = static_cast<ClipObject*>(o);
  if (ActionTarget* t = clip->Target()) {
    if (!t->Gone()) return t;
  }
  if (clip->LastPath().empty()) return nullptr;
  // The instance is gone: a new one with the same path answers for it.
  return ResolveTarget(root_, root_, clip->LastPath(), caseSensitive_);
}

ActionTarget* Interpreter::TargetOf(const ActionValue& v) { return TargetOfObject(v.ObjectValue()); }

ScriptObject* Interpreter::ToObject(const ActionValue& v) {
  switch (v.Type()) {
    case ActionValueType::Undefined:
    case ActionValueType::Null:
      return nullptr;
    case ActionValueType::Boolean:
      return rt_.NewPrimitive(ObjectKind::Boolean, v);
    case ActionValueType::Number:
      return rt_.NewPrimitive(ObjectKind::Number, v);
    case ActionValueType::String:
      return rt_.NewPrimitive(ObjectKind::String, v);
    case ActionValueType::MovieClip: {
      ActionTarget* t = TargetOf(v);
      return t ? ClipOf(*t) : nullptr;
    }
    default:
      return v.ObjectValue();
  }
}

bool Interpreter::WrapPrimitive(const ActionValue& v, ActionValue& wrapper) {
  FunctionObject* installed = nullptr;
  const ActionValue* name = nullptr;
  int which = 0;
  switch (v.Type()) {
    case ActionValueType::Boolean: installed = rt_.booleanClass, name = &rt_.names.booleanName, which = 0; break;
    case ActionValueType::Number: installed = rt_.numberClass, name = &rt_.names.numberName, which = 1; break;
    case ActionValueType::String: installed = rt_.stringClass, name = &rt_.names.stringName, which = 2; break;
    default: return false;
  }
  // Most often _global still holds the class installed: nothing to wrap,
  // known from its own entry without walking its chain.
  if (!Abnormal() && rt_.global != nullptr && installed != nullptr) {
    const VariableStore& globals = rt_.global->Properties();
    ScriptRuntime::GlobalEntry& cached = rt_.wrapperEntries[which];
    if (cached.layout != globals.Layout()) {
      cached.entry = rt_.global->Properties().FindEntry(*name->StringRep());
      cached.layout = globals.Layout();
    }
    const VariableStore::Entry* own = cached.entry;
    if (own != nullptr && !own->Accessor() && own->value.ObjectValue() == installed &&
        PropertyFlag::VisibleTo(own->flags, version_)) {
      return false;
    }
  }
  ScriptObject* holder = nullptr;
  const VariableStore::Entry* e = FindProperty(rt_.global, *name, &holder);
  ActionValue constructor;
  if (e != nullptr && PropertyFlag::VisibleTo(e->flags, version_)) {
    constructor = e->Accessor() ? CallGetter(*e, ActionValue::Object(rt_.global), holder) : e->value;
  }
  if (Abnormal()) {
    wrapper = ActionValue();
    return true;
  }
  if (constructor.ObjectValue() == installed && installed != nullptr) return false;
  wrapper = constructor.IsFunction() ? Construct(constructor, ArgList(&v, 1)) : ActionValue();
  if (!wrapper.IsObject()) wrapper = ActionValue();
  return true;
}

ScriptObject* Interpreter::EnsureActivation(Frame& f) {
  if (f.activation == nullptr) {
    f.activation = rt_.NewObject(nullptr);
    if (f.activation == nullptr) {
      // A call cannot go without its locals: made past the cap all the
      // same, and the run stops.
      Fault();
      f.activation = new ScriptObject(ObjectKind::Plain, caseSensitive_);
      f.activation->RemoveProto();
      rt_.Heap().Adopt(f.activation);
    }
  }
  return f.activation;
}

ActionValue Interpreter::ArgumentsOf(Frame& f) {
  if (f.argumentsValue.IsUndefined()) {
    ArrayObject* array = NewArray(f.args.ToVector());
    if (array == nullptr) return ActionValue();
    DefineValue(array, rt_.names.callee, ActionValue::Object(f.callee), PropertyFlag::DontEnum);
    DefineValue(array, rt_.names.caller, f.caller ? ActionValue::Object(f.caller) : ActionValue::Null(),
                PropertyFlag::DontEnum);
    f.argumentsValue = ActionValue::Object(array);
  }
  return f.argumentsValue;
}

ActionValue Interpreter::SuperOf(Frame& f) {
  ScriptObject* constructorBase = nullptr;
  ScriptObject* memberBase = nullptr;
  if (f.constructing) {
    constructorBase = f.home;
    memberBase = f.home != nullptr ? f.home->Proto() : nullptr;
  } else {
    // A method that this holds itself: super() starts at this's prototype
    // and super.x above it, as in a constructor.
    ScriptObject* holder = f.home != nullptr ? f.home : f.thisValue.ObjectValue();
    if (holder != nullptr && holder == f.thisValue.ObjectValue() && holder->Proto() != nullptr) {
      constructorBase = holder->Proto();
      memberBase = constructorBase->Kind() == ObjectKind::Clip ? nullptr : constructorBase->Proto();
      return MakeSuper(f, constructorBase, memberBase);
    }
    constructorBase = holder;
    memberBase = holder != nullptr ? holder->Proto() : nullptr;
  }
  if (constructorBase == nullptr && memberBase == nullptr) return ActionValue();
  return MakeSuper(f, constructorBase, memberBase);
}

ActionValue Interpreter::MakeSuper(Frame& f, ScriptObject* constructorBase, ScriptObject* memberBase) {
  SuperObject* super = rt_.Heap().Make<SuperObject>(caseSensitive_, f.thisValue, constructorBase);
  if (super == nullptr) return ActionValue();
  if (ScriptObject* self = f.thisValue.ObjectValue()) {
    ScriptObject* p = self->Proto();
    for (int depth = 1; p != nullptr && depth <= kMaxProtoDepth; ++depth, p = p->Proto()) {
      if (p == constructorBase) {
        super->homeDepth = depth;
        break;
      }
    }
  }
  if (memberBase != nullptr) super->SetProto(memberBase);
  else super->RemoveProto();
  return ActionValue::Object(super);
}

bool Interpreter::SpecialName(Frame& f, const std::string& name, ActionValue& out) {
  if (name.empty() || (name[0] != '_' && name[0] != 't' && name[0] != 'T')) return false;
  if (SameName(name, "this", caseSensitive_)) {
    // A function that preloads or suppresses this answers the keyword
    // spelled exactly with its timeline, other spellings with nothing.
    if (!f.thisByName && name != "this") {
      out = ActionValue();
      return true;
    }
    // Under tellTarget, this is still the block's own timeline.
    const bool own = f.original != nullptr && !f.original->Gone();
    out = f.thisValue.IsUndefined() || !f.thisByName ? ClipValue(own ? *f.original : Base(f)) : f.thisValue;
    return true;
  }
  return false;
}

ActionValue Interpreter::LookupName(Frame& f, const ActionValue& nameValue, bool* found, ScriptObject** where) {
  const ActionValue name = nameValue.IsString() ? nameValue : ActionValue::String(Text(nameValue));
  const std::string& text = name.StringValue();
  bool dummy = false;
  bool& hit = found ? *found : dummy;
  hit = true;
  ActionValue out;
  if (SpecialName(f, text, out)) return out;
  for (std::size_t i = f.withs.size(); i > 0; --i) {
    ScriptObject* o = f.withs[i - 1];
    if (HasProperty(o, name)) {
      if (where) *where = o;
      return GetMember(ActionValue::Object(o), name);
    }
  }
  if (f.isFunction) {
    if (f.activation != nullptr) {
      if (VariableStore::Entry* e = f.activation->Properties().FindEntry(*name.StringRep())) {
        if (where) *where = f.activation;
        return e->value;
      }
    }
    if (f.argumentsByName && SameText(name, "arguments", caseSensitive_)) return ArgumentsOf(f);
    if (f.superByName && SameText(name, "super", caseSensitive_)) return SuperOf(f);
  }
  for (ScopeNode* node = f.outer; node != nullptr; node = node->Next()) {
    ScriptObject* o = node->Object();
    if (o == nullptr) continue;
    if (o->Kind() == ObjectKind::Clip) {
      ActionTarget* t = TargetOfObject(o);
      if (t == nullptr) continue;
      bool inClip = false;
      ActionValue v = GetClipMember(*t, ClipOf(*t), name, inClip);
      if (inClip) {
        if (where) *where = ClipOf(*t);
        return v;
      }
      continue;
    }
    if (o->Kind() == ObjectKind::Plain && !o->IsSuper()) {
      // A closure's own variables: a plain object holding the name
      // answers its own value, which one look-up finds (HasProperty and
      // GetMember would each look again).
      VariableStore::Entry* e = o->Properties().FindEntry(*name.StringRep());
      if (e != nullptr && PropertyFlag::VisibleTo(e->flags, version_) && !IsProtoName(name, caseSensitive_)) {
        if (where) *where = o;
        return e->Accessor() ? CallGetter(*e, ActionValue::Object(o)) : e->value;
      }
    }
    if (HasProperty(o, name)) {
      if (where) *where = o;
      return GetMember(ActionValue::Object(o), name);
    }
  }
  if (f.outer == nullptr) {
    // After a tellTarget that named nothing, variables are the root's and
    // display properties nobody's.
    ActionTarget& base = Base(f);
    TargetProperty property;
    if (f.current == nullptr && PropertyByName(text, property)) {
      hit = false;
      return ActionValue();
    }
    bool inClip = false;
    ActionValue v = GetClipMember(base, ClipOf(base), name, inClip);
    if (inClip) {
      if (where) *where = ClipOf(base);
      return v;
    }
  }
  if (HasProperty(rt_.global, name)) {
    if (where) *where = rt_.global;
    return GetMember(ActionValue::Object(rt_.global), name);
  }
  // _root, _global and _parent, unless a variable of that name hid them.
  if (!text.empty() && text[0] == '_') {
    if (SameName(text, "_root", caseSensitive_)) return ClipValue(root_);
    if (SameName(text, "_global", caseSensitive_)) return ActionValue::Object(rt_.global);
    if (SameName(text, "_parent", caseSensitive_)) {
      ActionTarget* parent = Base(f).Parent();
      return parent ? ClipValue(*parent) : ActionValue();
    }
  }
  hit = false;
  return ActionValue();
}

ActionValue Interpreter::LookupPath(Frame& f, const std::string& path) {
  if (path.find_first_of(":/") != std::string::npos) {
    ResolvedVariable resolved;
    if (ResolveVariable(root_, Base(f), path, caseSensitive_, resolved)) {
      bool found = false;
      return GetClipMember(*resolved.target, ClipOf(*resolved.target), ActionValue::String(resolved.name), found);
    }
    // Colons between the names of objects that are no timelines work as
    // dots do.
    if (path.find('/') != std::string::npos || path[0] == ':' || path.back() == ':') return ActionValue();
    std::string dotted = path;
    std::replace(dotted.begin(), dotted.end(), ':', '.');
    return LookupPath(f, dotted);
  }
  // A path of timelines, the last part a variable (which comes before a
  // child of that name): _root.menu.label.
  {
    ResolvedVariable resolved;
    const std::size_t dot = path.rfind('.');
    if (dot != std::string::npos && dot + 1 < path.size()) {
      ActionTarget* t = ResolveTarget(root_, Base(f), path.substr(0, dot), caseSensitive_);
      if (t != nullptr) {
        bool found = false;
        ActionValue v = GetClipMember(*t, ClipOf(*t), ActionValue::String(path.substr(dot + 1)), found);
        if (found || Abnormal()) return v;
      }
    }
  }
  // Else a dotted chain through values: flash.geom.Point, obj.member.
  std::size_t begin = 0;
  std::size_t dot = path.find('.');
  ActionValue value = LookupName(f, ActionValue::String(path.substr(0, dot)));
  while (dot != std::string::npos && !value.IsNullish()) {
    begin = dot + 1;
    dot = path.find('.', begin);
    const std::string segment = path.substr(begin, dot == std::string::npos ? dot : dot - begin);
    if (segment.empty()) return ActionValue();
    value = GetMember(value, ActionValue::String(segment));
    if (Abnormal()) return ActionValue();
  }
  return dot == std::string::npos ? value : ActionValue();
}

ActionValue Interpreter::GetVariable(Frame& f, const ActionValue& name) {
  if (!name.IsString()) return GetVariable(f, ActionValue::String(Text(name)));
  if (!name.StringRep()->HasPathMarks()) return LookupName(f, name);
  const std::string& text = name.StringValue();
  // A slash path is first a name as it is (SetVariable makes such names).
  if (text.find_first_of(":.") == std::string::npos) {
    bool found = false;
    ActionValue v = LookupName(f, name, &found);
    if (found || Abnormal()) return v;
  }
  return LookupPath(f, text);
}

void Interpreter::SetVariable(Frame& f, const ActionValue& nameValue, ActionValue value) {
  const ActionValue name = nameValue.IsString() ? nameValue : StringValue(Text(nameValue));
  if (!name.IsString()) return;
  const std::string& text = name.StringValue();
  // A name with slashes but neither colon nor dot names no variable of
  // another timeline: it is set as it is.
  if (name.StringRep()->HasPathMarks() && text.find_first_of(":.") != std::string::npos) {
    if (text.find_first_of(":/") != std::string::npos) {
      ResolvedVariable resolved;
      if (ResolveVariable(root_, Base(f), text, caseSensitive_, resolved)) {
        SetMember(ClipValue(*resolved.target), ActionValue::String(resolved.name), std::move(value));
        return;
      }
      // After a slash, a name with dots in it is one name: the variable of
      // the timeline before it may hold an object that is no timeline, and
      // the variable is set there ("clip/obj.name:x" sets x of obj.name).
      const std::size_t split = text.find_last_of(":.");
      const std::size_t slash = text.rfind('/', split);
      if (split == std::string::npos || slash == std::string::npos || split + 1 == text.size()) return;
      ActionTarget* t = ResolveTarget(root_, Base(f), slash == 0 ? "/" : text.substr(0, slash), caseSensitive_);
      if (t == nullptr) return;
      const ActionValue holderName = ActionValue::String(text.substr(slash + 1, split - slash - 1));
      const ActionValue holder = GetMember(ClipValue(*t), holderName);
      if (holder.IsObject() && !holder.IsClip()) {
        SetMember(holder, ActionValue::String(text.substr(split + 1)), std::move(value));
      }
      return;
    }
    const std::size_t dot = text.rfind('.');
    if (ActionTarget* t = ResolveTarget(root_, Base(f), text.substr(0, dot), caseSensitive_)) {
      SetMember(ClipValue(*t), ActionValue::String(text.substr(dot + 1)), std::move(value));
      return;
    }
    const ActionValue object = LookupPath(f, text.substr(0, dot));
    if (object.IsObject()) SetMember(object, ActionValue::String(text.substr(dot + 1)), std::move(value));
    return;
  }
  for (std::size_t i = f.withs.size(); i > 0; --i) {
    ScriptObject* o = f.withs[i - 1];
    if (HasProperty(o, name)) {
      SetMember(ActionValue::Object(o), name, std::move(value));
      return;
    }
  }
  if (f.isFunction && f.activation != nullptr && f.activation->Properties().FindEntry(*name.StringRep())) {
    AssignProperty(f.activation, ActionValue::Object(f.activation), name, std::move(value));
    return;
  }
  ScriptObject* last = nullptr;
  for (ScopeNode* node = f.outer; node != nullptr; node = node->Next()) {
    ScriptObject* o = node->Object();
    if (o == nullptr) continue;
    if (o->Kind() == ObjectKind::Clip) {
      ActionTarget* t = TargetOfObject(o);
      if (t == nullptr) continue;
      o = ClipOf(*t);
      last = o;
      TargetProperty property;
      if (PropertyByName(text, property) || o->Properties().FindEntry(*name.StringRep())) {
        SetMember(ActionValue::Object(o), name, std::move(value));
        return;
      }
      continue;
    }
    if (node->IsWith() ? HasProperty(o, name) : o->Properties().FindEntry(*name.StringRep()) != nullptr) {
      SetMember(ActionValue::Object(o), name, std::move(value));
      return;
    }
  }
  // A new variable goes to the timeline the code belongs to (the root's
  // when a tellTarget named nothing).
  ScriptObject* timeline = last ? last : ClipOf(Base(f));
  SetMember(ActionValue::Object(timeline), name, std::move(value));
}

ActionValue Interpreter::GetClipMember(ActionTarget& t, ClipObject* clip, const ActionValue& name, bool& found) {
  found = true;
  const std::string& text = name.StringValue();
  if (VariableStore::Entry* e = t.Variables().FindEntry(*name.StringRep())) {
    if (PropertyFlag::VisibleTo(e->flags, version_)) {
      if (e->Accessor()) return CallGetter(*e, ActionValue::Object(clip));
      return e->value;
    }
  }
  // The levels, which only a variable of the timeline hides: level 0 is
  // the movie, no other level holds one.
  int level = 0;
  if (!text.empty() && text[0] == '_' && LevelOfName(text, caseSensitive_, level)) {
    return level == 0 ? ClipValue(root_) : ActionValue();
  }
  if (ActionTarget* child = t.ChildByName(text, caseSensitive_)) return ClipValue(*child);
  if (!text.empty() && text[0] == '_') {
    TargetProperty property;
    if (PropertyByName(text, property)) return GetTargetProperty(t, property, version_);
    if (SameName(text, "_parent", caseSensitive_)) {
      return t.Parent() ? ClipValue(*t.Parent()) : ActionValue();
    }
    if (SameName(text, "_root", caseSensitive_)) return ClipValue(root_);
    if (SameName(text, "_global", caseSensitive_)) return ActionValue::Object(rt_.global);
    if (SameName(text, "__proto__", caseSensitive_)) return clip->ProtoValue();
  }
  ScriptObject* holder = nullptr;
  if (ScriptObject* proto = clip->Proto()) {
    if (VariableStore::Entry* e = FindProperty(proto, name, &holder)) {
      if (e->Accessor()) return CallGetter(*e, ActionValue::Object(clip), holder);
      return e->value;
    }
  }
  found = false;
  return ActionValue();
}

// An accessor property also keeps the last value assigned to it: a getter
// nested too deep reads that instead of calling again.
ActionValue Interpreter::CallGetter(const VariableStore::Entry& e, const ActionValue& thisValue, ScriptObject* home) {
  bool called = false;
  ActionValue v = CallAccessor(e, e.getter, thisValue, ArgList(), home, &called);
  return called ? v : e.value;
}

void Interpreter::CallSetter(const VariableStore::Entry& e, const ActionValue& thisValue, const ActionValue& value,
                             ScriptObject* home) {
  const ActionValue name = e.name;
  const std::uint32_t order = e.order;
  ScriptObject* holder = home != nullptr ? home : thisValue.ObjectValue();
  CallAccessor(e, e.setter, thisValue, ArgList(&value, 1), home);
  if (holder == nullptr || !name.IsString()) return;
  // The setter may have removed or replaced the property.
  VariableStore::Entry* now = holder->Properties().FindEntry(*name.StringRep());
  if (now != nullptr && now->order == order && now->Accessor()) now->value = value;
}

ActionValue Interpreter::CallAccessor(const VariableStore::Entry& e, ScriptObject* accessor,
                                      const ActionValue& thisValue, ArgList args, ScriptObject* home,
                                      bool* called) {
  if (accessor == nullptr) return ActionValue();
  // The property is known by its holder and the order of its definition
  // (the entry itself may move while the accessor runs).
  ScriptObject* holder = home != nullptr ? home : thisValue.ObjectValue();
  const std::uint32_t order = e.order;
  const ActionValue name = e.name;
  if (!EnterProperty(holder, order, name)) return ActionValue();
  if (called != nullptr) *called = true;
  ActionValue v = Call(ActionValue::Object(accessor), thisValue, args, home);
  LeaveProperty(holder, order, name);
  return v;
}

std::size_t Interpreter::FindActive(ScriptObject* holder, std::uint32_t order, const ActionValue& name) const {
  for (std::size_t i = 0; i < activeProperties_.size(); ++i) {
    const ActiveProperty& a = activeProperties_[i];
    if (a.holder != holder || a.order != order) continue;
    if (order != 0 || SameName(a.name.StringValue(), name.StringValue(), caseSensitive_)) return i;
  }
  return activeProperties_.size();
}

bool Interpreter::EnterProperty(ScriptObject* holder, std::uint32_t order, const ActionValue& name) {
  const std::size_t i = FindActive(holder, order, name);
  if (i < activeProperties_.size()) {
    if (activeProperties_[i].calls >= MaxAccessorDepth) return false;
    ++activeProperties_[i].calls;
    return true;
  }
  activeProperties_.push_back({holder, order, name, 1});
  return true;
}

void Interpreter::LeaveProperty(ScriptObject* holder, std::uint32_t order, const ActionValue& name) {
  const std::size_t i = FindActive(holder, order, name);
  if (i < activeProperties_.size() && --activeProperties_[i].calls == 0) {
    activeProperties_.erase(activeProperties_.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

// Most chains hold no accessor at all (built-in prototypes hold methods),
// and a check of a flag per object is much cheaper than a look-up of the
// name in each. A chain too deep answers true, so that FindProperty faults.
bool Interpreter::ChainMayHoldAccessors(ScriptObject* object) const {
  int depth = 0;
  for (ScriptObject* o = object; o != nullptr; o = o->Proto(), ++depth) {
    if (depth >= kMaxProtoDepth || o->Properties().MayHoldAccessors()) return true;
  }
  return false;
}

VariableStore::Entry* Interpreter::FindProperty(ScriptObject* object, const ActionValue& name, ScriptObject** holder) {
  // Nothing here runs code, so a text is looked up as it is, without a
  // copy of its own.
  if (!name.IsString()) return FindProperty(object, ActionValue::String(Text(name)), holder);
  const ScriptString& key = *name.StringRep();
  ScriptObject* o = object;
  for (int depth = 0; o != nullptr; ++depth) {
    if (depth >= kMaxProtoDepth) {
      Fault();
      return nullptr;
    }
    if (VariableStore::Entry* e = o->Properties().FindEntry(key)) {
      if (PropertyFlag::VisibleTo(e->flags, version_)) {
        if (holder) *holder = o;
        return e;
      }
    }
    o = o->Proto();
  }
  return nullptr;
}

bool Interpreter::GetOwn(ScriptObject* o, const ActionValue& thisValue, const ActionValue& name, ActionValue& out) {
  switch (o->Kind()) {
    case ObjectKind::Array: {
      auto* array = static_cast<ArrayObject*>(o->Core());
      if (array->shadowed) {
        const ActionValue key = name.IsString() ? name : ActionValue::String(Text(name));
        if (VariableStore::Entry* e = o->Properties().FindEntry(*key.StringRep())) {
          if (PropertyFlag::VisibleTo(e->flags, version_)) {
            out = e->Accessor() ? CallGetter(*e, thisValue) : e->value;
            return true;
          }
        }
      }
      std::uint32_t index = 0;
      if (ArrayIndexOf(name, index)) {
        if (index < array->elements.size()) {
          if (array->elements[index].order == 0) return false;
          out = array->elements[index].value;
          return true;
        }
        break;
      }
      if (IsLengthName(name, caseSensitive_)) {
        out = ActionValue::Number(array->length);
        return true;
      }
      break;
    }
    case ObjectKind::Clip: {
      ActionTarget* t = TargetOfObject(o);
      if (t == nullptr) return false;
      const ActionValue key = name.IsString() ? name : ActionValue::String(Text(name));
      bool found = false;
      ClipObject* clip = ClipOf(*t);
      // Only what the clip itself holds: variables, children, properties.
      if (VariableStore::Entry* e = t->Variables().FindEntry(*key.StringRep())) {
        if (PropertyFlag::VisibleTo(e->flags, version_)) {
          out = e->Accessor() ? CallGetter(*e, thisValue) : e->value;
          return true;
        }
      }
      if (ActionTarget* child = t->ChildByName(key.StringValue(), caseSensitive_)) {
        out = ClipValue(*child);
        return true;
      }
      TargetProperty property;
      if (PropertyByName(key.StringValue(), property)) {
        out = GetTargetProperty(*t, property, version_);
        return true;
      }
      if (SameText(key, "_parent", caseSensitive_)) {
        out = t->Parent() ? ClipValue(*t->Parent()) : ActionValue();
        return true;
      }
      if (SameText(key, "__proto__", caseSensitive_) && clip->HasProtoProperty()) {
        out = clip->ProtoValue();
        return true;
      }
      (void)found;
      return false;
    }
    case ObjectKind::String: {
      if (IsLengthName(name, caseSensitive_)) {
        const ActionValue& v = static_cast<PrimitiveObject*>(o->Core())->value;
        out = ActionValue::Number(v.IsString() ? static_cast<double>(Utf16Length(*v.StringRep())) : 0.0);
        return true;
      }
      break;
    }
    default:
      break;
  }
  // A text is looked up as it is, without a copy of its own.
  const ActionValue converted = name.IsString() ? ActionValue() : ActionValue::String(Text(name));
  const ActionValue& key = name.IsString() ? name : converted;
  const ScriptString& rep = *key.StringRep();
  if (rep.Hash(caseSensitive_) == ProtoHash(caseSensitive_) &&
      SameText(key, "__proto__", caseSensitive_)) {
    if (!o->HasProtoProperty()) return false;
    out = o->ProtoValue();
    return true;
  }
  VariableStore::Entry* e = o->Properties().FindEntry(rep);
  if (e == nullptr || !PropertyFlag::VisibleTo(e->flags, version_)) return false;
  out = e->Accessor() ? CallGetter(*e, thisValue) : e->value;
  return true;
}

ActionValue Interpreter::ResolveFallback(ScriptObject* object, const ActionValue& thisValue, const ActionValue& name) {
  // __resolve: called with the name of a property that is nowhere. The
  // first __resolve holding an object counts; properties with getters and
  // other values are passed over.
  ActionValue resolver;
  ScriptObject* o = object;
  for (int depth = 0; o != nullptr && depth < kMaxProtoDepth; ++depth, o = o->Proto()) {
    VariableStore::Entry* e = o->Properties().FindEntry(*rt_.names.resolve.StringRep());
    if (e == nullptr || !PropertyFlag::VisibleTo(e->flags, version_) || e->Accessor()) continue;
    if (e->value.Type() == ActionValueType::Object || e->value.Type() == ActionValueType::Function) {
      resolver = e->value;
      break;
    }
  }
  if (!resolver.IsFunction()) return ActionValue();
  const ActionValue key = name.IsString() ? name : ActionValue::String(Text(name));
  return Call(resolver, thisValue, ArgList(&key, 1));
}

ActionValue Interpreter::GetMember(const ActionValue& object, const char* name) {
  return GetMember(object, ActionValue::String(name));
}

ActionValue Interpreter::GetMember(const ActionValue& object, const ActionValue& name) {
  return LookUpMember(object, name, true);
}

ActionValue Interpreter::GetMemberUnresolved(const ActionValue& object, const ActionValue& name) {
  return LookUpMember(object, name, false);
}

ActionValue Interpreter::LookUpMember(const ActionValue& object, const ActionValue& name, bool resolve) {
  if (object.Type() == ActionValueType::Object) {
    // The two accesses most scripts make most: an own property of a plain
    // object, and an element of an array. Either answers as GetOwn would;
    // anything else takes the general path below.
    ScriptObject* o = object.ObjectValue();
    if (o->Kind() == ObjectKind::Plain && name.IsString() && !o->IsSuper()) {
      const VariableStore::Entry* e = o->Properties().FindEntry(*name.StringRep());
      if (e != nullptr && PropertyFlag::VisibleTo(e->flags, version_) && !IsProtoName(name, caseSensitive_)) {
        return e->Accessor() ? CallGetter(*e, object) : e->value;
      }
    } else if (o->Kind() == ObjectKind::Array && name.IsNumber()) {
      const auto* array = static_cast<const ArrayObject*>(o->Core());
      std::uint32_t index = 0;
      if (!array->shadowed && ArrayIndexOf(name, index) && index < array->elements.size() &&
          array->elements[index].order != 0) {
        return array->elements[index].value;
      }
    }
  }
  // Objects are never wrapped: they skip the call.
  ActionValue wrapper;
  if (!object.IsObject() && WrapPrimitive(object, wrapper)) {
    return wrapper.IsObject() ? LookUpMember(wrapper, name, resolve) : ActionValue();
  }
  ScriptObject* o = nullptr;
  switch (object.Type()) {
    case ActionValueType::Undefined:
    case ActionValueType::Null:
      return ActionValue();
    case ActionValueType::String:
      if (IsLengthName(name, caseSensitive_)) {
        return ActionValue::Number(static_cast<double>(Utf16Length(*object.StringRep())));
      }
      o = rt_.stringProto;
      break;
    case ActionValueType::Number:
      o = rt_.numberProto;
      break;
    case ActionValueType::Boolean:
      o = rt_.booleanProto;
      break;
    case ActionValueType::MovieClip: {
      ActionTarget* t = TargetOf(object);
      if (t == nullptr) return ActionValue();
      ClipObject* clip = ClipOf(*t);
      const ActionValue key = name.IsString() ? name : ActionValue::String(Text(name));
      bool found = false;
      ActionValue v = GetClipMember(*t, clip, key, found);
      if (found || Abnormal() || !resolve) return v;
      return ResolveFallback(clip, ActionValue::Object(clip), key);
    }
    default: {
      o = object.ObjectValue();
      if (auto* super = AsSuper(o)) {
        // super.x: x as the prototype above the method's finds it, on this.
        ScriptObject* start = super->Proto();
        if (start == nullptr || start->Kind() == ObjectKind::Clip) return ActionValue();
        const ActionValue key = name.IsString() ? name : ActionValue::String(Text(name));
        if (SameText(key, "__proto__", caseSensitive_)) return start->ProtoValue();
        ScriptObject* holder = nullptr;
        VariableStore::Entry* e = FindProperty(start, key, &holder);
        if (e == nullptr) return ActionValue();
        return e->Accessor() ? CallGetter(*e, super->thisValue, holder) : e->value;
      }
      ActionValue out;
      if (GetOwn(o, object, name, out)) return out;
      if (Abnormal()) return ActionValue();
      o = o->Proto();
      break;
    }
  }
  const ActionValue key = name.IsString() ? name : ActionValue::String(Text(name));
  if (o == nullptr) return ActionValue();
  ScriptObject* holder = nullptr;
  if (VariableStore::Entry* e = FindProperty(o, key, &holder)) {
    if (e->Accessor()) return CallGetter(*e, object, holder);
    return e->value;
  }
  if (object.IsObject() && resolve) return ResolveFallback(object.ObjectValue(), object, key);
  return ActionValue();
}

void Interpreter::SetMember(const ActionValue& object, const char* name, ActionValue value) {
  SetMember(object, ActionValue::String(name), std::move(value));
}

void Interpreter::SetMember(const ActionValue& object, const ActionValue& name, ActionValue value) {
  if (!object.IsObject()) return;  // primitives take no members
  ScriptObject* o = object.ObjectValue();
  ActionValue self = object;
  if (o->Kind() == ObjectKind::Clip) {
    ActionTarget* t = TargetOf(object);
    if (t == nullptr) return;
    o = ClipOf(*t);
    self = ActionValue::Object(o);
  }
  AssignProperty(o, self, name, std::move(value));
}

bool Interpreter::SetClipMember(ActionTarget& t, const ActionValue& name, const ActionValue& value) {
  TargetProperty property;
  if (!PropertyByName(name.StringValue(), property)) return false;
  ActionValue primitive = value;
  if (value.IsObject() && !value.IsClip() && property != TargetProperty::FocusRect) {
    const bool text = property == TargetProperty::Name || property == TargetProperty::Quality;
    primitive = text ? StringValue(Text(value)) : ActionValue::Number(Number(value));
  }
  SetTargetProperty(t, property, primitive, version_);
  return true;
}

void Interpreter::AssignProperty(ScriptObject* o, const ActionValue& thisValue, const ActionValue& nameValue,
                                 ActionValue value) {
  if (o->Kind() == ObjectKind::Array) {
    auto* array = static_cast<ArrayObject*>(o->Core());
    std::uint32_t index = 0;
    if (ArrayIndexOf(nameValue, index) && index < ArrayObject::MaxDense) {
      if (!o->Watchers()) {
        if (index < array->elements.size() && (array->elements[index].flags & PropertyFlag::ReadOnly)) return;
        ArraySet(array, index, std::move(value));
        return;
      }
    } else if (IsLengthName(nameValue, caseSensitive_)) {
      ArraySetLength(array, Number(value));
      return;
    }
  }
  const ActionValue name = nameValue.IsString() ? nameValue : StringValue(Text(nameValue));
  if (!name.IsString()) return;
  const ScriptString& rep = *name.StringRep();
  const bool isProto = rep.Hash(caseSensitive_) == ProtoHash(caseSensitive_) &&
                       SameText(name, "__proto__", caseSensitive_);
  if (o->Kind() == ObjectKind::Clip && !isProto) {
    ActionTarget* t = TargetOfObject(o);
    if (t != nullptr && !t->Variables().FindEntry(rep) && SetClipMember(*t, name, value)) return;
  }
  const ScriptObject::Watcher* w = o->Watchers() ? o->FindWatcher(name.StringValue()) : nullptr;
  // Assignments the watcher makes to the property call it again, up to the
  // depth accessors have (the property's getter and setter count along);
  // past it the value is stored as it is.
  std::uint32_t watchedOrder = 0;
  if (w != nullptr && !isProto) {
    if (const VariableStore::Entry* e = o->Properties().FindEntry(rep)) watchedOrder = e->order;
  }
  if (w != nullptr && EnterProperty(o, watchedOrder, name)) {
    // The watcher answers what is stored.
    const ActionValue callback = w->callback;
    const ActionValue userData = w->userData;
    ActionValue old;
    if (isProto) old = o->ProtoValue();
    else if (VariableStore::Entry* e = FindProperty(o, name, nullptr)) old = e->value;
    const ActionValue args[] = {name, old, value, userData};
    value = Call(callback, thisValue, ArgList(args, 4));
    LeaveProperty(o, watchedOrder, name);
    if (Abnormal()) {
      // A watcher that throws leaves the property undefined.
      if (!Throwing()) return;
      VariableStore::Entry* e = o->Properties().FindEntry(rep);
      if (e == nullptr) e = o->Properties().Define(name);
      if (e != nullptr && !e->Accessor() && !(e->flags & PropertyFlag::ReadOnly)) e->value = ActionValue();
      return;
    }
  }
  if (isProto) {
    o->SetProto(std::move(value));
    return;
  }
  if (VariableStore::Entry* e = o->Properties().FindEntry(rep)) {
    if (!PropertyFlag::VisibleTo(e->flags, version_)) {
      // A property this movie's version does not see is replaced.
      e->value = std::move(value);
      e->getter = e->setter = nullptr;
      e->flags = 0;
      return;
    }
    {
      if (e->Accessor()) {
        if (e->setter != nullptr) CallSetter(*e, thisValue, value, o);
        return;
      }
      if (e->flags & PropertyFlag::ReadOnly) return;
      e->value = std::move(value);
      return;
    }
  }
  // A setter further up the prototype chain takes the assignment.
  ScriptObject* holder = nullptr;
  ScriptObject* proto = o->Proto();
  if (proto != nullptr && ChainMayHoldAccessors(proto)) {
    if (VariableStore::Entry* e = FindProperty(proto, name, &holder)) {
      if (e->Accessor()) {
        if (e->setter != nullptr) CallSetter(*e, thisValue, value, holder);
        return;
      }
    }
  }
  // The own look-up above found nothing, and nothing since has run code.
  VariableStore::Entry* e = o->Properties().DefineAbsent(name);
  if (e == nullptr) return;  // the object is full: the assignment is dropped
  e->value = std::move(value);
  e->getter = e->setter = nullptr;
}

void Interpreter::DefineValue(ScriptObject* o, const ActionValue& name, ActionValue value, std::uint16_t flags) {
  if (o == nullptr) return;
  const ActionValue key = name.IsString() ? name : StringValue(Text(name));
  if (!key.IsString()) return;
  VariableStore::Entry* e = o->Properties().Define(key);
  if (e == nullptr) return;
  e->value = std::move(value);
  e->getter = e->setter = nullptr;
  if (flags) e->flags = flags;
}

bool Interpreter::DeleteMember(ScriptObject* o, const ActionValue& nameValue) {
  if (o->Kind() == ObjectKind::Clip) {
    ActionTarget* t = TargetOfObject(o);
    if (t == nullptr) return false;
    o = ClipOf(*t);
  }
  if (o->Kind() == ObjectKind::Array) {
    auto* array = static_cast<ArrayObject*>(o->Core());
    std::uint32_t index = 0;
    if (ArrayIndexOf(nameValue, index) && index < array->elements.size()) {
      if (array->elements[index].order == 0) return false;
      if (array->elements[index].flags & PropertyFlag::DontDelete) return false;
      array->elements[index] = ArrayObject::Element();
      return true;
    }
  }
  const ActionValue name = nameValue.IsString() ? nameValue : ActionValue::String(Text(nameValue));
  if (SameText(name, "__proto__", caseSensitive_)) {
    if (!o->HasProtoProperty() || (o->ProtoFlags() & PropertyFlag::DontDelete)) return false;
    o->RemoveProto();
    return true;
  }
  VariableStore::Entry* e = o->Properties().FindEntry(*name.StringRep());
  if (e == nullptr || (e->flags & PropertyFlag::DontDelete)) return false;
  return o->Properties().Remove(name.StringValue());
}

bool Interpreter::HasOwnProperty(ScriptObject* o, const ActionValue& nameValue) {
  if (o->Kind() == ObjectKind::Clip) {
    ActionTarget* t = TargetOfObject(o);
    if (t == nullptr) return false;
    o = ClipOf(*t);
  }
  if (o->Kind() == ObjectKind::Array) {
    auto* array = static_cast<ArrayObject*>(o->Core());
    std::uint32_t index = 0;
    if (ArrayIndexOf(nameValue, index) && index < array->elements.size()) {
      return array->elements[index].order != 0;
    }
  }
  const ActionValue name = nameValue.IsString() ? nameValue : ActionValue::String(Text(nameValue));
  if (SameText(name, "__proto__", caseSensitive_)) return o->HasProtoProperty();
  return o->Properties().FindEntry(*name.StringRep()) != nullptr;
}

bool Interpreter::HasProperty(ScriptObject* object, const ActionValue& nameValue) {
  const ActionValue name = nameValue.IsString() ? nameValue : ActionValue::String(Text(nameValue));
  ScriptObject* o = object;
  for (int depth = 0; o != nullptr && depth < kMaxProtoDepth; ++depth) {
    if (o->Kind() == ObjectKind::Clip) {
      ActionTarget* t = TargetOfObject(o);
      if (t == nullptr) return false;
      if (t->ChildByName(name.StringValue(), caseSensitive_)) return true;
      TargetProperty property;
      if (PropertyByName(name.StringValue(), property)) return true;
      o = ClipOf(*t);
    }
    if (o->Kind() == ObjectKind::Array && IsLengthName(name, caseSensitive_)) return true;
    if (HasOwnProperty(o, name)) return true;
    o = o->Proto();
  }
  return false;
}

std::vector<ActionValue> Interpreter::EnumerableNames(ScriptObject* object) {
  std::vector<ActionValue> names;
  std::unordered_set<std::string> seen;
  const auto key = [this](const std::string& s) { return caseSensitive_ ? s : AsciiLowerCase(s); };
  ScriptObject* o = object;
  for (int depth = 0; o != nullptr && depth < kMaxProtoDepth; ++depth) {
    std::vector<std::pair<std::uint32_t, ActionValue>> own;
    ActionTarget* target = nullptr;
    if (o->Kind() == ObjectKind::Clip) {
      target = TargetOfObject(o);
      if (target == nullptr) break;
      o = ClipOf(*target);
    }
    for (const VariableStore::Entry& e : o->Properties().Entries()) {
      if (!e.Live() || (e.flags & PropertyFlag::DontEnum)) continue;
      own.emplace_back(e.order, e.name);
    }
    if (o->Kind() == ObjectKind::Array) {
      auto* array = static_cast<ArrayObject*>(o->Core());
      for (std::size_t i = 0; i < array->elements.size(); ++i) {
        if (array->elements[i].order != 0 && !(array->elements[i].flags & PropertyFlag::DontEnum)) {
          own.emplace_back(array->elements[i].order, ActionValue::String(FormatNumber(static_cast<double>(i))));
        }
      }
    }
    std::sort(own.begin(), own.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (auto& entry : own) {
      if (seen.insert(key(entry.second.StringValue())).second) names.push_back(std::move(entry.second));
    }
    if (target != nullptr) {
      // Children with names are enumerated with the variables.
      std::vector<ActionValue> children;
      target->ForEachChild([&](ActionTarget& child) {
        const std::string name = child.Name();
        if (!name.empty()) children.push_back(ActionValue::String(name));
      });
      for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (seen.insert(key(it->StringValue())).second) names.push_back(*it);
      }
    }
    o = o->Proto();
  }
  return names;
}

double Interpreter::ArrayLength(ScriptObject* o) {
  if (o == nullptr) return 0;
  if (o->Kind() == ObjectKind::Array) return static_cast<ArrayObject*>(o->Core())->length;
  return Number(GetMember(ActionValue::Object(o), rt_.names.length));
}

ActionValue Interpreter::ArrayGet(ArrayObject* array, std::uint32_t index) {
  if (index < array->elements.size()) {
    const ArrayObject::Element& e = array->elements[index];
    if (e.order != 0) return e.value;
  }
  if (index < array->length || index >= array->elements.size()) {
    // Holes and elements past the dense part read through the prototypes.
    return GetMember(ActionValue::Object(array), ActionValue::Number(index));
  }
  return ActionValue();
}

void Interpreter::ArraySet(ArrayObject* array, std::uint32_t index, ActionValue value) {
  if (index >= ArrayObject::MaxDense) {
    DefineValue(array, ActionValue::String(FormatNumber(index)), std::move(value));
  } else {
    if (index >= array->elements.size()) {
      Work((index - array->elements.size()) / 64);
      array->elements.resize(static_cast<std::size_t>(index) + 1);
    }
    ArrayObject::Element& e = array->elements[index];
    if (e.order == 0) e.order = array->Properties().TakeOrder();
    e.value = std::move(value);
  }
  if (index + 1.0 > array->length) array->length = index + 1.0;
}

void Interpreter::ArraySetLength(ArrayObject* array, double length) {
  if (!(length >= 0) || std::isinf(length)) return;
  length = std::floor(length);
  if (length > ArrayObject::MaxLength) length = ArrayObject::MaxLength;
  if (length < array->elements.size()) array->elements.resize(static_cast<std::size_t>(length));
  array->length = length;
}

ArrayObject* Interpreter::NewArray(const std::vector<ActionValue>& values) {
  ArrayObject* array = rt_.NewArray();
  if (array == nullptr) {
    Fault();
    return nullptr;
  }
  array->elements.resize(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    array->elements[i].value = values[i];
    array->elements[i].order = array->Properties().TakeOrder();
  }
  array->length = static_cast<double>(values.size());
  return array;
}

namespace {

// A primitive made an object through the global constructor of its type,
// whatever a movie put there (it may be watching); nothing for the others.
ActionValue BoxThroughGlobal(Interpreter& vm, const ActionValue& v) {
  const char* name = v.IsString() ? "String" : v.IsNumber() ? "Number" : v.IsBoolean() ? "Boolean" : nullptr;
  if (name == nullptr) return ActionValue();
  const ActionValue constructor = vm.GetMember(ActionValue::Object(vm.Runtime().global), name);
  if (vm.Abnormal()) return ActionValue();
  return vm.Construct(constructor, ArgList(&v, 1));
}

}  // namespace

// The class and its prototype are read as they are stored: no getter is
// called and no version hides them. Primitives met on the way are made
// objects (which scripts can observe) but never match.
bool Interpreter::IsInstanceOf(const ActionValue& value, const ActionValue& constructor, bool cast) {
  if (!value.IsObject()) {
    if (cast) BoxThroughGlobal(*this, value);
    return false;
  }
  ScriptObject* cls = nullptr;
  if (constructor.IsClip()) {
    ActionTarget* t = TargetOf(constructor);
    cls = t ? ClipOf(*t) : nullptr;
  } else if (constructor.IsObject()) {
    cls = constructor.ObjectValue();
  } else {
    cls = BoxThroughGlobal(*this, constructor).ObjectValue();
  }
  if (cls == nullptr || Abnormal()) return false;
  ActionValue prototype;
  if (const VariableStore::Entry* e = cls->Properties().FindEntry(rt_.names.prototype.StringValue())) {
    prototype = e->value;
  }
  if (!prototype.IsObject()) {
    if (!prototype.IsNullish()) BoxThroughGlobal(*this, prototype);
    return false;
  }
  if (prototype.IsClip()) return false;
  ScriptObject* target = prototype.ObjectValue();
  ScriptObject* o = value.ObjectValue();
  if (o->Kind() == ObjectKind::Clip) {
    ActionTarget* t = TargetOf(value);
    if (t == nullptr) return false;
    o = ClipOf(*t);
  }
  std::vector<ScriptObject*> pending;
  for (ScriptObject* p = o->Proto(); p != nullptr; p = p->Proto()) {
    if (pending.size() > static_cast<std::size_t>(kMaxProtoDepth)) break;
    if (p == target) return true;
    pending.push_back(p);
  }
  // Interfaces of the prototypes, and theirs in turn.
  std::unordered_set<ScriptObject*> visited;
  while (!pending.empty() && visited.size() < 4096) {
    ScriptObject* p = pending.back();
    pending.pop_back();
    if (!visited.insert(p).second) continue;
    for (ScriptObject* i : p->Interfaces()) {
      const ActionValue ip = GetMember(ActionValue::Object(i), rt_.names.prototype);
      ScriptObject* iproto = ip.ObjectValue();
      if (iproto == nullptr) continue;
      if (iproto == target) return true;
      pending.push_back(iproto);
    }
  }
  return false;
}

}  // namespace Halvane::Movie::Interpreting
