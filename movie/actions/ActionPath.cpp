#include "movie/actions/ActionPath.h"

#include "movie/actions/ScriptObject.h"
#include "movie/swf/Text.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Halvane::Movie {

namespace {

// A timeline tree deeper than this is treated as broken (a cycle), so path
// building always ends.
constexpr int MaxTreeDepth = 4096;


// A target path: names separated by "/", ":" or "." ("." not after a "/",
// where it belongs to names); a leading "/" is the root, ".." the parent,
// _root, _level0, _parent and this as in the language. One trailing "/" or
// ":" is allowed; empty names are not.
ActionTarget* ResolveTargetImpl(ActionTarget& root, ActionTarget& current, const std::string& path,
                                bool caseSensitive, bool allowVariables, bool allowThis = true) {
  if (path.empty()) return &current;
  ActionTarget* target = &current;
  const std::size_t n = path.size();
  std::size_t i = 0;
  bool slash = false;
  if (path[0] == '/') {
    target = &root;
    i = 1;
    slash = true;
  }
  while (i < n && path[i] == ':') ++i;  // leading colons are nothing
  while (i < n) {
    if (path.compare(i, 2, "..") == 0 && (i + 2 == n || path[i + 2] == '/' || path[i + 2] == ':')) {
      target = target->Parent();
      i += 2;
    } else {
      std::size_t j = i;
      while (j < n && path[j] != '/' && path[j] != ':' && (slash || path[j] != '.')) ++j;
      if (j == i) return nullptr;
      const std::string segment = path.substr(i, j - i);
      i = j;
      int level = 0;
      if (SameName(segment, "_root", caseSensitive)) {
        target = &root;
      } else if (LevelOfName(segment, caseSensitive, level)) {
        // Only the first level holds a movie.
        if (level != 0) return nullptr;
        target = &root;
      } else if (SameName(segment, "_parent", caseSensitive)) {
        target = target->Parent();
      } else if (allowThis && SameName(segment, "this", caseSensitive)) {
        // stays
      } else {
        ActionTarget* child = target->ChildByName(segment, caseSensitive);
        if (!child && allowVariables) {
          // A variable holding a timeline reference stands for that timeline.
          const ActionValue* value = target->Variables().Find(segment);
          if (value && value->IsClip()) {
            const auto* clip = static_cast<const ClipObject*>(value->ObjectValue());
            child = clip->Target() ? clip->Target()
                                   : ResolveTargetImpl(root, root, clip->LastPath(), caseSensitive, false);
          }
        }
        target = child;
      }
    }
    if (!target) return nullptr;
    if (i == n) break;
    if (path[i] == '/') slash = true;
    const char separator = path[i++];
    if (i == n && separator == '.') return nullptr;
    // Colons after a separator are part of it, unless they end the path.
    std::size_t colons = 0;
    while (i < n && path[i] == ':') ++i, ++colons;
    if (i == n && colons > 0 && separator == ':') return nullptr;
  }
  return target;
}

struct PropertyName {
  const char* name;
  TargetProperty property;
};

const PropertyName propertyNames[] = {
    {"_x", TargetProperty::X},
    {"_y", TargetProperty::Y},
    {"_xscale", TargetProperty::XScale},
    {"_yscale", TargetProperty::YScale},
    {"_currentframe", TargetProperty::CurrentFrame},
    {"_totalframes", TargetProperty::TotalFrames},
    {"_alpha", TargetProperty::Alpha},
    {"_visible", TargetProperty::Visible},
    {"_width", TargetProperty::Width},
    {"_height", TargetProperty::Height},
    {"_rotation", TargetProperty::Rotation},
    {"_target", TargetProperty::Target},
    {"_framesloaded", TargetProperty::FramesLoaded},
    {"_name", TargetProperty::Name},
    {"_droptarget", TargetProperty::DropTarget},
    {"_url", TargetProperty::Url},
    {"_highquality", TargetProperty::HighQuality},
    {"_focusrect", TargetProperty::FocusRect},
    {"_soundbuftime", TargetProperty::SoundBufTime},
    {"_quality", TargetProperty::Quality},
    {"_xmouse", TargetProperty::XMouse},
    {"_ymouse", TargetProperty::YMouse},
};

std::vector<std::string> NamesToRoot(ActionTarget& target) {
  std::vector<std::string> names;
  ActionTarget* t = &target;
  for (int depth = 0; t && t->Parent() && depth < MaxTreeDepth; ++depth) {
    names.push_back(t->Name());
    t = t->Parent();
  }
  return names;
}

}  // namespace

