// Blocks are decoded once and run again from what was decoded: these pin
// that a block behaves the same on every run, whatever its bytes do.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "movie/actions/ActionCodes.h"
#include "movie/actions/ActionInterpreter.h"
#include "movie/actions/ScriptRuntime.h"
#include "tests/movie_actions/FakeTimeline.h"
#include "tests/movie_actions/ScriptedMovie.h"
#include "tools/ActionWriter.h"

namespace Halvane::Movie {
namespace {

using Testing::FakeTimeline;
using Tools::ActionWriter;
using Tools::Bytes;
namespace Op = ActionCode;

struct Movie : Testing::ScriptedMovie {
  explicit Movie(int version = 10) : ScriptedMovie(version, 10) {}
};

Bytes Join(const std::vector<Bytes>& parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes Code(const ActionWriter& w) { return w.Build(); }

Bytes JumpBy(std::int16_t offset, std::uint8_t code = Op::Jump) {
  const auto bits = static_cast<std::uint16_t>(offset);
  return {code, 2, 0, static_cast<std::uint8_t>(bits & 0xFF), static_cast<std::uint8_t>(bits >> 8)};
}

// An action no player knows, skipped by its length, hiding bytes.
Bytes Hidden(const Bytes& inside) {
  Bytes out{0xF0, static_cast<std::uint8_t>(inside.size()), 0};
  out.insert(out.end(), inside.begin(), inside.end());
  return out;
}

TEST(DecodedActions, JumpIntoTheMiddleOfAnActionRunsWhatStartsThereOnEveryRun) {
  ActionWriter inside;
  inside.PushString("inside").Op(Op::Trace);
  ActionWriter after;
  after.PushString("after").Op(Op::Trace);
  // Past the hidden action's code and length, onto the Push it hides.
  const Bytes code = Join({JumpBy(3), Hidden(Code(inside)), Code(after)});
  Movie movie;
  for (int run = 0; run < 2; ++run) {
    EXPECT_EQ(movie.Run(code), ActionRunResult::Completed) << run;
  }
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"inside", "after", "inside", "after"}));
}

TEST(DecodedActions, ARecordCutShortByItsFunctionFaultsThoughTheBlockReadsItWhole) {
  // f's body is the start of a Push whose values lie past the body. The
  // block runs that Push whole first (jumping into the body), then calls f.
  const Bytes body{Op::Push, 0x05, 0x00};
  const Bytes nulls(5, Op::PushType::Null);  // the Push's values; on their own, unknown actions
  const Bytes define = Join({{Op::DefineFunction, 0x06, 0x00, 'f', 0x00, 0x00, 0x00,
                              static_cast<std::uint8_t>(body.size()), 0x00},
                             body});
  // Once: set seen, and back into the body; then call f.
  const auto checkPart = [](ActionWriter& w, const char* label) {
    w.PushString("seen").Op(Op::GetVariable).If(label);
    w.PushString("seen").PushInteger(1).Op(Op::SetVariable);
  };
  ActionWriter sized;
  checkPart(sized, "here");
  sized.Label("here");
  const std::size_t checkSize = sized.Build().size();
  ActionWriter rest;
  checkPart(rest, "call");
  const auto back = static_cast<std::uint16_t>(-static_cast<int>(body.size() + nulls.size() + checkSize + 5));
  rest.Op(Op::Jump, {static_cast<std::uint8_t>(back & 0xFF), static_cast<std::uint8_t>(back >> 8)});
  rest.Label("call").PushInteger(0).PushString("f").Op(Op::CallFunction).PushString("after").Op(Op::Trace);
  const Bytes code = Join({define, nulls, Code(rest)});
  Movie movie;
  EXPECT_EQ(movie.Run(code), ActionRunResult::Faulted);
  EXPECT_TRUE(movie.traces.empty());
}

TEST(DecodedActions, NewBytesAtTheSameAddressRunAsTheyAre) {
  ActionWriter w;
  w.PushString("one").Op(Op::Trace);
  Bytes code = w.Build();
  Movie movie;
  ASSERT_EQ(movie.Run(code), ActionRunResult::Completed);
  const std::size_t at = std::string(code.begin(), code.end()).find("one");
  ASSERT_NE(at, std::string::npos);
  code[at] = 't';
  code[at + 1] = 'w';
  code[at + 2] = 'o';
  ASSERT_EQ(movie.Run(code), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"one", "two"}));
}

