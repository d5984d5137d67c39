// flash.net.FileReference and FileReferenceList: the control shows no file
// dialog and sends nothing, but a movie that asks for one gets the answers
// the player gives while its dialog is open: browse checks its file type
// filters, then opens "the" dialog once; it never closes, so no onSelect or
// onCancel ever arrives and later browse calls answer false.
#include "movie/actions/BuiltinGeometry.h"
#include "movie/actions/BuiltinSupport.h"

namespace Halvane::Movie::Builtins {

namespace {

constexpr std::uint16_t kHidden = PropertyFlag::DontEnum | PropertyFlag::DontDelete;
// More filters than any dialog shows: the rest are not looked at.
constexpr double kMaxFilters = 1024;

ActionValue Nothing(NativeCall&) { return ActionValue(); }
ActionValue False(NativeCall&) { return Bool(false); }

// An instance with the listener methods of AsBroadcaster and an empty list.
ActionValue FileConstruct(NativeCall& c) {
  // super() of a subclass sets this up and answers nothing.
  const bool upgrade = UpgradesThis(c);
  ScriptObject* o = upgrade ? c.This() : NewNativeInstance(c, nullptr, nullptr);
  if (o == nullptr) return ActionValue();
  const ActionValue broadcaster = c.vm.GetMember(Obj(Rt(c).global), "AsBroadcaster");
  const std::vector<ActionValue> args{Obj(o)};
  c.vm.CallMethod(broadcaster, "initialize", ArgList(args));
  return upgrade ? ActionValue() : Obj(o);
}

// One field of a filter, read only from the filter itself (a prototype's
// does not count). A getter that throws leaves the field missing; a value
// whose text conversion throws ends the browse call with that exception.
enum class Field { Missing, Present, Threw };

Field FilterField(NativeCall& c, const ActionValue& filter, const char* name, std::string& text) {
  ScriptObject* o = filter.ObjectValue();
  if (o == nullptr || o->Properties().FindEntry(name) == nullptr) return Field::Missing;
  const ActionValue v = c.vm.GetMember(filter, name);
  if (c.vm.Stopped()) return Field::Threw;
  if (c.vm.Throwing()) {
    c.vm.TakeThrown();
    return Field::Missing;
  }
  text = c.vm.Text(v);
  return c.vm.Abnormal() ? Field::Threw : Field::Present;
}

// Whether a list of filters is one the dialog accepts: an array of at least
// one object, each with a description and an extension that are not empty
// (macType, when there, is read as text too). thrown: a field's conversion
// threw, and the call ends with it.
bool FiltersAccepted(NativeCall& c, const ActionValue& filters, bool& thrown) {
  ScriptObject* list = filters.ObjectValue();
  if (list == nullptr || list->Kind() != ObjectKind::Array) return false;
  const double length = c.vm.ArrayLength(list);
  if (!(length >= 1)) return false;
  for (double i = 0; i < length && i < kMaxFilters; ++i) {
    const ActionValue filter = c.vm.GetMember(filters, Num(i));
    if (c.vm.Abnormal()) {
      thrown = true;
      return false;
    }
    if (!filter.IsObject()) return false;
    // Read in this order, each only when the one before did not throw.
    std::string texts[3];
    Field fields[3] = {};
    const char* const names[3] = {"description", "extension", "macType"};
    for (int f = 0; f < 3; ++f) {
      fields[f] = FilterField(c, filter, names[f], texts[f]);
      if (fields[f] == Field::Threw) {
        thrown = true;
        return false;
      }
    }
    if (fields[0] == Field::Missing || fields[1] == Field::Missing) return false;
    if (texts[0].empty() || texts[1].empty()) return false;
  }
  return true;
}

ActionValue Browse(NativeCall& c) {
  bool thrown = false;
  if (c.Count() > 0 && !FiltersAccepted(c, c.Arg(0), thrown)) return thrown ? ActionValue() : Bool(false);
  // One dialog for the whole movie, FileReference and FileReferenceList alike.
  ActionValue& open = Rt(c).keep["FileReference.dialog"];
  if (open.IsBoolean() && open.BooleanValue()) return Bool(false);
  open = Bool(true);
  return Bool(true);
}

}  // namespace

void InstallFileReference(ScriptRuntime& rt) {
  ScriptObject* net = FlashPackage(rt, "net");
  if (net == nullptr) return;

  ScriptObject* file = rt.NewObject();
  rt.Class("FileReference", FileConstruct, FileConstruct, file, net);
  rt.Method(file, "browse", Browse, 0, kHidden);
  rt.Method(file, "upload", False, 0, kHidden);
  rt.Method(file, "download", False, 0, kHidden);
  rt.Method(file, "cancel", Nothing, 0, kHidden);

  ScriptObject* list = rt.NewObject();
  rt.Class("FileReferenceList", FileConstruct, FileConstruct, list, net);
  rt.Method(list, "browse", Browse, 0, kHidden);
}

}  // namespace Halvane::Movie::Builtins
