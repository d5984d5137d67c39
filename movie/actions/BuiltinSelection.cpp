// Selection: the focus scripts give to a text field, a button or a movie
// clip, and the selection inside the focused field. No input ever moves the
// focus here; only setFocus does.
//
// A change of focus tells the object losing it (onKillFocus), the one
// gaining it (onSetFocus) and the listeners of Selection, in that order,
// before setFocus returns. Buttons and clips are also entered and left as
// the mouse would (onRollOver, onRollOut), once the running actions are done.
#include <algorithm>
#include <cmath>

#include "movie/actions/ActionPath.h"
#include "movie/actions/BuiltinSupport.h"
#include "movie/swf/Text.h"

namespace Halvane::Movie::Builtins {

namespace {

constexpr std::uint16_t kHidden = PropertyFlag::DontEnum | PropertyFlag::DontDelete;
const char* const kFocusKey = "Selection.focus";
// Set while the handlers of a change run: the field gaining the focus has
// no selection until they are done.
const char* const kSettlingKey = "Selection.settling";

ActionTarget* FocusedTarget(NativeCall& c) {
  const ActionValue focus = Rt(c).keep[kFocusKey];
  return focus.IsObject() ? c.vm.TargetOf(focus) : nullptr;
}

// The focused field with a selection to report, or null.
TextFieldData* FocusedField(NativeCall& c) {
  if (Rt(c).keep[kSettlingKey].IsBoolean()) return nullptr;
  ActionTarget* t = FocusedTarget(c);
  return t != nullptr ? t->TextField() : nullptr;
}

int TextLength(const TextFieldData& d) {
  return static_cast<int>(std::min<std::size_t>(Utf16Length(d.Text()), 0x7FFFFFFF));
}

// An index given by a script, inside 0..length.
int IndexInText(double v, int length) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(length)));
}

ActionValue GetFocus(NativeCall& c) {
  ActionTarget* t = FocusedTarget(c);
  return t != nullptr ? Str(c, DotTargetPath(*t)) : ActionValue::Null();
}

bool Focusable(NativeCall& c, ActionTarget& t, const ActionValue& value) {
  if (t.IsTextField() || t.IsButton()) return true;
  return c.vm.Truth(c.vm.GetMember(value, "focusEnabled"));
}

ActionValue SetFocus(NativeCall& c) {
  const ActionValue& arg = c.Arg(0);
  ActionTarget* next = nullptr;
  if (arg.IsString()) {
    next = ResolveTarget(c.vm.RootTarget(), c.vm.RootTarget(), c.vm.Text(arg), c.vm.CaseSensitive());
    if (next == nullptr) return Bool(false);
  } else if (!arg.IsNullish()) {
    next = c.vm.TargetOf(arg);
    if (next == nullptr) return Bool(false);
  }
  const ActionValue nextValue = next != nullptr ? c.vm.ClipValue(*next) : ActionValue::Null();
  if (next != nullptr && !Focusable(c, *next, nextValue)) return Bool(false);

  ScriptRuntime& rt = Rt(c);
  ActionTarget* previous = FocusedTarget(c);
  const ActionValue previousValue = previous != nullptr ? c.vm.ClipValue(*previous) : ActionValue::Null();
  const auto rolls = [](ActionTarget* t) { return t != nullptr && !t->IsTextField(); };
  // Focusing what has the focus enters it again: a field is selected anew,
  // a button or clip left and entered, and no one is told of a change.
  if (rolls(previous)) rt.Defer(previousValue, "onRollOut");
  if (rolls(next)) rt.Defer(nextValue, "onRollOver");
  if (next != previous) {
    rt.keep[kFocusKey] = nextValue;
    rt.keep[kSettlingKey] = Bool(true);
    if (previous != nullptr) c.vm.CallMethod(previousValue, "onKillFocus", ArgList(&nextValue, 1));
    if (next != nullptr && !c.vm.Abnormal()) c.vm.CallMethod(nextValue, "onSetFocus", ArgList(&previousValue, 1));
    if (!c.vm.Abnormal()) {
      const ActionValue message[] = {Str(c, "onSetFocus"), previousValue, nextValue};
      c.vm.CallMethod(rt.keep["Selection"], "broadcastMessage", ArgList(message, 3));
    }
    rt.keep.erase(kSettlingKey);
  }
  // A handler may have moved the focus on; only the field that keeps it is
  // selected.
  if (next != nullptr && FocusedTarget(c) == next) {
    if (TextFieldData* d = next->TextField()) {
      d->selectionAnchor = 0;
      d->caret = TextLength(*d);
    }
  }
  return Bool(true);
}

ActionValue GetBeginIndex(NativeCall& c) {
  const TextFieldData* d = FocusedField(c);
  return Num(d != nullptr ? d->SelectionBegin() : -1);
}

ActionValue GetEndIndex(NativeCall& c) {
  const TextFieldData* d = FocusedField(c);
  return Num(d != nullptr ? d->SelectionEnd() : -1);
}

ActionValue GetCaretIndex(NativeCall& c) {
  const TextFieldData* d = FocusedField(c);
  return Num(d != nullptr ? d->caret : -1);
}

// setSelection(begin, end): the selection starts at begin and its caret
// is at end; without end the caret stays where it was.
ActionValue SetSelection(NativeCall& c) {
  TextFieldData* d = FocusedField(c);
  if (d == nullptr || c.Count() == 0) return ActionValue();
  const int length = TextLength(*d);
  d->ClampSelection(length);
  d->selectionAnchor = IndexInText(ArgNumber(c, 0), length);
  if (c.Count() >= 2) d->caret = IndexInText(ArgNumber(c, 1), length);
  return ActionValue();
}

}  // namespace

void InstallSelection(ScriptRuntime& rt) {
  ScriptObject* selection = rt.NewObject();
  rt.Value(rt.global, "Selection", ActionValue::Object(selection));
  rt.keep["Selection"] = ActionValue::Object(selection);
  MakeBroadcaster(rt, selection);
  rt.Method(selection, "getFocus", GetFocus, 0, kHidden);
  rt.Method(selection, "setFocus", SetFocus, 0, kHidden);
  rt.Method(selection, "getBeginIndex", GetBeginIndex, 0, kHidden);
  rt.Method(selection, "getEndIndex", GetEndIndex, 0, kHidden);
  rt.Method(selection, "getCaretIndex", GetCaretIndex, 0, kHidden);
  rt.Method(selection, "setSelection", SetSelection, 0, kHidden);
}

}  // namespace Halvane::Movie::Builtins
