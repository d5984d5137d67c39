// XMLNode and XML: a document tree of element and text nodes, parsed from
// and written back to text. Loading from a URL fails cleanly (the control
// loads nothing), reporting onLoad(false) when asked to load.
#include <algorithm>

#include "movie/actions/BuiltinSupport.h"
#include "movie/swf/Text.h"

namespace Halvane::Movie::Builtins {

namespace {

constexpr std::uint16_t kHidden = PropertyFlag::DontEnum | PropertyFlag::DontDelete;
constexpr int kElement = 1;
constexpr int kText = 3;
// Nesting of elements in parsed text, and of trees written back.
constexpr int kMaxDepth = 256;

class XmlNode : public NativeState {
 public:
  int type = kElement;
  ActionValue name;   // string or null
  ActionValue value;  // string or null
  NativeObject* parent = nullptr;
  std::vector<NativeObject*> children;
  ScriptObject* attributes = nullptr;
  // childNodes: one array per node, brought up to date whenever the
  // children change (what a script adds to it stays until then).
  ArrayObject* childArray = nullptr;
  void Trace(GcMarker& marker) override {
    marker.Mark(name);
    marker.Mark(value);
    marker.Mark(parent);
    for (NativeObject* child : children) marker.Mark(child);
    marker.Mark(attributes);
    marker.Mark(childArray);
  }
};

XmlNode* NodeOf(ScriptObject* o) {
  // Nodes are always native objects of their own (never a subclass
  // instance's core): the tree links them by those.
  if (o == nullptr || o->Core() != o || o->Kind() != ObjectKind::Native) return nullptr;
  return static_cast<NativeObject*>(o)->StateAs<XmlNode>();
}
XmlNode* ThisNode(NativeCall& c) { return NodeOf(c.This()); }

NativeObject* NewNode(NativeCall& c, ScriptObject* proto, int type, ActionValue name, ActionValue value) {
  ScriptRuntime& rt = Rt(c);
  auto state = std::make_unique<XmlNode>();
  state->type = type;
  state->name = std::move(name);
  state->value = std::move(value);
  state->attributes = rt.NewObject();
  NativeObject* node = rt.Heap().Make<NativeObject>(rt.CaseSensitive(), std::move(state));
  if (node == nullptr) {
    c.vm.Fault();
    return nullptr;
  }
  if (proto == nullptr) {
    // Nodes made by the parser or by createElement take what XMLNode.prototype
    // is now, so that a movie that replaces it sees its own methods on them.
    // Plain look-ups: the parser runs no script.
    const ActionValue* cls = rt.global->Properties().Find("XMLNode");
    const ActionValue* p = cls != nullptr && cls->IsObject() ? cls->ObjectValue()->Properties().Find("prototype")
                                                               : nullptr;
    proto = p != nullptr && p->IsObject() ? p->ObjectValue() : rt.xmlNodeProto;
  }
  node->SetProto(proto);
  return node;
}

void Sync(XmlNode* n) {
  if (n == nullptr || n->childArray == nullptr) return;
  ArrayObject* a = n->childArray;
  a->elements.assign(n->children.size(), ArrayObject::Element());
  for (std::size_t i = 0; i < n->children.size(); ++i) {
    a->elements[i].value = ActionValue::Object(n->children[i]);
    a->elements[i].order = a->Properties().TakeOrder();
  }
  a->length = static_cast<double>(n->children.size());
}

void Detach(NativeObject* node) {
  XmlNode* n = NodeOf(node);
  if (n == nullptr || n->parent == nullptr) return;
  XmlNode* p = NodeOf(n->parent);
  if (p != nullptr) {
    p->children.erase(std::remove(p->children.begin(), p->children.end(), node), p->children.end());
    Sync(p);
  }
  n->parent = nullptr;
}

bool IsAncestor(NativeObject* maybe, NativeObject* node) {
  for (NativeObject* p = node; p != nullptr; p = NodeOf(p)->parent) {
    if (p == maybe) return true;
  }
  return false;
}

std::string EscapeXml(const std::string& text) { return EscapeMarkup(text); }

std::string DecodeXml(const std::string& text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '&') {
      const std::size_t end = text.find(';', i);
      if (end != std::string::npos && end - i <= 10) {
        const std::string name = text.substr(i + 1, end - i - 1);
        std::string decoded;
        if (name == "amp") decoded = "&";
        else if (name == "lt") decoded = "<";
        else if (name == "gt") decoded = ">";
        else if (name == "quot") decoded = "\"";
        else if (name == "apos") decoded = "'";
        else if (name.size() > 1 && name[0] == '#') {
          const bool hex = name[1] == 'x' || name[1] == 'X';
          const double code = ParseIntPrefix(name.substr(hex ? 2 : 1), hex ? 16 : 10);
          if (code > 0 && code <= 0x10FFFF) AppendUtf8(decoded, static_cast<char32_t>(code));
        }
        if (!decoded.empty()) {
          out += decoded;
          i = end + 1;
          continue;
        }
      }
    }
    out += text[i++];
  }
  return out;
}

