// A block of action bytecode as the interpreter runs it: the bytes, and
// each action decoded once, on the first run that reaches it.
//
// Decoding does not depend on which part of the block runs: an action is
// decoded against the whole block, and the run loop checks a record that
// ends past its own range (a function body cut short) and clamps jumps to
// that range. So one block serves its top level and every function body in
// it, and a jump into the middle of an action simply decodes the action
// that starts there. Only actions that run are decoded, each at most once,
// so decoding is bounded by the budget that running them spends.
//
// Blocks of the movie's frames are kept by an ActionBlockCache of the
// movie's runtime; functions share the block they were defined in.
//
// Worker thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "movie/actions/ActionValue.h"

namespace Halvane::Movie {

// How the run loop treats a decoded action: the forms it runs itself, or
// the group of its action code.
enum class ActionForm : std::uint8_t {
  Group,  // the group function of the code reads the payload
  End,
  Push,
  Pop,
  StoreRegister,
  Jump,
  If,
  // On two numbers here, on anything else by the group.
  Add2,
  Subtract,
  Multiply,
  Divide,
  Modulo,
  Less2,
  Equals2,
  Step,  // Increment, Decrement
  Not,
  GetMember,
  SetMember,
  Return,
};

struct DecodedAction {
  // next when the length field of a long action lies past the block: the
  // record is cut short whatever range runs it.
  static constexpr std::uint32_t kUnreadable = 0xFFFFFFFFu;

  std::uint32_t start = 0;
  std::uint32_t payload = 0;  // offset of the payload
  std::uint32_t next = 0;     // where the next action starts
  std::uint16_t length = 0;   // of the payload
  std::uint8_t code = 0;
  ActionForm form = ActionForm::Group;
  // Push: the first of count values in the block's pushes; a push whose
  // payload goes bad after them faults once they are pushed.
  // StoreRegister: the register. Jump, If: the target, relative to the
  // block (may lie outside it).
  std::int32_t operand = 0;
  std::uint32_t count = 0;
  bool faultsAfter = false;
  bool pushesText = false;  // Push: a text among the values (not a constant)
  // The actions at next and at the jump target, once a run has gone there
  // (-1: not yet known).
  std::int32_t following = -1;
  std::int32_t jumped = -1;

  // Compilers emit a few pairs and triples of actions over and over (a
  // StoreRegister and a Pop, then often a Jump back; a comparison, Not and
  // If; a Push and a GetMember or arithmetic). The actions right after this
  // one that the run loop may run together with it, as if one after the
  // other: fused counts them (0: none), fusedCode is the code of the last,
  // fusedNext is where it ends, fusedTarget is the target of a fused If or
  // Jump (relative to the block) and fusedNegate says whether a Not stands
  // before an If. The loop runs them so only when they lie inside the range
  // it runs and the budget covers each of them, so nothing a run can see
  // changes.
  // After a Push, fusedOp is the code of the action it feeds (an
  // arithmetic, a comparison, GetMember, SetMember, CallMethod); the
  // arithmetic may be followed by a StoreRegister of fusedRegister and a
  // Pop (and a Jump), the comparison by an If.
  std::uint8_t fused = 0;
  std::uint8_t fusedCode = 0;
  std::uint8_t fusedOp = 0;
  std::uint8_t fusedRegister = 0;
  bool fusedNegate = false;
  std::uint32_t fusedNext = 0;
  std::int32_t fusedTarget = 0;
  // The action at fusedNext, once known (-1: not yet).
  std::int32_t fusedFollowing = -1;
  // Room up to 64 bytes: the run loop finds an action by its index at
  // every step, and a power of two makes that one shift.
  std::uint8_t unused[8] = {};
};
static_assert(sizeof(DecodedAction) == 64, "a decoded action takes 64 bytes");

// One value of a Push, decoded.
struct PushedValue {
  enum Kind : std::uint8_t {
    Value,      // value as it is
    Text,       // value is the text as the movie wrote it (UTF-8 from version 6)
    Constant,   // index into the constant pool in force
    Register,   // index of a register
  };
  Kind kind = Value;
  bool ascii = false;  // Text: needs no conversion from older movies' code page
  std::uint16_t index = 0;
  ActionValue value;
};

class ActionBlock {
 public:
  // A copy of size bytes (at most MaxSize).
  ActionBlock(const std::uint8_t* data, std::size_t size);
  ActionBlock(const ActionBlock&) = delete;
  ActionBlock& operator=(const ActionBlock&) = delete;

  // Offsets, jump targets (an offset and 16 bits more) and indexes of
  // actions fit signed 32 bits.
  static constexpr std::size_t MaxSize = 0x7FFF0000u;

  const std::uint8_t* Data() const { return bytes_.data(); }
  std::size_t Size() const { return bytes_.size(); }
  bool SameBytes(const std::uint8_t* data, std::size_t size) const;

  // The index of the action that starts at offset (< Size()), decoded on
  // first use. Indexes stay valid for the block's life; references into the
  // block do not survive the next decoding, which may move them. Asked
  // only where no link between actions is known yet, so kept out of line,
  // away from the run loop.
  std::int32_t IndexAt(std::uint32_t offset);
  DecodedAction& operator[](std::int32_t index) { return actions_[static_cast<std::size_t>(index)]; }
  const PushedValue* Pushes(const DecodedAction& action) const { return pushes_.data() + action.operand; }

  // Bytes the block and its decoded actions take, roughly.
  std::size_t Footprint() const;

 private:
  std::int32_t Decode(std::uint32_t offset);
  void DecodePush(DecodedAction& action);
  void Fuse(DecodedAction& action) const;

  std::vector<std::uint8_t> bytes_;
  std::vector<std::int32_t> indexAt_;  // per byte offset, -1 until decoded
  std::vector<DecodedAction> actions_;
  std::vector<PushedValue> pushes_;
};

// The blocks of the movie's frames and events by where their bytes lie, so
// that a frame's actions are decoded once however often they run. A block
// is found only when its bytes are still the same. Blocks and what was
// decoded of them take at most MaxBytes; past that the cache starts over
// (blocks in use live on with their runs and functions). A block larger
// than MaxBlock is not kept.
class ActionBlockCache {
 public:
  static constexpr std::size_t MaxBytes = 16u << 20;
  static constexpr std::size_t MaxBlock = 1u << 20;

  std::shared_ptr<ActionBlock> Find(const std::uint8_t* data, std::size_t size);

 private:
  std::unordered_map<const std::uint8_t*, std::shared_ptr<ActionBlock>> blocks_;
};

}  // namespace Halvane::Movie
