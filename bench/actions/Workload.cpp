#include "bench/actions/Workload.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "movie/actions/ActionCodes.h"
#include "tools/ActionWriter.h"
#include "tools/SwfTags.h"

namespace Halvane::Bench {

namespace {

namespace Op = Movie::ActionCode;
using Tools::ActionWriter;

// The strings of the movie's one constant pool, in the order first used.
class Names {
 public:
  std::uint16_t Of(const std::string& text) {
    const auto found = index_.find(text);
    if (found != index_.end()) return found->second;
    const auto index = static_cast<std::uint16_t>(list_.size());
    list_.push_back(text);
    index_.emplace(text, index);
    return index;
  }
  const std::vector<std::string>& All() const { return list_; }

 private:
  std::vector<std::string> list_;
  std::map<std::string, std::uint16_t> index_;
};

// ActionWriter with the pool's names and the shapes of statements a
// compiler emits: loops, member access, calls. Values pushed one after the
// other go into one Push action, as compilers write them.
class Code {
 public:
  explicit Code(Names& names) : names_(names) {}

  Code& Str(const std::string& text) {
    const std::uint16_t index = names_.Of(text);
    if (index < 256) return Value(Op::PushType::Constant8, {static_cast<std::uint8_t>(index)});
    return Value(Op::PushType::Constant16, {static_cast<std::uint8_t>(index & 0xFF), static_cast<std::uint8_t>(index >> 8)});
  }
  Code& Int(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return Value(Op::PushType::Integer, {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                                         static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)});
  }
  Code& Reg(std::uint8_t r) { return Value(Op::PushType::Register, {r}); }
  Code& Null() { return Value(Op::PushType::Null, {}); }
  Code& Undefined() { return Value(Op::PushType::Undefined, {}); }
  Code& Do(std::uint8_t code) {
    Writer().Op(code);
    return *this;
  }
  // Pops the top of the stack into register r.
  Code& Store(std::uint8_t r) {
    Writer().StoreRegister(r).Op(Op::Pop);
    return *this;
  }
  // Stores the top of the stack into register r and keeps it.
  Code& Keep(std::uint8_t r) {
    Writer().StoreRegister(r);
    return *this;
  }
  Code& Label(const std::string& label) {
    Writer().Label(label);
    return *this;
  }
  Code& Jump(const std::string& label) {
    Writer().Jump(label);
    return *this;
  }
  Code& If(const std::string& label) {
    Writer().If(label);
    return *this;
  }
  Code& Function(const std::string& name, std::uint8_t registers, std::uint16_t flags,
                 const std::vector<ActionWriter::Parameter>& parameters, Code& body) {
    Writer().DefineFunction2(name, registers, flags, parameters, body.Writer());
    return *this;
  }
  // The writer with every pending value pushed.
  ActionWriter& Writer() {
    if (!pending_.empty()) w_.Op(Op::Push, pending_);
    pending_.clear();
    return w_;
  }
  // object.name with object on the stack.
  Code& Member(const std::string& name) { return Str(name).Do(Op::GetMember); }
  // register r .name(arguments), the arguments pushed by args (last first).
  Code& Method(std::uint8_t r, const std::string& name, int count, const std::function<void()>& args) {
    args();
    return Int(count).Reg(r).Str(name).Do(Op::CallMethod);
  }
  // for (i = from; i < limit; i += step) body, limit pushed by limit().
  Code& For(std::uint8_t i, std::int32_t from, const std::function<void()>& limit, const std::function<void()>& body,
            std::int32_t step = 1) {
    const std::string top = NewLabel();
    const std::string end = NewLabel();
    Int(from).Store(i);
    Label(top);
    Reg(i);
    limit();
    Do(Op::Less2).Do(Op::Not).If(end);
    body();
    if (step == 1) Reg(i).Do(Op::Increment).Store(i);
    else Reg(i).Int(step).Do(Op::Add2).Store(i);
    Jump(top).Label(end);
    return *this;
  }
  std::string NewLabel() { return "L" + std::to_string(labels_++); }

 private:
  Code& Value(std::uint8_t type, std::initializer_list<std::uint8_t> data) {
    pending_.push_back(type);
    pending_.insert(pending_.end(), data.begin(), data.end());
    return *this;
  }