void Write(NativeCall& c, NativeObject* node, std::string& out, int depth) {
  XmlNode* n = NodeOf(node);
  if (n == nullptr || depth > kMaxDepth || out.size() > ActionContext::MaxStringLength) return;
  c.vm.Work(1);
  if (n->type == kText) {
    out += EscapeXml(c.vm.Text(n->value));
    return;
  }
  const bool named = n->name.IsString();
  if (named) {
    out += "<" + n->name.StringValue();
    if (n->attributes != nullptr) {
      std::vector<ActionValue> names = c.vm.EnumerableNames(n->attributes);
      std::reverse(names.begin(), names.end());
      for (const ActionValue& attribute : names) {
        out += " " + attribute.StringValue() + "=\"" +
               EscapeXml(c.vm.Text(c.vm.GetMember(ActionValue::Object(n->attributes), attribute))) + "\"";
      }
    }
    if (n->children.empty()) {
      out += " />";
      return;
    }
    out += ">";
  }
  for (NativeObject* child : n->children) Write(c, child, out, depth + 1);
  if (named) out += "</" + n->name.StringValue() + ">";
}

// Parses text into document's children; the status code of the parse (0
// when it went well, negative codes as the platform's player numbers them).
int Parse(NativeCall& c, NativeObject* document, const std::string& text, bool ignoreWhite) {
  XmlNode* doc = NodeOf(document);
  NativeObject* current = document;
  std::size_t i = 0;
  int depth = 0;
  const auto append = [&](NativeObject* child) {
    if (child == nullptr) return;
    NodeOf(child)->parent = current;
    NodeOf(current)->children.push_back(child);
    Sync(NodeOf(current));
  };
  while (i < text.size()) {
    if (c.vm.Abnormal()) return -9;
    c.vm.Work(1);
    if (text[i] != '<') {
      std::size_t end = text.find('<', i);
      if (end == std::string::npos) end = text.size();
      std::string raw = text.substr(i, end - i);
      i = end;
      bool blank = true;
      for (const char ch : raw) blank = blank && IsXmlSpace(ch);
      if (ignoreWhite && blank) continue;
      append(NewNode(c, nullptr, kText, ActionValue::Null(), Str(c, DecodeXml(raw))));
      continue;
    }
    if (text.compare(i, 4, "<!--") == 0) {
      const std::size_t end = text.find("-->", i + 4);
      if (end == std::string::npos) return -5;
      i = end + 3;
      continue;
    }
    if (text.compare(i, 9, "<![CDATA[") == 0) {
      const std::size_t end = text.find("]]>", i + 9);
      if (end == std::string::npos) return -2;
      append(NewNode(c, nullptr, kText, ActionValue::Null(), Str(c, text.substr(i + 9, end - i - 9))));
      i = end + 3;
      continue;
    }
    if (text.compare(i, 2, "<!") == 0) {
      const std::size_t end = text.find('>', i);
      if (end == std::string::npos) return -4;
      c.vm.SetMember(ActionValue::Object(document), "docTypeDecl", Str(c, text.substr(i, end - i + 1)));
      i = end + 1;
      continue;
    }
    if (text.compare(i, 2, "<?") == 0) {
      const std::size_t end = text.find("?>", i);
      if (end == std::string::npos) return -3;
      const ActionValue old = c.vm.GetMember(ActionValue::Object(document), "xmlDecl");
      const std::string decl = (old.IsString() ? old.StringValue() : std::string()) + text.substr(i, end - i + 2);
      c.vm.SetMember(ActionValue::Object(document), "xmlDecl", Str(c, decl));
      i = end + 2;
      continue;
    }
    if (text.compare(i, 2, "</") == 0) {
      const std::size_t end = text.find('>', i);
      if (end == std::string::npos) return -6;
      std::string name = text.substr(i + 2, end - i - 2);
      while (!name.empty() && IsXmlSpace(name.back())) name.pop_back();
      XmlNode* open = NodeOf(current);
      if (current == document || open->name.StringValue() != name) return -10;
      current = open->parent;
      --depth;
      i = end + 1;
      continue;
    }
    // An element: its name, attributes, and whether it closes itself.
    std::size_t p = i + 1;
    std::size_t nameEnd = p;
    while (nameEnd < text.size() && !IsXmlSpace(text[nameEnd]) && text[nameEnd] != '>' && text[nameEnd] != '/') {
      ++nameEnd;
    }
    if (nameEnd >= text.size()) return -6;
    NativeObject* element = NewNode(c, nullptr, kElement, Str(c, text.substr(p, nameEnd - p)), ActionValue::Null());
    if (element == nullptr) return -9;
    p = nameEnd;
    bool selfClosing = false;
    while (true) {
      while (p < text.size() && IsXmlSpace(text[p])) ++p;
      if (p >= text.size()) return -6;
      if (text[p] == '>') {
        ++p;
        break;
      }
      if (text[p] == '/') {
        if (p + 1 >= text.size() || text[p + 1] != '>') return -6;
        selfClosing = true;
        p += 2;
        break;
      }
      const std::size_t eq = text.find('=', p);
      if (eq == std::string::npos) return -8;
      std::string attribute = text.substr(p, eq - p);
      while (!attribute.empty() && IsXmlSpace(attribute.back())) attribute.pop_back();
      std::size_t q = eq + 1;
      while (q < text.size() && IsXmlSpace(text[q])) ++q;
      if (q >= text.size() || (text[q] != '"' && text[q] != '\'')) return -8;
      const char quote = text[q];
      const std::size_t close = text.find(quote, q + 1);
      if (close == std::string::npos) return -8;
      const ActionValue key = Str(c, attribute);
      XmlNode* e = NodeOf(element);
      if (!e->attributes->Properties().FindEntry(attribute)) {
        c.vm.SetMember(ActionValue::Object(e->attributes), key, Str(c, DecodeXml(text.substr(q + 1, close - q - 1))));
      }
      p = close + 1;
    }
    i = p;
    append(element);
    if (!selfClosing) {
      if (++depth > kMaxDepth) return -9;
      current = element;
    }
  }
  (void)doc;
  return current == document ? 0 : -9;
}

