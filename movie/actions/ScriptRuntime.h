// Everything of the action language that lives as long as the movie: the
// heap, the global object with the built-in classes, the prototypes the
// interpreter gives new objects, the classes registered for symbols, the
// timers of setInterval and setTimeout, and the in-memory shared objects.
//
// One per movie (the ActionContext owns it and makes it on the first run).
// Worker thread only.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "movie/actions/ActionBlock.h"
#include "movie/actions/ScriptHeap.h"
#include "movie/actions/ScriptObject.h"

namespace Halvane::Movie {

class ActionTarget;
struct ActionContext;

// Names the interpreter and the built-ins use over and over, made once.
struct CommonNames {
  ActionValue prototype, constructor, proto, length, toString, valueOf, callee, caller,
      arguments, constructorOfThis, resolve, listeners, thisName, super, booleanName, numberName, stringName;
};

// A timer of setInterval / setTimeout: what it calls, when, how often.
struct ScriptTimer {
  int id = 0;
  ActionValue function;    // called with thisObject undefined...
  ActionValue object;      // ...or the method name of object
  ActionValue method;
  std::vector<ActionValue> arguments;
  double interval = 0;     // milliseconds
  double due = 0;          // movie time of the next call
  bool once = false;       // setTimeout
};

// A handler the player calls once the actions running now are done (a
// button's onRollOver when the focus reaches it): object.method().
struct DeferredCall {
  ActionValue object;
  std::string method;
};

class ScriptRuntime {
 public:
  // Objects per run the heap may hold (see ScriptHeap::MaxCells); timers;
  // shared objects.
  static constexpr std::size_t MaxTimers = 1024;
  static constexpr std::size_t MaxSharedObjects = 256;
  static constexpr std::size_t MaxDeferredCalls = 1024;

  explicit ScriptRuntime(int swfVersion);
  ~ScriptRuntime();
  ScriptRuntime(const ScriptRuntime&) = delete;
  ScriptRuntime& operator=(const ScriptRuntime&) = delete;

  int Version() const { return version_; }
  bool CaseSensitive() const { return heap_.CaseSensitive(); }
  ScriptHeap& Heap() { return heap_; }

  // New objects with the built-in prototypes; null when the heap is full.
  ScriptObject* NewObject();
  ScriptObject* NewObject(ScriptObject* proto);
  ArrayObject* NewArray();
  FunctionObject* NewNative(NativeFunction call, int tag = 0, NativeFunction construct = nullptr);
  // A function object with its prototype object (constructor pointing back),
  // as DefineFunction makes one.
  FunctionObject* NewFunction();
  ScopeNode* NewScope(ScriptObject* object, ScopeNode* next, bool isWith = false);
  PrimitiveObject* NewPrimitive(ObjectKind kind, ActionValue value);

  // The script object of a target, made on first use with the prototype of
  // its kind (MovieClip.prototype or TextField.prototype).
  ClipObject* ClipOf(ActionTarget& target);

  // Defines a native method (or any value) on an object, with flags.
  FunctionObject* Method(ScriptObject* on, const char* name, NativeFunction call, int tag = 0,
                         std::uint16_t flags = PropertyFlag::DontEnum);
  void Value(ScriptObject* on, const char* name, ActionValue value,
             std::uint16_t flags = PropertyFlag::DontEnum);
  // A native getter/setter pair (setter may be null: read-only).
  void Accessor(ScriptObject* on, const char* name, NativeFunction get, NativeFunction set,
                int tag = 0, std::uint16_t flags = PropertyFlag::DontEnum);
  // A built-in class: constructor (native), its prototype (proto of the
  // prototype: Object.prototype unless given), set on the global object.
  FunctionObject* Class(const char* name, NativeFunction call, NativeFunction construct,
                        ScriptObject* prototype, ScriptObject* on = nullptr,
                        std::uint16_t flags = PropertyFlag::DontEnum);