TEST(DecodedActions, PushesReadThePoolInForceAndFunctionsKeepTheirs) {
  ActionWriter body;
  body.PushConstant(0).Op(Op::Trace);
  ActionWriter w;
  w.ConstantPool({"first"}).DefineFunction("f", {}, body).PushConstant(0).Op(Op::Trace);
  w.ConstantPool({"second"}).PushConstant(0).Op(Op::Trace);
  w.PushInteger(0).PushString("f").Op(Op::CallFunction).Op(Op::Pop);
  const Bytes code = w.Build();
  Movie movie;
  for (int run = 0; run < 2; ++run) ASSERT_EQ(movie.Run(code), ActionRunResult::Completed) << run;
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"first", "second", "first", "first", "second", "first"}));
}

TEST(DecodedActions, OlderMoviesConvertPushedTextOnEveryRun) {
  Movie movie(5);
  int conversions = 0;
  movie.context.legacyText = [&conversions](const std::string&) {
    ++conversions;
    return std::string("converted");
  };
  ActionWriter w;
  w.PushString("caf\xE9").Op(Op::Trace).PushString("plain").Op(Op::Trace);
  const Bytes code = w.Build();
  for (int run = 0; run < 2; ++run) ASSERT_EQ(movie.Run(code), ActionRunResult::Completed) << run;
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"converted", "plain", "converted", "plain"}));
  EXPECT_EQ(conversions, 2);
}

TEST(DecodedActions, RecursionThatReachesNewCodeLeavesTheCallersIntact) {
  // The innermost call is the first to run the else branch, while every
  // caller is in the middle of its own actions of the same block.
  ActionWriter body;
  body.PushInteger(0).PushString("n").Op(Op::GetVariable).Op(Op::Less2).Op(Op::Not).If("bottom");
  body.PushString("n").Op(Op::GetVariable).Op(Op::Decrement).PushInteger(1).PushString("f");
  body.Op(Op::CallFunction).Op(Op::Pop).Jump("end");
  body.Label("bottom").PushString("bottom").Op(Op::Trace);
  body.Label("end").PushString("n").Op(Op::GetVariable).Op(Op::Trace);
  ActionWriter w;
  w.DefineFunction("f", {"n"}, body).PushInteger(3).PushInteger(1).PushString("f").Op(Op::CallFunction).Op(Op::Pop);
  Movie movie;
  ASSERT_EQ(movie.Run(w.Build()), ActionRunResult::Completed);
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"bottom", "0", "1", "2", "3"}));
}

// Pairs and triples of actions the run loop takes in one step (StoreRegister
// and Pop and Jump, a comparison and Not and If, Push and Increment or
// arithmetic or GetMember) still cost one unit of budget each, and a
// budget that ends inside such a group stops the run there.
TEST(DecodedActions, ActionsRunTogetherCostTheirBudgetOneByOne) {
  // Each value is a Push of its own.
  ActionWriter w;
  w.PushInteger(0).StoreRegister(1).Op(Op::Pop);                                       // 3
  w.Label("top").PushRegister(1).PushInteger(3).Op(Op::Less2).Op(Op::Not).If("end");  // 5, 4 times
  w.PushRegister(1).Op(Op::Increment).StoreRegister(1).Op(Op::Pop).Jump("top");       // 5, 3 times
  w.Label("end").PushString("i").PushRegister(1).PushInteger(10).Op(Op::Multiply).Op(Op::SetVariable);  // 5
  w.PushString("length").PushString("abc").PushString("length").Op(Op::GetMember).Op(Op::SetVariable);  // 5
  const Bytes code = w.Build();
  constexpr std::size_t kActions = 3 + 5 * 4 + 5 * 3 + 5 + 5;
  for (std::size_t budget = 0; budget <= kActions + 1; ++budget) {
    Movie movie;
    movie.context.instructionBudget = budget;
    const ActionRunResult result = movie.Run(code);
    const ActionValue* i = movie.root.Variables().Find("i");
    const ActionValue* length = movie.root.Variables().Find("length");
    if (budget < kActions) {
      EXPECT_EQ(result, ActionRunResult::BudgetExhausted) << budget;
      EXPECT_EQ(movie.context.instructionBudget, 0u) << budget;
      EXPECT_EQ(i != nullptr, budget >= kActions - 5) << budget;
      EXPECT_EQ(length, nullptr) << budget;
    } else {
      EXPECT_EQ(result, ActionRunResult::Completed) << budget;
      EXPECT_EQ(movie.context.instructionBudget, budget - kActions) << budget;
      ASSERT_NE(i, nullptr);
      EXPECT_EQ(i->NumberValue(), 30);
      ASSERT_NE(length, nullptr);
      EXPECT_EQ(length->NumberValue(), 3);
    }
  }
}

