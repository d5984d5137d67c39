// The objects of the action language. Every object has named properties
// (a VariableStore), a prototype (its __proto__ property) and a kind; the
// kinds with state of their own are the subclasses below: functions,
// arrays, timelines (and other display objects), the wrappers of
// primitives, and the nodes of a function's scope chain.
//
// Objects live in the movie's ScriptHeap, which creates them, counts them
// against its caps and frees them by tracing from its roots; nothing else
// deletes one. Each class says in Trace what it refers to.
//
// Worker thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "movie/actions/ActionValue.h"
#include "movie/actions/VariableStore.h"

namespace Halvane::Movie {

class ActionBlock;
class ActionTarget;
class GcMarker;
class ScriptHeap;
class NativeCall;

// What the heap holds: anything it can trace and free.
class HeapCell {
 public:
  virtual ~HeapCell() = default;
  HeapCell(const HeapCell&) = delete;
  HeapCell& operator=(const HeapCell&) = delete;
  // Marks everything this cell refers to.
  virtual void Trace(GcMarker& marker) = 0;

 protected:
  HeapCell() = default;

 private:
  friend class ScriptHeap;
  friend class GcMarker;
  bool marked_ = false;
  // The bytes the heap's pool gave this cell; 0 for a cell made with new.
  std::uint32_t poolBytes_ = 0;
};

enum class ObjectKind : std::uint8_t {
  Plain,
  Function,
  Array,
  Clip,      // a timeline or a text field, through its ActionTarget
  Boolean,   // new Boolean(...)
  Number,    // new Number(...)
  String,    // new String(...)
  Date,
  Native,    // an instance of a built-in class with state of its own (NativeObject)
};

class ScriptObject : public HeapCell {
 public:
  ScriptObject(ObjectKind kind, bool caseSensitive)
      : kind_(kind), own_(caseSensitive), properties_(&own_) {}

  ObjectKind Kind() const { return kind_; }
  bool IsFunction() const { return kind_ == ObjectKind::Function; }

  VariableStore& Properties() { return *properties_; }
  // The store of this object's own properties (see UseProperties).
  VariableStore& OwnStore() { return own_; }
  const VariableStore& Properties() const { return *properties_; }

  // The __proto__ property, kept apart from the others because every
  // lookup that misses walks it. Deleting it leaves no prototype.
  const ActionValue& ProtoValue() const { return proto_; }
  ScriptObject* Proto() const { return proto_.ObjectValue(); }
  void SetProto(ActionValue proto) {
    proto_ = std::move(proto);
    hasProto_ = true;
  }
  void SetProto(ScriptObject* proto) { SetProto(ActionValue::Object(proto)); }
  bool HasProtoProperty() const { return hasProto_; }
  void RemoveProto() {
    proto_ = ActionValue();
    hasProto_ = false;
  }
  std::uint16_t ProtoFlags() const { return protoFlags_; }
  void SetProtoFlags(std::uint16_t flags) { protoFlags_ = flags; }

  // watch(): a function called with (name, old, new, userData) before a
  // property is assigned; what it answers is stored instead.
  struct Watcher {
    ActionValue name;
    ActionValue callback;
    ActionValue userData;
  };
  std::vector<Watcher>* Watchers() { return watchers_.get(); }
  void Watch(const ActionValue& name, ActionValue callback, ActionValue userData);
  bool Unwatch(const std::string& name);
  const Watcher* FindWatcher(const std::string& name) const;

  // Interfaces a class's prototype says it implements (ImplementsOp).
  std::vector<ScriptObject*>& Interfaces() { return interfaces_; }

  // A plain object that a built-in constructor called through super() made
  // into an instance of its own kind (an Array, a Number, ...) keeps that
  // state in its core: an object of the built-in's class that shares this
  // one's properties and is reached only through it. Code that casts by
  // Kind() casts Core(), which is the object itself for all others.
  ScriptObject* Core() { return core_ != nullptr ? core_ : this; }
  const ScriptObject* Core() const { return core_ != nullptr ? core_ : this; }
  // Gives a plain object the kind and state of core; false (and no change)
  // when this is not a plain object or core already belongs elsewhere.
  bool AdoptCore(ScriptObject* core);

  // Whether this is the super object of a method or constructor (the
  // interpreter's own kind of plain object, asked at every member access).
  bool IsSuper() const { return super_; }

  void Trace(GcMarker& marker) override;

 protected:
  // For objects whose properties live elsewhere (a timeline's variables).
  void UseProperties(VariableStore* store) { properties_ = store ? store : &own_; }
  void MarkSuper() { super_ = true; }