// --- XMLNode

ActionValue NodeConstruct(NativeCall& c) {
  const int type = c.Has(0) ? ArgInt(c, 0) : kElement;
  ActionValue name = ActionValue::Null();
  ActionValue value = ActionValue::Null();
  if (type == kText) value = Str(c, ArgText(c, 1));
  else if (c.Has(1)) name = Str(c, ArgText(c, 1));
  ScriptObject* proto = nullptr;
  if (c.callee != nullptr) proto = c.vm.GetMember(ActionValue::Object(c.callee), Rt(c).names.prototype).ObjectValue();
  return Obj(NewNode(c, proto, type, name, value));
}

enum NodeProperty {
  NodeType, NodeName, NodeValue, Attributes, ChildNodes, FirstChild, LastChild, NextSibling, PreviousSibling,
  ParentNode, Prefix, LocalName, NamespaceUri
};

ActionValue NodeGet(NativeCall& c) {
  XmlNode* n = ThisNode(c);
  if (n == nullptr) return ActionValue();
  const auto siblingAt = [&](int offset) -> ActionValue {
    XmlNode* p = NodeOf(n->parent);
    if (p == nullptr) return ActionValue::Null();
    const auto it = std::find(p->children.begin(), p->children.end(), c.This());
    if (it == p->children.end()) return ActionValue::Null();
    const std::ptrdiff_t index = (it - p->children.begin()) + offset;
    if (index < 0 || index >= static_cast<std::ptrdiff_t>(p->children.size())) return ActionValue::Null();
    return Obj(p->children[static_cast<std::size_t>(index)]);
  };
  const std::string name = n->name.IsString() ? n->name.StringValue() : std::string();
  const std::size_t colon = name.find(':');
  switch (c.Tag()) {
    case NodeType: return Num(n->type);
    case NodeName: return n->name;
    case NodeValue: return n->value;
    case Attributes: return Obj(n->attributes);
    case ChildNodes:
      if (n->childArray == nullptr) {
        n->childArray = c.vm.NewArray({});
        Sync(n);
      }
      return Obj(n->childArray);
    case FirstChild: return n->children.empty() ? ActionValue::Null() : Obj(n->children.front());
    case LastChild: return n->children.empty() ? ActionValue::Null() : Obj(n->children.back());
    case NextSibling: return siblingAt(1);
    case PreviousSibling: return siblingAt(-1);
    case ParentNode: return n->parent ? Obj(n->parent) : ActionValue::Null();
    case Prefix:
      if (!n->name.IsString()) return ActionValue::Null();
      return Str(c, colon == std::string::npos ? std::string() : name.substr(0, colon));
    case LocalName:
      if (!n->name.IsString()) return ActionValue::Null();
      return Str(c, colon == std::string::npos ? name : name.substr(colon + 1));
    case NamespaceUri: return n->name.IsString() ? Str(c, "") : ActionValue::Null();
    default: return ActionValue();
  }
}