  Names& names_;
  ActionWriter w_;
  Tools::Bytes pending_;
  int labels_ = 0;
};

constexpr std::uint16_t kPlainFunction = Op::FunctionFlag::SuppressThis | Op::FunctionFlag::SuppressArguments |
                                         Op::FunctionFlag::SuppressSuper;
constexpr std::uint16_t kMethod = Op::FunctionFlag::PreloadThis | Op::FunctionFlag::SuppressArguments |
                                  Op::FunctionFlag::SuppressSuper;

// The registers of bench's locals.
enum : std::uint8_t {
  rN = 1, rCheck, rI, rAcc, rA, rTotal, rJoined, rLetters, rS, rVowels, rFound, rPos, rParts, rObjs, rO,
  rProps, rP, rKey, rAdd, rCalls, rPt, kBenchRegisters
};

// check = check + value, value pushed by push().
void AddToCheck(Code& c, const std::function<void()>& push) {
  c.Reg(rCheck);
  push();
  c.Do(Op::Add2).Store(rCheck);
}

void BenchBody(Code& c) {
  const auto n = [&c] { c.Reg(rN); };
  c.Int(0).Store(rCheck);

  // Numbers.
  c.Int(0).Store(rAcc);
  c.For(rI, 0, n, [&] { c.Reg(rAcc).Reg(rI).Int(3).Do(Op::Multiply).Do(Op::Add2).Int(10007).Do(Op::Modulo).Store(rAcc); });
  AddToCheck(c, [&] { c.Reg(rAcc); });

  // Arrays.
  c.Int(0).Do(Op::InitArray).Store(rA);
  c.For(rI, 0, n, [&] {
    c.Method(rA, "push", 1, [&] { c.Reg(rI).Int(7919).Do(Op::Multiply).Int(1000).Do(Op::Modulo); }).Do(Op::Pop);
  });
  c.Int(0).Store(rTotal);
  c.For(rI, 0, [&] { c.Reg(rA).Member("length"); },
        [&] { c.Reg(rTotal).Reg(rA).Reg(rI).Do(Op::GetMember).Do(Op::Add2).Store(rTotal); });
  c.Method(rA, "sort", 0, [] {}).Do(Op::Pop);
  c.Method(rA, "join", 1, [&] { c.Str(","); }).Store(rJoined);
  AddToCheck(c, [&] {
    c.Reg(rTotal).Do(Op::Add2).Reg(rJoined).Member("length").Do(Op::Add2);
    c.Method(rJoined, "indexOf", 1, [&] { c.Str(",5"); });
  });

  // Strings.
  c.Str("abcdefghijklmnopqrstuvwxyz").Store(rLetters);
  c.Str("").Store(rS);
  c.For(rI, 0, n, [&] {
    c.Reg(rS);
    c.Method(rLetters, "charAt", 1, [&] { c.Reg(rI).Int(7).Do(Op::Multiply).Int(26).Do(Op::Modulo); });
    c.Do(Op::Add2).Store(rS);
  });
  c.Int(0).Store(rVowels);
  c.For(rI, 0, [&] { c.Reg(rS).Member("length"); }, [&] {
    const std::string skip = c.NewLabel();
    c.Method(rS, "charAt", 1, [&] { c.Reg(rI); }).Str("e").Do(Op::Equals2).Do(Op::Not);
    c.If(skip);
    c.Reg(rVowels).Do(Op::Increment).Store(rVowels);
    c.Label(skip);
  });
  c.Int(0).Store(rFound);
  c.Method(rS, "indexOf", 1, [&] { c.Str("hov"); }).Store(rPos);
  {
    const std::string top = c.NewLabel();
    const std::string end = c.NewLabel();
    c.Label(top);
    c.Reg(rPos).Int(0).Do(Op::Less2);
    c.If(end);
    c.Reg(rFound).Do(Op::Increment).Store(rFound);
    c.Method(rS, "indexOf", 2, [&] { c.Reg(rPos).Int(1).Do(Op::Add2).Str("hov"); }).Store(rPos);
    c.Jump(top).Label(end);
  }
  c.Method(rS, "split", 1, [&] { c.Str("a"); }).Store(rParts);
  AddToCheck(c, [&] {
    c.Reg(rVowels).Do(Op::Add2).Reg(rFound).Do(Op::Add2).Reg(rParts).Member("length").Do(Op::Add2);
    // s.substr(n >> 1, 7).indexOf("o")
    c.Str("o").Int(1);
    c.Method(rS, "substr", 2, [&] { c.Int(7).Reg(rN).Int(1).Do(Op::BitRShift); });
    c.Str("indexOf").Do(Op::CallMethod);
  });

  // Objects.
  c.Int(0).Do(Op::InitArray).Store(rObjs);
  c.For(rI, 0, n, [&] {
    c.Int(0).Do(Op::InitObject).Store(rO);
    c.Reg(rO).Str("id").Reg(rI).Do(Op::SetMember);
    c.Reg(rO).Str("twice").Reg(rI).Int(2).Do(Op::Multiply).Do(Op::SetMember);
    c.Reg(rO).Str("k").Reg(rI).Int(8).Do(Op::Modulo).Do(Op::Add2).Int(1).Do(Op::SetMember);
    c.Method(rObjs, "push", 1, [&] { c.Reg(rO); }).Do(Op::Pop);
  });
  c.Int(0).Store(rProps);
  c.For(rI, 0, [&] { c.Reg(rObjs).Member("length"); }, [&] {
    c.Reg(rObjs).Reg(rI).Do(Op::GetMember).Store(rP);
    c.Reg(rP).Str("id").Reg(rP).Member("id").Reg(rP).Member("twice").Do(Op::Add2).Do(Op::SetMember);
    c.Reg(rProps).Reg(rP).Member("id").Do(Op::Add2).Store(rProps);
  });
  c.For(rI, 0, [&] { c.Reg(rObjs).Member("length"); }, [&] {
    const std::string top = c.NewLabel();
    const std::string end = c.NewLabel();
    c.Reg(rObjs).Reg(rI).Do(Op::GetMember).Do(Op::Enumerate2);
    c.Label(top);
    c.Keep(rKey).Null().Do(Op::Equals2).If(end);
    c.Reg(rProps).Int(1).Do(Op::Add2).Store(rProps);
    c.Jump(top).Label(end);
  }, 16);
  AddToCheck(c, [&] { c.Reg(rProps); });

  // Calls: a closure and a method through a prototype.
  c.Int(5).Int(1).Str("makeAdder").Do(Op::CallFunction).Store(rAdd);
  c.Int(0).Store(rCalls);
  c.For(rI, 0, n, [&] {
    c.Int(3).Reg(rI).Int(2).Str("Point").Do(Op::NewObject).Store(rPt);
    c.Reg(rCalls);
    // add(pt.sum()): a function in a register is called as a method
    // without a name.
    c.Method(rPt, "sum", 0, [] {}).Int(1).Reg(rAdd);
    c.Undefined();
    c.Do(Op::CallMethod).Do(Op::Add2).Int(100003).Do(Op::Modulo).Store(rCalls);
  });
  AddToCheck(c, [&] { c.Reg(rCalls); });

  c.Reg(rCheck).Do(Op::Return);
}

}  // namespace