ActionTarget* ResolveTarget(ActionTarget& root, ActionTarget& current, const std::string& path,
                            bool caseSensitive) {
  return ResolveTargetImpl(root, current, path, caseSensitive, true);
}

ActionTarget* ResolveTellTarget(ActionTarget& root, ActionTarget& current, const std::string& path,
                                bool caseSensitive) {
  return ResolveTargetImpl(root, current, path, caseSensitive, true, false);
}

bool ResolveVariable(ActionTarget& root, ActionTarget& current, const std::string& path,
                     bool caseSensitive, ResolvedVariable& result) {
  // The variable follows the last ":" or ".", or else the last "/".
  std::size_t split = path.find_last_of(":.");
  if (split == std::string::npos) split = path.rfind('/');
  if (split == std::string::npos) {
    if (path.empty()) return false;
    result.target = &current;
    result.name = path;
    return true;
  }
  std::string targetPart = path.substr(0, split);
  const std::string name = path.substr(split + 1);
  if (name.empty()) return false;
  if (targetPart.empty() && path[split] == '/') targetPart = "/";
  ActionTarget* target = ResolveTarget(root, current, targetPart, caseSensitive);
  if (!target) return false;
  result.target = target;
  result.name = name;
  return true;
}

std::string SlashTargetPath(ActionTarget& target) {
  const std::vector<std::string> names = NamesToRoot(target);
  if (names.empty()) return "/";
  std::string path;
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    path += '/';
    path += *it;
  }
  return path;
}

bool LevelOfName(const std::string& name, bool caseSensitive, int& level) {
  if (name.size() < 6) return false;
  const std::string prefix = name.substr(0, 6);
  if (!SameName(prefix, "_level", caseSensitive) && !SameName(prefix, "_flash", caseSensitive)) return false;
  // The digits make a 32-bit number that wraps around; none is level 0,
  // but something else right after the prefix makes no level.
  if (name.size() > 6 && (name[6] < '0' || name[6] > '9')) return false;
  std::uint32_t number = 0;
  for (std::size_t i = 6; i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i) {
    number = number * 10u + static_cast<std::uint32_t>(name[i] - '0');
  }
  level = static_cast<std::int32_t>(number);
  return true;
}

std::string DotTargetPath(ActionTarget& target) {
  const std::vector<std::string> names = NamesToRoot(target);
  std::string path = "_level0";
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    path += '.';
    path += *it;
  }
  return path;
}

bool PropertyByName(const std::string& name, TargetProperty& property) {
  if (name.empty() || name[0] != '_') return false;
  for (const auto& entry : propertyNames) {
    if (SameName(name, entry.name, false)) {
      property = entry.property;
      return true;
    }
  }
  return false;
}

namespace {

const char* const kQualityNames[] = {"LOW", "MEDIUM", "HIGH", "BEST"};

}  // namespace

ActionValue GetTargetProperty(ActionTarget& target, TargetProperty property, int swfVersion) {
  switch (property) {
    case TargetProperty::CurrentFrame:
      return ActionValue::Number(target.CurrentFrame() + 1.0);
    case TargetProperty::TotalFrames:
      return ActionValue::Number(target.LoadedContent() == ActionTarget::Content::Own ? target.TotalFrames() : 0);
    case TargetProperty::FramesLoaded:
      switch (target.LoadedContent()) {
        case ActionTarget::Content::FailedLoad: return ActionValue::Number(-1);
        case ActionTarget::Content::Unloaded: return ActionValue::Number(0);
        default: return ActionValue::Number(target.FramesLoaded());
      }
    case TargetProperty::Name:
      return ActionValue::String(target.Name());
    case TargetProperty::Target:
      return ActionValue::String(SlashTargetPath(target));
    case TargetProperty::DropTarget:
      return ActionValue::String("");
    case TargetProperty::Url:
      return ActionValue::String(target.LoadedUrl());
    case TargetProperty::Quality: {
      const double quality = target.Root()->GetDisplayProperty(property);
      return ActionValue::String(kQualityNames[quality >= 0 && quality <= 3 ? static_cast<int>(quality) : 2]);
    }
    case TargetProperty::HighQuality:
    case TargetProperty::SoundBufTime:
      return ActionValue::Number(target.Root()->GetDisplayProperty(property));
    case TargetProperty::FocusRect: {
      const bool on = target.Root()->GetDisplayProperty(property) != 0.0;
      return swfVersion >= 6 ? ActionValue::Boolean(on) : ActionValue::Number(on ? 1 : 0);
    }
    case TargetProperty::Visible: {
      const bool visible = target.GetDisplayProperty(property) != 0.0;
      return swfVersion >= 5 ? ActionValue::Boolean(visible) : ActionValue::Number(visible ? 1 : 0);
    }
    default:
      return ActionValue::Number(target.GetDisplayProperty(property));
  }
}