  ScriptObject* global = nullptr;
  ScriptObject* objectProto = nullptr;
  ScriptObject* functionProto = nullptr;
  ScriptObject* arrayProto = nullptr;
  ScriptObject* stringProto = nullptr;
  ScriptObject* numberProto = nullptr;
  ScriptObject* booleanProto = nullptr;
  ScriptObject* dateProto = nullptr;
  ScriptObject* clipProto = nullptr;
  ScriptObject* textFieldProto = nullptr;
  ScriptObject* buttonProto = nullptr;
  ScriptObject* errorProto = nullptr;
  ScriptObject* xmlNodeProto = nullptr;
  ScriptObject* xmlProto = nullptr;
  FunctionObject* objectClass = nullptr;
  FunctionObject* functionClass = nullptr;
  FunctionObject* arrayClass = nullptr;
  // The classes that wrap primitives, as installed (see WrapPrimitive).
  FunctionObject* booleanClass = nullptr;
  FunctionObject* numberClass = nullptr;
  FunctionObject* stringClass = nullptr;
  // Where _global held Boolean, Number and String (in that order) when
  // WrapPrimitive last looked, good while the global store's layout is the
  // one recorded (VariableStore::Layout): a method called on a text looks
  // there at each call.
  struct GlobalEntry {
    std::uint64_t layout = 0;
    const VariableStore::Entry* entry = nullptr;
  };
  GlobalEntry wrapperEntries[3];
  CommonNames names;

  // Object.registerClass: symbol name to constructor.
  std::map<std::string, ActionValue> registeredClasses;
  // Timers in the order they were made.
  std::vector<ScriptTimer> timers;
  int nextTimerId = 1;
  // SharedObject.getLocal: one object per name, kept for the movie's life.
  std::map<std::string, ScriptObject*> sharedObjects;
  // Handlers waiting for the actions of the moment to end, oldest first;
  // at most MaxDeferredCalls (later ones are dropped).
  std::vector<DeferredCall> deferredCalls;
  void Defer(ActionValue object, std::string method) {
    if (deferredCalls.size() < MaxDeferredCalls) deferredCalls.push_back({std::move(object), std::move(method)});
  }
  // Values kept alive for the built-ins (listener lists of Key, Mouse,
  // Stage, ...), by name.
  std::map<std::string, ActionValue> keep;

  // The decoded blocks of the movie's frames and events.
  ActionBlockCache blocks;
  // The value stack of the last run, kept for the next: a stack is large
  // (see ActionContext::MaxStack) and runs are many and short.
  std::vector<ActionValue> spareStack;

  // The heap's size at which the next collection is worth its cost.
  std::size_t collectAt = 0;

  // Marks what the runtime holds (not the timelines).
  void MarkRoots(GcMarker& marker);

  // The one shared text of a name that the built-ins define or a constant
  // pool holds: a property table then matches a script's name against a
  // built-in's by pointer instead of by bytes. Past MaxNames names or
  // MaxNameBytes bytes a name gets a text of its own (it matches as any
  // other text does).
  static constexpr std::size_t MaxNames = 1u << 16;
  static constexpr std::size_t MaxNameBytes = 4u << 20;
  ActionValue Name(std::string_view text);

  // The one shared text of an ASCII character (c below 0x80): charAt and
  // the like answer one in loops, and a shared text costs no allocation.
  const ActionValue& Character(char c) {
    const ActionValue& text = characters_[static_cast<unsigned char>(c) & 0x7F];
    return text.IsString() ? text : MakeCharacter(c);
  }

 private:
  const ActionValue& MakeCharacter(char c);

  int version_;
  ScriptHeap heap_;
  // Keys view the texts of their values.
  std::unordered_map<std::string_view, ActionValue> names_;
  std::size_t nameBytes_ = 0;
  ActionValue characters_[128];
};

// Installs the built-in classes and functions on runtime.global.
void InstallBuiltins(ScriptRuntime& runtime);

}  // namespace Halvane::Movie