// Actions are taken together only inside the range that runs: a function
// whose body ends on a comparison returns there even though an If follows
// the body (which jumps back into it), and the same bytes run one by one
// in the block around it.
TEST(DecodedActions, ActionsRunTogetherStopAtTheEndOfAFunctionBody) {
  ActionWriter inside;
  inside.PushString("in").Op(Op::Trace).PushInteger(1).PushInteger(2).Op(Op::Less2);
  const Bytes body = inside.Build();
  const Bytes define = Join({{Op::DefineFunction, 0x06, 0x00, 'f', 0x00, 0x00, 0x00,
                              static_cast<std::uint8_t>(body.size()), 0x00},
                             body});
  // Back to the start of the body when taken; outside f it pops nothing
  // (false) and falls through.
  const Bytes back = JumpBy(static_cast<std::int16_t>(-static_cast<int>(body.size() + 5)), Op::If);
  ActionWriter call;
  call.PushInteger(0).PushString("f").Op(Op::CallFunction).Op(Op::Trace);
  const Bytes code = Join({define, back, Code(call)});
  Movie movie;
  for (int run = 0; run < 2; ++run) EXPECT_EQ(movie.Run(code), ActionRunResult::Completed) << run;
  EXPECT_EQ(movie.traces, (std::vector<std::string>{"in", "undefined", "in", "undefined"}));
}

// A value as a Push carries it: its type, then its data.
Bytes Pushed(const std::function<void(ActionWriter&)>& push) {
  ActionWriter w;
  push(w);
  Bytes record = w.Build();
  record.erase(record.begin(), record.begin() + 3);  // the Push's header
  return record;
}

// The values as one Push, or as Pushes that run on their own: an action no
// player knows after them keeps the last from running with what follows.
void PushValues(ActionWriter& w, const std::vector<Bytes>& values, bool together) {
  Bytes payload;
  for (const Bytes& v : values) {
    if (together) payload.insert(payload.end(), v.begin(), v.end());
    else w.Op(Op::Push, v);
  }
  if (together) w.Op(Op::Push, payload);
  else w.Op(0xF0, {});
}

// A value of the constant pool, pushed by its index as compilers push texts.
auto PoolText(const std::vector<std::string>& pool) {
  return [&pool](const std::string& t) {
    const auto index = static_cast<std::uint16_t>(std::find(pool.begin(), pool.end(), t) - pool.begin());
    return Pushed([index](ActionWriter& w) { w.PushConstant(index); });
  };
}

Bytes PushedInteger(int v) {
  return Pushed([v](ActionWriter& w) { w.PushInteger(v); });
}

// The program written with Pushes apart and together runs to its end both
// ways with the same traces; gives those traces.
std::vector<std::string> TracesBothWays(const std::function<Bytes(bool)>& program, int version = 10) {
  Movie apart(version);
  EXPECT_EQ(apart.Run(program(false)), ActionRunResult::Completed);
  Movie together(version);
  EXPECT_EQ(together.Run(program(true)), ActionRunResult::Completed);
  EXPECT_EQ(together.traces, apart.traces) << "version " << version;
  return together.traces;
}

