#include "platform/ShockwaveFlash.h"

namespace Halvane::Platform {

const char16_t* FlashMemberName(FlashMember member) {
  switch (member) {
    case FlashMember::Quality: return u"Quality";
    case FlashMember::Loop: return u"Loop";
    case FlashMember::Playing: return u"Playing";
    case FlashMember::WMode: return u"WMode";
    case FlashMember::TotalFrames: return u"TotalFrames";
    case FlashMember::FrameNum: return u"FrameNum";
    case FlashMember::GotoFrame: return u"GotoFrame";
    case FlashMember::Play: return u"Play";
    case FlashMember::Stop: return u"Stop";
    case FlashMember::FlashVars: return u"FlashVars";
    case FlashMember::GetVariable: return u"GetVariable";
    case FlashMember::SetVariable: return u"SetVariable";
    case FlashMember::CallFunction: return u"CallFunction";
  }
  return u"";
}

}  // namespace Halvane::Platform
