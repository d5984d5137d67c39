#include "movie/actions/ActionBlock.h"

#include <cstring>
#include <utility>
#include <vector>

#include "movie/actions/ActionCodes.h"
#include "movie/actions/ActionInterpreter.h"
#include "movie/swf/SwfReader.h"

namespace Halvane::Movie {

namespace {

namespace Op = ActionCode;

float ReadFloat(SwfReader& r) {
  const std::uint32_t bits = r.U32();
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

// The pushed double is stored as two little-endian 32-bit words, the high
// word first.
double ReadDouble(SwfReader& r) {
  const std::uint64_t high = r.U32();
  const std::uint64_t low = r.U32();
  const std::uint64_t bits = (high << 32) | low;
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

bool IsAscii(const std::string& text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// The header of the action at offset: code, payload and where it ends;
// false when the record does not fit the block.
struct Header {
  std::uint8_t code = 0;
  std::uint32_t payload = 0;
  std::uint16_t length = 0;
  std::uint32_t next = 0;
};

bool ReadHeader(const std::vector<std::uint8_t>& bytes, std::uint32_t offset, Header& h) {
  if (offset >= bytes.size()) return false;
  h.code = bytes[offset];
  h.payload = offset + 1;
  h.length = 0;
  if (h.code >= 0x80) {
    if (bytes.size() - h.payload < 2) return false;
    h.length = static_cast<std::uint16_t>(bytes[offset + 1] | (bytes[offset + 2] << 8));
    h.payload = offset + 3;
    if (bytes.size() - h.payload < h.length) return false;
  }
  h.next = h.payload + h.length;
  return true;
}

ActionForm FormOf(std::uint8_t code) {
  switch (code) {
    case Op::End: return ActionForm::End;
    case Op::Push: return ActionForm::Push;
    case Op::Pop: return ActionForm::Pop;
    case Op::StoreRegister: return ActionForm::StoreRegister;
    case Op::Jump: return ActionForm::Jump;
    case Op::If: return ActionForm::If;
    case Op::Add2: return ActionForm::Add2;
    case Op::Subtract: return ActionForm::Subtract;
    case Op::Multiply: return ActionForm::Multiply;
    case Op::Divide: return ActionForm::Divide;
    case Op::Modulo: return ActionForm::Modulo;
    case Op::Less2: return ActionForm::Less2;
    case Op::Equals2: return ActionForm::Equals2;
    case Op::Increment:
    case Op::Decrement:
      return ActionForm::Step;
    case Op::Not: return ActionForm::Not;
    case Op::GetMember: return ActionForm::GetMember;
    case Op::SetMember: return ActionForm::SetMember;
    case Op::Return: return ActionForm::Return;
    default: return ActionForm::Group;
  }
}

}  // namespace

ActionBlock::ActionBlock(const std::uint8_t* data, std::size_t size)
    : bytes_(data, data + (size < MaxSize ? size : MaxSize)) {}

bool ActionBlock::SameBytes(const std::uint8_t* data, std::size_t size) const {
  return size == bytes_.size() && (size == 0 || std::memcmp(data, bytes_.data(), size) == 0);
}

std::int32_t ActionBlock::IndexAt(std::uint32_t offset) {
  if (indexAt_.empty()) indexAt_.assign(bytes_.size(), -1);
  const std::int32_t known = indexAt_[offset];
  return known >= 0 ? known : Decode(offset);
}

std::size_t ActionBlock::Footprint() const {
  return bytes_.size() + indexAt_.size() * sizeof(std::int32_t) + actions_.capacity() * sizeof(DecodedAction) +
         pushes_.capacity() * sizeof(PushedValue);
}

std::int32_t ActionBlock::Decode(std::uint32_t offset) {
  DecodedAction action;
  action.start = offset;
  action.code = bytes_[offset];
  action.payload = offset + 1;
  action.next = offset + 1;
  if (action.code >= 0x80) {
    if (bytes_.size() - action.payload < 2) {
      action.next = DecodedAction::kUnreadable;
    } else {
      action.length = static_cast<std::uint16_t>(bytes_[offset + 1] | (bytes_[offset + 2] << 8));
      action.payload = offset + 3;
      // Past the block is past any range of it: the run faults there.
      action.next = bytes_.size() - action.payload < action.length ? DecodedAction::kUnreadable
                                                                   : action.payload + action.length;
    }
  }
  if (action.next != DecodedAction::kUnreadable) {
    action.form = FormOf(action.code);
    switch (action.form) {
      case ActionForm::Push:
        DecodePush(action);
        break;
      case ActionForm::StoreRegister:
        if (action.length < 1) action.form = ActionForm::Group;  // the group faults on it
        else action.operand = bytes_[action.payload];
        break;
      case ActionForm::Jump:
      case ActionForm::If:
        if (action.length < 2) {
          action.form = ActionForm::Group;
        } else {
          const auto offsetBy = static_cast<std::int16_t>(bytes_[action.payload] | (bytes_[action.payload + 1] << 8));
          action.operand = static_cast<std::int32_t>(action.next) + offsetBy;
        }
        break;
      default:
        break;
    }
  }
  if (action.next != DecodedAction::kUnreadable) Fuse(action);
  const auto index = static_cast<std::int32_t>(actions_.size());
  actions_.push_back(action);
  indexAt_[offset] = index;
  return index;
}

void ActionBlock::Fuse(DecodedAction& action) const {
  Header second;
  if (!ReadHeader(bytes_, action.next, second)) return;
  const auto fuse = [&](const Header& last, std::uint8_t count) {
    action.fused = count;
    action.fusedCode = last.code;
    action.fusedNext = last.next;
  };
  // A branch that follows: an If (after a Not or not), or a Jump.
  const auto fuseBranch = [&](const Header& branch, std::uint8_t code, std::uint8_t count, bool negate) {
    if (branch.code != code || branch.length < 2) return;
    const auto offsetBy = static_cast<std::int16_t>(bytes_[branch.payload] | (bytes_[branch.payload + 1] << 8));
    fuse(branch, count);
    action.fusedNegate = negate;
    action.fusedTarget = static_cast<std::int32_t>(branch.next) + offsetBy;
  };
  // A StoreRegister and a Pop after count actions (and maybe a Jump): a
  // result kept in a register, a loop's counter or a local.
  const auto fuseKeep = [&](const Header& store, const Header& pop, std::uint8_t count) {
    if (store.code != Op::StoreRegister || store.length < 1 || pop.code != Op::Pop) return;
    fuse(pop, static_cast<std::uint8_t>(count + 2));
    action.fusedRegister = bytes_[store.payload];
    Header jump;
    if (ReadHeader(bytes_, pop.next, jump)) fuseBranch(jump, Op::Jump, static_cast<std::uint8_t>(count + 3), false);
  };
  switch (action.form) {
    case ActionForm::StoreRegister:
      if (second.code == Op::Pop) {
        Header third;
        fuse(second, 1);
        if (ReadHeader(bytes_, second.next, third)) fuseBranch(third, Op::Jump, 2, false);
      }
      break;
    case ActionForm::Push: {
      if (action.faultsAfter) break;
      Header third;
      Header fourth;
      const bool hasThird = ReadHeader(bytes_, second.next, third);
      const bool hasFourth = hasThird && ReadHeader(bytes_, third.next, fourth);
      switch (second.code) {
        case Op::GetMember:
          fuse(second, 1);
          break;
        case Op::CallMethod:
        case Op::SetMember:
          if (action.count >= 3 && !action.pushesText) fuse(second, 1);
          break;
        case Op::NewObject:
          if (action.count >= 2 && !action.pushesText) fuse(second, 1);
          break;
        case Op::Add2:
        case Op::Subtract:
        case Op::Multiply:
        case Op::Modulo:
        case Op::Increment:
        case Op::Decrement:
          fuse(second, 1);
          if (hasFourth) fuseKeep(third, fourth, 1);
          break;
        case Op::Less2:
        case Op::Equals2:
          // A loop's test.
          if (!hasThird) break;
          if (third.code == Op::Not) {
            if (hasFourth) fuseBranch(fourth, Op::If, 3, true);
          } else {
            fuseBranch(third, Op::If, 2, false);
          }
          break;
        default:
          break;
      }
      if (action.fused != 0) action.fusedOp = second.code;
      break;
    }
    case ActionForm::Not:
      fuseBranch(second, Op::If, 1, true);
      break;
    case ActionForm::Less2:
    case ActionForm::Equals2:
      if (second.code == Op::Not) {
        Header third;
        if (ReadHeader(bytes_, second.next, third)) fuseBranch(third, Op::If, 2, true);
      } else {
        fuseBranch(second, Op::If, 1, false);
      }
      break;
    default:
      break;
  }
}

// The values in the order the run pushes them, up to the first that cannot
// be read. More than the stack holds are never reached: the push faults on
// a full stack first.
void ActionBlock::DecodePush(DecodedAction& action) {
  SwfReader r(bytes_.data() + action.payload, action.length);
  action.operand = static_cast<std::int32_t>(pushes_.size());
  bool bad = false;
  std::uint32_t count = 0;
  while (r.Remaining() > 0 && !bad && count <= ActionContext::MaxStack) {
    PushedValue v;
    const std::uint8_t type = r.U8();
    switch (type) {
      case Op::PushType::String: {
        std::string text = r.String();
        v.kind = PushedValue::Text;
        v.ascii = IsAscii(text);
        v.value = ActionValue::String(std::move(text));
        break;
      }
      case Op::PushType::Float:
        v.value = ActionValue::Number(ReadFloat(r));
        break;
      case Op::PushType::Null:
        v.value = ActionValue::Null();
        break;
      case Op::PushType::Undefined:
        break;
      case Op::PushType::Register:
        v.kind = PushedValue::Register;
        v.index = r.U8();
        break;
      case Op::PushType::Boolean:
        v.value = ActionValue::Boolean(r.U8() != 0);
        break;
      case Op::PushType::Double:
        v.value = ActionValue::Number(ReadDouble(r));
        break;
      case Op::PushType::Integer:
        v.value = ActionValue::Number(static_cast<std::int32_t>(r.U32()));
        break;
      case Op::PushType::Constant8:
      case Op::PushType::Constant16:
        v.kind = PushedValue::Constant;
        v.index = type == Op::PushType::Constant8 ? r.U8() : r.U16();
        break;
      default:
        bad = true;  // an unknown type leaves the rest unreadable
        break;
    }
    if (r.Failed()) bad = true;
    if (bad) break;
    if (v.kind == PushedValue::Text) action.pushesText = true;
    pushes_.push_back(std::move(v));
    ++count;
  }
  action.count = count;
  action.faultsAfter = bad;
}

std::shared_ptr<ActionBlock> ActionBlockCache::Find(const std::uint8_t* data, std::size_t size) {
  const auto found = blocks_.find(data);
  if (found != blocks_.end() && found->second->SameBytes(data, size)) return found->second;
  auto block = std::make_shared<ActionBlock>(data, size);
  if (size > MaxBlock) return block;
  if (found != blocks_.end()) blocks_.erase(found);
  // What was decoded since counts too.
  std::size_t total = 0;
  for (const auto& entry : blocks_) total += entry.second->Footprint();
  if (total + size > MaxBytes) blocks_.clear();
  blocks_.emplace(data, block);
  return block;
}

}  // namespace Halvane::Movie
