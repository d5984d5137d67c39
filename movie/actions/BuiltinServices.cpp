// What a movie reaches of its host: flash.external.ExternalInterface (the
// host's external calls), SharedObject kept in memory only (the plug-ins
// keep no state on disk), and the loaders, which fail cleanly since the
// control loads nothing from the network.
#include "movie/actions/BuiltinSupport.h"
#include "movie/actions/ExternalCall.h"

namespace Halvane::Movie::Builtins {

namespace {

constexpr std::uint16_t kHidden = PropertyFlag::DontEnum | PropertyFlag::DontDelete;

ActionValue AddCallback(NativeCall& c) {
  ExternalCallbacks* callbacks = c.vm.Context().callbacks;
  if (callbacks == nullptr || c.Count() < 3 || !c.Arg(2).IsFunction()) return Bool(false);
  return Bool(callbacks->Register(ArgText(c, 0), c.Arg(2), c.Arg(1)));
}

// The host answers nothing to calls from the movie.
ActionValue ExternalCallMethod(NativeCall&) { return ActionValue::Null(); }

ActionValue Nothing(NativeCall&) { return ActionValue(); }
ActionValue False(NativeCall&) { return Bool(false); }

// --- SharedObject: one object per name for the movie's life, never written.

ActionValue GetLocal(NativeCall& c) {
  ScriptRuntime& rt = Rt(c);
  const std::string name = ArgText(c, 0) + "\n" + (c.Has(1) ? ArgText(c, 1) : std::string());
  auto it = rt.sharedObjects.find(name);
  if (it != rt.sharedObjects.end()) return Obj(it->second);
  if (rt.sharedObjects.size() >= ScriptRuntime::MaxSharedObjects) return ActionValue::Null();
  const ActionValue prototype = c.vm.GetMember(ActionValue::Object(c.callee ? c.callee : nullptr), "prototype");
  const ActionValue sharedClass = c.vm.GetMember(ActionValue::Object(rt.global), "SharedObject");
  ScriptObject* proto = c.vm.GetMember(sharedClass, rt.names.prototype).ObjectValue();
  (void)prototype;
  ScriptObject* shared = rt.NewObject(proto);
  if (shared == nullptr) return ActionValue::Null();
  ScriptObject* data = rt.NewObject();
  c.vm.DefineValue(shared, Str(c, "data"), Obj(data), PropertyFlag::DontDelete);
  rt.sharedObjects.emplace(name, shared);
  return Obj(shared);
}

ActionValue Flush(NativeCall&) { return Bool(true); }
ActionValue GetSize(NativeCall&) { return Num(0); }

ActionValue ClearShared(NativeCall& c) {
  if (ScriptObject* self = c.This()) {
    if (ScriptObject* data = c.vm.GetMember(c.thisValue, "data").ObjectValue()) data->Properties().Clear();
    (void)self;
  }
  return ActionValue();
}

// --- Loaders: LoadVars and the like answer that loading started, then
// report failure when asked (onLoad(false)) on the next frame.

ActionValue LoadVarsConstruct(NativeCall& c) { return Obj(NewNativeInstance(c, nullptr, nullptr)); }

ActionValue LoadVarsToString(NativeCall& c) {
  ScriptObject* self = c.This();
  if (self == nullptr) return ActionValue();
  std::string out;
  for (const ActionValue& name : c.vm.EnumerableNames(self)) {
    const ActionValue v = c.vm.GetMember(c.thisValue, name);
    if (v.IsFunction()) continue;
    if (!out.empty()) out += '&';
    out += EscapeText(name.StringValue()) + "=" + EscapeText(c.vm.Text(v));
  }
  return Str(c, out);
}

ActionValue Decode(NativeCall& c) {
  ScriptObject* self = c.This();
  if (self == nullptr) return ActionValue();
  const std::string text = ArgText(c, 0);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t amp = text.find('&', start);
    if (amp == std::string::npos) amp = text.size();
    const std::string pair = text.substr(start, amp - start);
    const std::size_t eq = pair.find('=');
    const std::string name = UnescapeText(pair.substr(0, eq));
    const std::string value = eq == std::string::npos ? std::string() : UnescapeText(pair.substr(eq + 1));
    if (!name.empty()) c.vm.SetMember(c.thisValue, Str(c, name), Str(c, value));
    start = amp + 1;
  }
  return ActionValue();
}

// ExternalInterface's own text helpers, which scripts call as well. Each
// takes its argument as text; without one, or for an empty text, it
// answers null.
template <class Transform>
ActionValue ExternalText(NativeCall& c, Transform transform) {
  if (c.Count() == 0) return ActionValue::Null();
  const std::string text = ArgText(c, 0);
  if (text.empty()) return ActionValue::Null();
  return Str(c, transform(text));
}

// _escapeXML: the five characters XML reserves, as entities; entities
// already in the text are escaped again.
ActionValue EscapeXmlMethod(NativeCall& c) { return ExternalText(c, EscapeMarkup); }

// _unescapeXML: only those five entities, spelled in lower case, in one
// pass from the left ("&amp;gt;" gives "&gt;"); anything else stays.
ActionValue UnescapeXmlMethod(NativeCall& c) {
  return ExternalText(c, [](const std::string& text) {
    static const struct {
      const char* entity;
      char ch;
    } kEntities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
      bool replaced = false;
      if (text[i] == '&') {
        for (const auto& e : kEntities) {
          if (text.compare(i, std::char_traits<char>::length(e.entity), e.entity) == 0) {
            out += e.ch;
            i += std::char_traits<char>::length(e.entity);
            replaced = true;
            break;
          }
        }
      }
      if (!replaced) out += text[i++];
    }
    return out;
  });
}