// A Push runs together with the comparison and If of a loop's test, or with
// the arithmetic, StoreRegister, Pop and Jump of its step, on numbers only:
// written both ways, the same operands give the same traces, NaN and the
// versions' rules for it included.
TEST(DecodedActions, APushRunTogetherWithALoopsTestOrStepGivesWhatTheyGiveOneByOne) {
  const auto number = [](double v) { return Pushed([v](ActionWriter& w) { w.PushDouble(v); }); };
  const auto text = [](const char* t) { return Pushed([t](ActionWriter& w) { w.PushString(t); }); };
  const Bytes nan = number(std::numeric_limits<double>::quiet_NaN());
  const std::vector<std::vector<Bytes>> operands = {
      {nan, nan}, {number(1), number(2)}, {number(2), number(1)}, {number(2), number(2)},
      {text("2"), number(2)}, {text("a"), text("b")},
  };
  const auto program = [&](bool together) {
    ActionWriter w;
    int label = 0;
    for (const std::vector<Bytes>& pair : operands) {
      for (const std::uint8_t compare : {Op::Less2, Op::Equals2}) {
        for (const bool negate : {false, true}) {
          const std::string yes = "yes" + std::to_string(label);
          const std::string done = "done" + std::to_string(label++);
          PushValues(w, pair, together);
          w.Op(compare);
          if (negate) w.Op(Op::Not);
          w.If(yes).PushString("no").Op(Op::Trace).Jump(done);
          w.Label(yes).PushString("yes").Op(Op::Trace).Label(done);
        }
      }
      const std::string next = "next" + std::to_string(label++);
      PushValues(w, pair, together);
      w.Op(Op::Multiply).StoreRegister(1).Op(Op::Pop).Jump(next).Label(next).PushRegister(1).Op(Op::Trace);
    }
    return w.Build();
  };
  for (const int version : {5, 6}) EXPECT_EQ(TracesBothWays(program, version).size(), operands.size() * 5) << version;
}

// A Push that ends with the count, the object and the name of a CallMethod
// runs with the call (and one that ends with what a GetMember or a
// SetMember takes, with the member access): written both ways, the same
// calls give the same traces (a count that is text, a count past what the
// stack holds, a method that throws), and a budget that ends between the
// Push and the call stops before the call.
TEST(DecodedActions, APushRunTogetherWithTheCallOrMemberItFeedsGivesWhatTheyGiveOneByOne) {
  const auto integer = PushedInteger;
  const std::vector<std::string> pool = {"push", "2", "fail", "length", "x"};
  const auto text = PoolText(pool);
  const Bytes array = Pushed([](ActionWriter& w) { w.PushRegister(1); });
  const std::vector<std::vector<Bytes>> calls = {
      {integer(7), integer(1), array, text("push")},
      {integer(9), integer(8), text("2"), array, text("push")},
      {integer(5), array, text("push")},
      {integer(0), array, text("fail")},
  };
  const auto program = [&](bool together) {
    ActionWriter thrower;
    thrower.PushString("boom").Op(Op::Throw);
    ActionWriter w;
    w.ConstantPool(pool).DefineFunction("thrower", {}, thrower);
    w.PushInteger(0).Op(Op::InitArray).StoreRegister(1).Op(Op::Pop);
    w.PushRegister(1).PushString("fail").PushString("thrower").Op(Op::GetVariable).Op(Op::SetMember);
    PushValues(w, {integer(3), array, text("length")}, together);
    w.Op(Op::GetMember).Op(Op::Add2).Op(Op::Trace);
    PushValues(w, {array, text("x"), integer(5)}, together);
    w.Op(Op::SetMember);
    PushValues(w, {integer(1), array, text("x")}, together);
    w.Op(Op::GetMember).Op(Op::Add2).Op(Op::Trace);
    for (const std::vector<Bytes>& call : calls) {
      PushValues(w, call, together);
      w.Op(Op::CallMethod).Op(Op::Trace);
    }
    return w.Build();
  };
  const std::vector<std::string> traces = TracesBothWays(program);
  EXPECT_EQ(traces, (std::vector<std::string>{"3", "6", "1", "3", "3", "Warning: Uncaught exception, boom"}));

  // The pool, the definition, the array's 4 actions, the member's 5, the
  // length's 4, x's 2 and 4; then Push, CallMethod and Trace per call.
  constexpr std::size_t kBeforeCalls = 1 + 1 + 4 + 5 + 4 + 2 + 4;
  for (std::size_t budget = kBeforeCalls; budget < kBeforeCalls + 3 * calls.size(); ++budget) {
    Movie movie;
    movie.context.instructionBudget = budget;
    EXPECT_EQ(movie.Run(program(true)), ActionRunResult::BudgetExhausted) << budget;
    ASSERT_EQ(movie.traces.size(), 2 + (budget - kBeforeCalls) / 3) << budget;
    EXPECT_TRUE(std::equal(movie.traces.begin(), movie.traces.end(), traces.begin())) << budget;
  }
}