ActionValue NodeSet(NativeCall& c) {
  XmlNode* n = ThisNode(c);
  if (n == nullptr) return ActionValue();
  // Undefined leaves a name or value as it is; null clears it.
  if (c.Arg(0).IsUndefined()) return ActionValue();
  switch (c.Tag()) {
    case NodeName: n->name = c.Arg(0).IsNull() ? ActionValue::Null() : Str(c, ArgText(c, 0)); break;
    case NodeValue: n->value = c.Arg(0).IsNull() ? ActionValue::Null() : Str(c, ArgText(c, 0)); break;
    case Attributes:
      if (ScriptObject* o = c.Arg(0).ObjectValue()) n->attributes = o;
      break;
    default: break;
  }
  return ActionValue();
}

ActionValue AppendChild(NativeCall& c) {
  auto* self = static_cast<NativeObject*>(c.This());
  ScriptObject* childObject = c.Arg(0).ObjectValue();
  XmlNode* child = NodeOf(childObject);
  // A node that has a parent must be removed from it first.
  if (ThisNode(c) == nullptr || child == nullptr || child->parent != nullptr ||
      IsAncestor(static_cast<NativeObject*>(childObject), self)) {
    return ActionValue();
  }
  auto* node = static_cast<NativeObject*>(childObject);
  child->parent = self;
  ThisNode(c)->children.push_back(node);
  Sync(ThisNode(c));
  return ActionValue();
}

ActionValue InsertBefore(NativeCall& c) {
  auto* self = static_cast<NativeObject*>(c.This());
  XmlNode* n = ThisNode(c);
  ScriptObject* childObject = c.Arg(0).ObjectValue();
  XmlNode* child = NodeOf(childObject);
  ScriptObject* before = c.Arg(1).ObjectValue();
  if (n == nullptr || child == nullptr || NodeOf(before) == nullptr || childObject == before) return ActionValue();
  auto* node = static_cast<NativeObject*>(childObject);
  if (child->parent != nullptr || IsAncestor(node, self)) return ActionValue();
  const auto at = std::find(n->children.begin(), n->children.end(), before);
  if (at == n->children.end()) return ActionValue();
  n->children.insert(at, node);
  child->parent = self;
  Sync(n);
  return ActionValue();
}

ActionValue RemoveNode(NativeCall& c) {
  if (ThisNode(c) != nullptr) Detach(static_cast<NativeObject*>(c.This()));
  return ActionValue();
}

ActionValue HasChildNodes(NativeCall& c) {
  XmlNode* n = ThisNode(c);
  return n ? Bool(!n->children.empty()) : ActionValue();
}