 private:
  ObjectKind kind_;
  bool hasProto_ = true;
  bool super_ = false;
  std::uint16_t protoFlags_ = PropertyFlag::DontEnum | PropertyFlag::DontDelete;
  VariableStore own_;
  VariableStore* properties_;
  ActionValue proto_;
  std::unique_ptr<std::vector<Watcher>> watchers_;
  std::vector<ScriptObject*> interfaces_;
  ScriptObject* core_ = nullptr;
  bool adopted_ = false;  // this is another object's core
};

// A node of a scope chain: the object that names resolve in (a function's
// activation, the object of a with, a timeline) and the rest of the chain.
// Functions keep the chain they were defined in.
class ScopeNode : public HeapCell {
 public:
  ScopeNode(ScriptObject* object, ScopeNode* next, bool isWith)
      : object_(object), next_(next), with_(isWith) {}
  ScriptObject* Object() const { return object_; }
  ScopeNode* Next() const { return next_; }
  bool IsWith() const { return with_; }
  void Trace(GcMarker& marker) override;

 private:
  ScriptObject* object_;
  ScopeNode* next_;
  bool with_;
};

// The definition of a function of the movie's bytecode, shared by every
// function object made from it (a closure defined in a loop shares one).
struct FunctionCode {
  std::string name;
  std::vector<ActionValue> parameters;  // names (strings)
  // DefineFunction2: the register each parameter goes to (0: none), the
  // register count and the flags word (preload/suppress this, arguments,
  // super, _root, _parent, _global).
  std::vector<std::uint8_t> parameterRegisters;
  bool secondForm = false;
  std::uint8_t registerCount = 0;
  std::uint16_t flags = 0;
  // The body: a range of the block that defined it, which every function
  // defined in that block shares.
  std::shared_ptr<ActionBlock> block;
  std::size_t begin = 0;
  std::size_t size = 0;
  // The constant pool in force where it was defined.
  std::shared_ptr<const std::vector<ActionValue>> pool;
};

// What a native function is given: the interpreter (through NativeCall),
// this, the arguments; it answers the call's value.
using NativeFunction = ActionValue (*)(NativeCall& call);

class FunctionObject : public ScriptObject {
 public:
  explicit FunctionObject(bool caseSensitive) : ScriptObject(ObjectKind::Function, caseSensitive) {}

  // A function of the movie's bytecode...
  std::shared_ptr<const FunctionCode> code;
  ScopeNode* scope = nullptr;        // the chain it was defined in (movies of version 6 on)
  ScriptObject* definer = nullptr;   // the timeline it was defined on (a clip object)
  // ... or a native one. construct, when set, is what new calls instead.
  NativeFunction native = nullptr;
  NativeFunction construct = nullptr;
  int tag = 0;  // tells apart natives that share one implementation

  void Trace(GcMarker& marker) override;
};

// An array: dense elements up to a cap, and the other properties in the
// store (indices past the dense part included, by their text).
class ArrayObject : public ScriptObject {
 public:
  static constexpr std::size_t MaxDense = 1u << 20;
  // The largest length a script may give an array.
  static constexpr double MaxLength = 4294967295.0;

  explicit ArrayObject(bool caseSensitive) : ScriptObject(ObjectKind::Array, caseSensitive) {}

  struct Element {
    ActionValue value;
    std::uint32_t order = 0;  // 0: a hole
    std::uint16_t flags = 0;  // PropertyFlag, as ASSetPropFlags set them
  };
  std::vector<Element> elements;
  double length = 0;
  // Set once addProperty defines a property on the array: member access
  // then looks at the properties before the elements and the length.
  bool shadowed = false;

  void Trace(GcMarker& marker) override;
};

// A display object as the language sees it: a timeline (typeof
// "movieclip") or a text field. While the object is on stage, target
// points to it and the properties are its variables; once it is gone the
// reference keeps the path it had when the reference was made (a rename
// does not change it), and the interpreter resolves that path
// again wherever the reference is used (a new instance of the same name
// answers for it, as movies expect).
class ClipObject : public ScriptObject {
 public:
  ClipObject(ActionTarget& target, bool caseSensitive);
  ~ClipObject() override;

  ActionTarget* Target() const { return target_; }
  const std::string& LastPath() const { return lastPath_; }
  // The target is going: let go of its variables (path: the one to keep
  // when none was known).
  void Detach(std::string path);

  void Trace(GcMarker& marker) override;

 private:
  ActionTarget* target_;
  std::string lastPath_;
};

// new Boolean, new Number, new String and Date: an object around one value.
class PrimitiveObject : public ScriptObject {
 public:
  PrimitiveObject(ObjectKind kind, bool caseSensitive, ActionValue value)
      : ScriptObject(kind, caseSensitive), value(std::move(value)) {}
  ActionValue value;
  void Trace(GcMarker& marker) override;
};

// An instance of a built-in class that keeps native state (XML nodes,
// sounds, colors, ...): the state is a subclass of NativeState, which
// traces what it refers to.
class NativeState {
 public:
  virtual ~NativeState() = default;
  virtual void Trace(GcMarker&) {}
};
class NativeObject : public ScriptObject {
 public:
  NativeObject(bool caseSensitive, std::unique_ptr<NativeState> state)
      : ScriptObject(ObjectKind::Native, caseSensitive), state(std::move(state)) {}
  std::unique_ptr<NativeState> state;
  template <class T>
  T* StateAs() {
    return dynamic_cast<T*>(state.get());
  }
  void Trace(GcMarker& marker) override;
};

}  // namespace Halvane::Movie