// A Push that ends with the object and the name of a GetMember reads a
// plain value in place: written both ways, each read gives what the
// general look-up gives where it differs (a name another spelling of the
// own one, an own property this version does not see, a getter, a name
// found on the prototype, __proto__, holes and indexes no element has, an
// array's length and the one a getter shadows, a text's length with the
// String class installed and with another).
TEST(DecodedActions, APushRunTogetherWithTheGetMemberItFeedsReadsWhatTheLookUpFinds) {
  const std::vector<std::string> pool = {"x", "X", "hidden", "acc", "missing", "__proto__", "length"};
  const auto text = PoolText(pool);
  const Bytes object = Pushed([](ActionWriter& w) { w.PushRegister(1); });
  const Bytes array = Pushed([](ActionWriter& w) { w.PushRegister(2); });
  const auto number = [](double v) { return Pushed([v](ActionWriter& w) { w.PushDouble(v); }); };
  const auto program = [&](bool together) {
    ActionWriter getter;
    getter.PushString("got").Op(Op::Return);
    ActionWriter w;
    w.ConstantPool(pool);
    w.PushInteger(0).Op(Op::InitObject).StoreRegister(1).Op(Op::Pop);
    w.PushRegister(1).PushString("x").PushString("own").Op(Op::SetMember);
    w.PushRegister(1).PushString("hidden").PushString("own hidden").Op(Op::SetMember);
    // ASSetPropFlags(object, "hidden", Version9); object.addProperty("acc", getter, null)
    w.PushInteger(1 << 13).PushString("hidden").PushRegister(1).PushInteger(3);
    w.PushString("ASSetPropFlags").Op(Op::CallFunction).Op(Op::Pop);
    w.PushNull().DefineFunction("", {}, getter).PushString("acc").PushInteger(3).PushRegister(1);
    w.PushString("addProperty").Op(Op::CallMethod).Op(Op::Pop);
    for (const char* name : {"hidden", "missing", "2"}) {
      w.PushString("Object").Op(Op::GetVariable).PushString("prototype").Op(Op::GetMember);
      w.PushString(name).PushString(std::string("proto ") + name).Op(Op::SetMember);
    }
    w.PushInteger(0).Op(Op::InitArray).StoreRegister(2).Op(Op::Pop);
    w.PushRegister(2).PushInteger(0).PushString("first").Op(Op::SetMember);
    w.PushRegister(2).PushInteger(3).PushString("last").Op(Op::SetMember);
    for (const char* name : {"x", "X", "hidden", "acc", "missing"}) {
      PushValues(w, {object, text(name)}, together);
      w.Op(Op::GetMember).Op(Op::Trace);
    }
    PushValues(w, {object, text("__proto__")}, together);
    w.Op(Op::GetMember);
    PushValues(w, {text("missing")}, together);
    w.Op(Op::GetMember).Op(Op::Trace);
    for (const double index : {0.0, 2.0, 3.0, 4.0, 0.5, -1.0}) {
      PushValues(w, {array, number(index)}, together);
      w.Op(Op::GetMember).Op(Op::Trace);
    }
    // The length, then the length a getter of addProperty shadows.
    for (int i = 0; i < 2; ++i) {
      PushValues(w, {array, text("length")}, together);
      w.Op(Op::GetMember).Op(Op::Trace);
      w.PushNull().DefineFunction("", {}, getter).PushString("length").PushInteger(3).PushRegister(2);
      w.PushString("addProperty").Op(Op::CallMethod).Op(Op::Pop);
    }
    // A value pushed before the object stays below what is read.
    PushValues(w, {PushedInteger(1), object, text("x")}, together);
    w.Op(Op::GetMember).Op(Op::Add2).Op(Op::Trace);
    // A text's length, then the length of what another String class makes.
    ActionWriter otherString;
    otherString.PushString("this").Op(Op::GetVariable).PushString("length").PushInteger(99).Op(Op::SetMember);
    w.PushString("abc").StoreRegister(3).Op(Op::Pop);
    for (int i = 0; i < 2; ++i) {
      PushValues(w, {Pushed([](ActionWriter& v) { v.PushRegister(3); }), text("length")}, together);
      w.Op(Op::GetMember).Op(Op::Trace);
      w.PushString("_global").Op(Op::GetVariable).PushString("String");
      w.DefineFunction("", {}, otherString).Op(Op::SetMember);
    }
    return w.Build();
  };
  EXPECT_EQ(TracesBothWays(program, 8),
            (std::vector<std::string>{"own", "undefined", "proto hidden", "got", "proto missing", "proto missing",
                                      "first", "proto 2", "last", "undefined", "undefined", "undefined", "4", "got", "1own", "3", "99"}));
  // Movies before 7 match names without case.
  EXPECT_EQ(TracesBothWays(program, 6).at(1), "own");
}