NativeObject* Clone(NativeCall& c, NativeObject* source, bool deep, int depth) {
  XmlNode* s = NodeOf(source);
  if (s == nullptr || depth > kMaxDepth) return nullptr;
  NativeObject* copy = NewNode(c, source->Proto(), s->type, s->name, s->value);
  if (copy == nullptr) return nullptr;
  XmlNode* n = NodeOf(copy);
  for (const ActionValue& name : c.vm.EnumerableNames(s->attributes)) {
    c.vm.SetMember(ActionValue::Object(n->attributes), name, c.vm.GetMember(ActionValue::Object(s->attributes), name));
  }
  if (deep) {
    for (NativeObject* child : s->children) {
      NativeObject* childCopy = Clone(c, child, true, depth + 1);
      if (childCopy == nullptr) continue;
      NodeOf(childCopy)->parent = copy;
      n->children.push_back(childCopy);
    }
    Sync(n);
  }
  return copy;
}

ActionValue CloneNode(NativeCall& c) {
  if (ThisNode(c) == nullptr) return ActionValue();
  return Obj(Clone(c, static_cast<NativeObject*>(c.This()), ArgTruth(c, 0), 0));
}

ActionValue NodeToString(NativeCall& c) {
  if (ThisNode(c) == nullptr) return Str(c, "[object Object]");
  std::string out;
  Write(c, static_cast<NativeObject*>(c.This()), out, 0);
  return Str(c, out);
}

ActionValue NodeNamespace(NativeCall&) { return ActionValue::Null(); }

// --- XML

ActionValue XmlConstruct(NativeCall& c) {
  ScriptObject* proto = Rt(c).xmlProto;
  if (c.callee != nullptr) {
    const ActionValue p = c.vm.GetMember(ActionValue::Object(c.callee), Rt(c).names.prototype);
    if (p.IsObject()) proto = p.ObjectValue();
  }
  NativeObject* document = NewNode(c, proto, kElement, ActionValue::Null(), ActionValue::Null());
  if (document == nullptr) return ActionValue();
  if (c.Has(0) && !c.Arg(0).IsNullish()) {
    const ActionValue ignore = c.vm.GetMember(ActionValue::Object(document), "ignoreWhite");
    c.vm.SetMember(ActionValue::Object(document), "status",
                   Num(Parse(c, document, ArgText(c, 0), c.vm.Truth(ignore))));
  }
  return Obj(document);
}

ActionValue ParseXml(NativeCall& c) {
  XmlNode* n = ThisNode(c);
  if (n == nullptr) return ActionValue();
  for (NativeObject* child : n->children) NodeOf(child)->parent = nullptr;
  n->children.clear();
  Sync(n);
  const ActionValue ignore = c.vm.GetMember(c.thisValue, "ignoreWhite");
  c.vm.SetMember(c.thisValue, "status",
                 Num(Parse(c, static_cast<NativeObject*>(c.This()), ArgText(c, 0), c.vm.Truth(ignore))));
  return ActionValue();
}

ActionValue CreateElement(NativeCall& c) {
  return Obj(NewNode(c, nullptr, kElement, Str(c, ArgText(c, 0)), ActionValue::Null()));
}

ActionValue CreateTextNode(NativeCall& c) {
  return Obj(NewNode(c, nullptr, kText, ActionValue::Null(), Str(c, ArgText(c, 0))));
}

// load and sendAndLoad: the request is taken (true for any address at
// all), but nothing can arrive. A request under way counts its bytes in
// _bytesLoaded from 0; the total stays unknown until the first bytes would
// have told it.
ActionValue Load(NativeCall& c) {
  c.vm.SetMember(c.thisValue, "loaded", Bool(false));
  c.vm.SetMember(c.thisValue, "_bytesLoaded", Num(0));
  return Bool(c.Has(0) && !c.Arg(0).IsNullish());
}

ActionValue Send(NativeCall& c) {
  c.vm.SetMember(c.thisValue, "loaded", Bool(false));
  return Bool(false);
}

// The byte counts are the object's own fields, so a script that sets or
// deletes them changes what these answer.
ActionValue GetBytesLoaded(NativeCall& c) { return c.vm.GetMember(c.thisValue, "_bytesLoaded"); }
ActionValue GetBytesTotal(NativeCall& c) { return c.vm.GetMember(c.thisValue, "_bytesTotal"); }