Tools::Bytes WorkloadMovie() {
  Names names;
  // function Point(x, y) { this.x = x; this.y = y; }
  Code point(names);
  point.Reg(1).Str("x").Reg(2).Do(Op::SetMember).Reg(1).Str("y").Reg(3).Do(Op::SetMember);
  // function () { return this.x + this.y; }
  Code sum(names);
  sum.Reg(1).Member("x").Reg(1).Member("y").Do(Op::Add2).Do(Op::Return);
  // function makeAdder(k) { return function (v) { return v + k; }; }
  Code adder(names);
  adder.Reg(1).Str("k").Do(Op::GetVariable).Do(Op::Add2).Do(Op::Return);
  Code makeAdder(names);
  makeAdder.Function("", 2, kPlainFunction, {{1, "v"}}, adder);
  makeAdder.Do(Op::Return);
  Code bench(names);
  BenchBody(bench);

  Code frame(names);
  frame.Function("Point", 4, kMethod, {{2, "x"}, {3, "y"}}, point);
  frame.Str("Point").Do(Op::GetVariable).Member("prototype").Str("sum");
  frame.Function("", 2, kMethod, {}, sum);
  frame.Do(Op::SetMember);
  // k lives in the activation, where the closure finds it.
  frame.Function("makeAdder", 1, kPlainFunction, {{0, "k"}}, makeAdder);
  frame.Function("bench", kBenchRegisters, kPlainFunction, {{rN, "n"}}, bench);
  // flash.external.ExternalInterface.addCallback("bench", null, bench)
  frame.Str("bench").Do(Op::GetVariable).Null();
  frame.Str("bench").Int(3).Str("flash").Do(Op::GetVariable).Member("external").Member("ExternalInterface");
  frame.Str("addCallback").Do(Op::CallMethod).Do(Op::Pop);

  ActionWriter actions;
  actions.ConstantPool(names.All());
  Tools::Bytes code = actions.Build();
  const Tools::Bytes rest = frame.Writer().Build();
  code.insert(code.end(), rest.begin(), rest.end());

  Tools::SwfBuilder movie;
  movie.SetVersion(8).SetFrameSize(550 * 20, 400 * 20);
  movie.AddTag(Tools::kDoActionTag, Tools::DoAction(code));
  return movie.ShowFrame().End().Build();
}

}  // namespace Halvane::Bench