// _jsQuoteString: a backslash before each double quote, nothing else.
ActionValue JsQuoteMethod(NativeCall& c) {
  return ExternalText(c, [](const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
      if (ch == '"') out += '\\';
      out += ch;
    }
    return out;
  });
}

}  // namespace

void InstallServices(ScriptRuntime& rt) {
  ScriptObject* flash = rt.NewObject();
  rt.Value(rt.global, "flash", ActionValue::Object(flash), PropertyFlag::DontEnum | PropertyFlag::Version8);
  ScriptObject* external = rt.NewObject();
  rt.Value(flash, "external", ActionValue::Object(external));
  ScriptObject* externalInterface = rt.NewObject();
  rt.Value(external, "ExternalInterface", ActionValue::Object(externalInterface));
  rt.Method(externalInterface, "addCallback", AddCallback, 0, kHidden);
  rt.Method(externalInterface, "call", ExternalCallMethod, 0, kHidden);
  rt.Value(externalInterface, "available", ActionValue::Boolean(true), kHidden);
  rt.Value(externalInterface, "objectID", ActionValue::Null(), kHidden);
  rt.Method(externalInterface, "_escapeXML", EscapeXmlMethod, 0, kHidden);
  rt.Method(externalInterface, "_unescapeXML", UnescapeXmlMethod, 0, kHidden);
  rt.Method(externalInterface, "_jsQuoteString", JsQuoteMethod, 0, kHidden);

  ScriptObject* shared = rt.NewObject();
  FunctionObject* sharedClass = rt.Class("SharedObject", Nothing, nullptr, shared);
  rt.Method(sharedClass, "getLocal", GetLocal, 0, kHidden);
  rt.Method(sharedClass, "getRemote", GetLocal, 0, kHidden);
  rt.Method(sharedClass, "deleteAll", Nothing, 0, kHidden);
  rt.Method(sharedClass, "getDiskUsage", GetSize, 0, kHidden);
  rt.Method(shared, "flush", Flush, 0, kHidden);
  rt.Method(shared, "getSize", GetSize, 0, kHidden);
  rt.Method(shared, "clear", ClearShared, 0, kHidden);
  rt.Method(shared, "close", Nothing, 0, kHidden);
  rt.Method(shared, "connect", False, 0, kHidden);
  rt.Method(shared, "send", Nothing, 0, kHidden);
  rt.Method(shared, "setFps", False, 0, kHidden);

  ScriptObject* loadVars = rt.NewObject();
  rt.Class("LoadVars", LoadVarsConstruct, LoadVarsConstruct, loadVars);
  rt.Method(loadVars, "load", False, 0, kHidden);
  rt.Method(loadVars, "send", False, 0, kHidden);
  rt.Method(loadVars, "sendAndLoad", False, 0, kHidden);
  rt.Method(loadVars, "toString", LoadVarsToString, 0, kHidden);
  rt.Method(loadVars, "decode", Decode, 0, kHidden);
  rt.Method(loadVars, "getBytesLoaded", Nothing, 0, kHidden);
  rt.Method(loadVars, "getBytesTotal", Nothing, 0, kHidden);
  rt.Method(loadVars, "addRequestHeader", Nothing, 0, kHidden);
  rt.Value(loadVars, "contentType", ActionValue::String("application/x-www-form-urlencoded"), kHidden);
  rt.Value(loadVars, "loaded", ActionValue::Boolean(false), kHidden);
}

}  // namespace Halvane::Movie::Builtins