// A Push that ends with the count and the name of a NewObject runs with it:
// written both ways, the same constructions give the same traces (a count
// that is text, a count past what the stack holds, a name that is no
// class, a constructor that throws).
TEST(DecodedActions, APushRunTogetherWithTheNewObjectItFeedsGivesWhatTheyGiveOneByOne) {
  const auto integer = PushedInteger;
  const std::vector<std::string> pool = {"Pair", "2", "Nothing", "Fails"};
  const auto text = PoolText(pool);
  const Bytes reg = Pushed([](ActionWriter& w) { w.PushRegister(1); });
  const std::vector<std::vector<Bytes>> constructions = {
      {integer(4), reg, integer(2), text("Pair")},
      {integer(4), integer(5), text("2"), text("Pair")},
      {integer(6), integer(9), text("Pair")},
      {integer(1), integer(0), text("Nothing")},
      {integer(0), text("Fails")},
  };
  const auto program = [&](bool together) {
    // function Pair(a, b) { this.s = a + b; }
    ActionWriter pair;
    pair.PushString("this").Op(Op::GetVariable).PushString("s");
    pair.PushString("a").Op(Op::GetVariable).PushString("b").Op(Op::GetVariable).Op(Op::Add2).Op(Op::SetMember);
    ActionWriter fails;
    fails.PushString("boom").Op(Op::Throw);
    ActionWriter w;
    w.ConstantPool(pool).DefineFunction("Pair", {"a", "b"}, pair).DefineFunction("Fails", {}, fails);
    w.PushInteger(3).StoreRegister(1).Op(Op::Pop);
    for (const std::vector<Bytes>& construction : constructions) {
      PushValues(w, construction, together);
      w.Op(Op::NewObject).StoreRegister(2).Op(Op::Trace).PushRegister(2).PushString("s").Op(Op::GetMember);
      w.Op(Op::Trace);
    }
    return w.Build();
  };
  EXPECT_EQ(TracesBothWays(program), (std::vector<std::string>{"[object Object]", "7", "[object Object]", "9",
                                                        "[object Object]", "NaN", "undefined", "undefined",
                                                        "Warning: Uncaught exception, boom"}));
}

// Names of the built-ins and of constant pools share one text each, up to a
// cap; a name past it is a text of its own and matches all the same.
TEST(ScriptNames, NamesPastTheCapAreTextsOfTheirOwnThatStillMatch) {
  ScriptRuntime rt(8);
  EXPECT_EQ(rt.Name("push").StringRep(), rt.Name("push").StringRep());
  for (std::size_t i = 0; i < ScriptRuntime::MaxNames; ++i) rt.Name("n" + std::to_string(i));
  const ActionValue late = rt.Name("late");
  EXPECT_EQ(late.StringValue(), "late");
  EXPECT_NE(late.StringRep(), rt.Name("late").StringRep());
  ScriptObject* object = rt.NewObject();
  ASSERT_NE(object, nullptr);
  ASSERT_TRUE(object->Properties().Set(late, ActionValue::Number(1)));
  EXPECT_NE(object->Properties().FindEntry(*rt.Name("late").StringRep()), nullptr);
}

}  // namespace
}  // namespace Halvane::Movie