ActionValue OnData(NativeCall& c) {
  if (c.Arg(0).IsUndefined()) {
    const ActionValue no = Bool(false);
    c.vm.CallMethod(c.thisValue, "onLoad", ArgList(&no, 1));
  } else {
    c.vm.CallMethod(c.thisValue, "parseXML", ArgList(&c.Arg(0), 1));
    c.vm.SetMember(c.thisValue, "loaded", Bool(true));
    const ActionValue yes = Bool(true);
    c.vm.CallMethod(c.thisValue, "onLoad", ArgList(&yes, 1));
  }
  return ActionValue();
}

ActionValue Nothing(NativeCall&) { return ActionValue(); }

}  // namespace

void InstallXml(ScriptRuntime& rt) {
  rt.xmlNodeProto = rt.NewObject();
  rt.Class("XMLNode", NodeConstruct, NodeConstruct, rt.xmlNodeProto);
  ScriptObject* np = rt.xmlNodeProto;
  const struct {
    const char* name;
    int tag;
    bool writable;
  } properties[] = {{"nodeType", NodeType, false},
                    {"nodeName", NodeName, true},
                    {"nodeValue", NodeValue, true},
                    {"attributes", Attributes, true},
                    {"childNodes", ChildNodes, false},
                    {"firstChild", FirstChild, false},
                    {"lastChild", LastChild, false},
                    {"nextSibling", NextSibling, false},
                    {"previousSibling", PreviousSibling, false},
                    {"parentNode", ParentNode, false},
                    {"prefix", Prefix, false},
                    {"localName", LocalName, false},
                    {"namespaceURI", NamespaceUri, false}};
  for (const auto& p : properties) rt.Accessor(np, p.name, NodeGet, p.writable ? NodeSet : nullptr, p.tag, kHidden);
  rt.Method(np, "appendChild", AppendChild, 0, kHidden);
  rt.Method(np, "insertBefore", InsertBefore, 0, kHidden);
  rt.Method(np, "removeNode", RemoveNode, 0, kHidden);
  rt.Method(np, "hasChildNodes", HasChildNodes, 0, kHidden);
  rt.Method(np, "cloneNode", CloneNode, 0, kHidden);
  rt.Method(np, "toString", NodeToString, 0, kHidden);
  rt.Method(np, "getNamespaceForPrefix", NodeNamespace, 0, kHidden);
  rt.Method(np, "getPrefixForNamespace", NodeNamespace, 0, kHidden);

  rt.xmlProto = rt.NewObject(rt.xmlNodeProto);
  rt.Class("XML", XmlConstruct, XmlConstruct, rt.xmlProto);
  ScriptObject* xp = rt.xmlProto;
  rt.Method(xp, "parseXML", ParseXml, 0, kHidden);
  rt.Method(xp, "createElement", CreateElement, 0, kHidden);
  rt.Method(xp, "createTextNode", CreateTextNode, 0, kHidden);
  rt.Method(xp, "load", Load, 0, kHidden);
  rt.Method(xp, "sendAndLoad", Load, 0, kHidden);
  rt.Method(xp, "send", Send, 0, kHidden);
  rt.Method(xp, "onData", OnData, 0, kHidden);
  rt.Method(xp, "addRequestHeader", Nothing, 0, kHidden);
  rt.Method(xp, "getBytesLoaded", GetBytesLoaded, 0, kHidden);
  rt.Method(xp, "getBytesTotal", GetBytesTotal, 0, kHidden);
  rt.Value(xp, "contentType", ActionValue::String("application/x-www-form-urlencoded"), kHidden);
  rt.Value(xp, "ignoreWhite", ActionValue::Boolean(false), kHidden);
  rt.Value(xp, "loaded", ActionValue(), kHidden);
  rt.Value(xp, "status", ActionValue::Number(0), kHidden);
  rt.Value(xp, "xmlDecl", ActionValue(), kHidden);
  rt.Value(xp, "docTypeDecl", ActionValue(), kHidden);
}

}  // namespace Halvane::Movie::Builtins