void SetTargetProperty(ActionTarget& target, TargetProperty property, const ActionValue& value,
                       int swfVersion) {
  switch (property) {
    case TargetProperty::Name:
      target.SetName(value.IsUndefined() ? std::string() : value.ToString(swfVersion));
      return;
    case TargetProperty::CurrentFrame:
    case TargetProperty::TotalFrames:
    case TargetProperty::FramesLoaded:
    case TargetProperty::Target:
    case TargetProperty::DropTarget:
    case TargetProperty::Url:
    case TargetProperty::XMouse:
    case TargetProperty::YMouse:
      return;
    case TargetProperty::Quality: {
      // Only the four names the player knows change the quality.
      const std::string name = value.ToString(swfVersion);
      for (int i = 0; i < 4; ++i) {
        if (SameName(name, kQualityNames[i], false)) target.Root()->SetDisplayProperty(property, i);
      }
      return;
    }
    default:
      break;
  }
  // Nothing that reads as no number (null, undefined and empty text
  // included) changes a property; an object that reaches here (the focus rectangle takes
  // objects unconverted) turns it off.
  const bool noNumber = value.IsNullish() || (value.IsString() && value.StringValue().empty());
  double number = noNumber ? std::nan("") : value.IsObject() ? 0.0 : value.ToNumber(swfVersion);
  if (std::isnan(number)) return;
  switch (property) {
    case TargetProperty::Visible:
      number = number != 0 ? 1.0 : 0.0;
      break;
    case TargetProperty::X:
    case TargetProperty::Y:
      // Infinity has no twips: it lands on the lowest position there is.
      if (std::isinf(number)) number = -2147483648.0 / 20.0;
      break;
    case TargetProperty::Alpha:
      if (std::isinf(number)) number = 0;
      break;
    case TargetProperty::Width:
    case TargetProperty::Height:
      if (std::isinf(number)) return;
      break;
    case TargetProperty::HighQuality:
    case TargetProperty::FocusRect:
    case TargetProperty::SoundBufTime:
      target.Root()->SetDisplayProperty(property, number);
      return;
    default:
      break;
  }
  target.SetDisplayProperty(property, number);
}

bool GetVariableText(ActionTarget& root, const std::string& path, int swfVersion,
                     std::string& value) {
  ResolvedVariable resolved;
  if (!ResolveVariable(root, root, path, VariableStore::NamesAreCaseSensitive(swfVersion),
                       resolved)) {
    return false;
  }
  TargetProperty property;
  if (PropertyByName(resolved.name, property)) {
    value = GetTargetProperty(*resolved.target, property, swfVersion).ToString(swfVersion);
    return true;
  }
  const ActionValue* variable = resolved.target->Variables().Find(resolved.name);
  if (!variable) return false;
  value = variable->ToString(swfVersion);
  return true;
}

bool SetVariableText(ActionTarget& root, const std::string& path, const std::string& value,
                     int swfVersion) {
  ResolvedVariable resolved;
  if (!ResolveVariable(root, root, path, VariableStore::NamesAreCaseSensitive(swfVersion),
                       resolved)) {
    return false;
  }
  TargetProperty property;
  if (PropertyByName(resolved.name, property)) {
    SetTargetProperty(*resolved.target, property, ActionValue::String(value), swfVersion);
    return true;
  }
  return resolved.target->Variables().Set(resolved.name, ActionValue::String(value));
}

}  // namespace Halvane::Movie
