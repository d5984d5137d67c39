#include <gtest/gtest.h>

#include <cmath>

#include "movie/actions/ActionCodes.h"
#include "movie/actions/ExternalCall.h"
#include "movie/actions/ScriptRuntime.h"
#include "tests/movie_actions/FakeTimeline.h"
#include "tools/ActionWriter.h"

namespace Halvane::Movie {
namespace {

using Testing::FakeTimeline;
using Tools::ActionWriter;
namespace Op = ActionCode;

TEST(ParseInvokeRequest, ReadsNameAndEveryArgumentKind) {
  InvokeRequest request;
  ASSERT_TRUE(ParseInvokeRequest(
      "<invoke name=\"f&amp;g\" returntype=\"xml\"><arguments>"
      "<string>a &lt;b&gt; &quot;c&quot; &apos;d&apos; &#65;&#x65E5;</string>"
      "<number>-1.5e2</number><true/><false/><null/><undefined/><string/>"
      "<number> 7 </number><number>NaN</number></arguments></invoke>",
      request));
  EXPECT_EQ(request.name, "f&g");
  ASSERT_EQ(request.arguments.size(), 9u);
  EXPECT_EQ(request.arguments[0].StringValue(), "a <b> \"c\" 'd' A\xE6\x97\xA5");
  EXPECT_EQ(request.arguments[1].NumberValue(), -150);
  EXPECT_TRUE(request.arguments[2].BooleanValue());
  EXPECT_EQ(request.arguments[3].Type(), ActionValueType::Boolean);
  EXPECT_FALSE(request.arguments[3].BooleanValue());
  EXPECT_TRUE(request.arguments[4].IsNull());
  EXPECT_TRUE(request.arguments[5].IsUndefined());
  EXPECT_EQ(request.arguments[6].StringValue(), "");
  EXPECT_EQ(request.arguments[7].NumberValue(), 7);
  EXPECT_TRUE(std::isnan(request.arguments[8].NumberValue()));
}

TEST(ParseInvokeRequest, AcceptsTheLooserShapesHostsSend) {
  const char* accepted[] = {
      "<invoke name=\"f\" returntype=\"xml\"><arguments></arguments></invoke>",
      "<invoke name='f'/>",
      "<invoke name=\"f\"></invoke>",
      "<invoke returntype=\"xml\" name=\"f\"><arguments/></invoke>",
      "  <?xml version=\"1.0\"?>\n<invoke name=\"f\">\n  <arguments>\n    <true/>\n  </arguments>\n</invoke>\n",
  };
  for (const char* text : accepted) {
    InvokeRequest request;
    EXPECT_TRUE(ParseInvokeRequest(text, request)) << text;
    EXPECT_EQ(request.name, "f") << text;
  }
}

TEST(ParseInvokeRequest, RefusesMalformedRequests) {
  const char* refused[] = {
      "",
      "garbage",
      "<invoke>",
      "<invoke name=\"\"/>",
      "<invoke returntype=\"xml\"/>",
      "<invoke name=\"f\" name=\"g\"/>",
      "<invoke name=\"f\" other=\"1\"/>",
      "<invoke name=\"f\"",
      "<invoke name=\"f><arguments/></invoke>",
      "<invoke name=f/>",
      "<invoke name=\"f\"><arguments></invoke>",
      "<invoke name=\"f\"><arguments></arguments>",
      "<invoke name=\"f\"><arguments></arguments></invoke>trailing",
      "<call name=\"f\"/>",
      "<invoke name=\"f\"><arguments><array><property id=\"0\"><true/></property></array></arguments></invoke>",
      "<invoke name=\"f\"><arguments><object/></arguments></invoke>",
      "<invoke name=\"f\"><arguments><string>a</number></arguments></invoke>",
      "<invoke name=\"f\"><arguments><string>a &bogus; b</string></arguments></invoke>",
      "<invoke name=\"f\"><arguments><string>a & b</string></arguments></invoke>",
      "<invoke name=\"f\"><arguments><string>&#0;</string></arguments></invoke>",
      "<invoke name=\"f\"><arguments><string>&#xD800;</string></arguments></invoke>",
      "<invoke name=\"f\"><arguments><string>&#x110000;</string></arguments></invoke>",
      "<invoke name=\"f\"><arguments><string>unterminated",
      "<invoke name=\"f\"><arguments><number>12abc</number></arguments></invoke>",
      "<invoke name=\"f\"><arguments><number/></arguments></invoke>",
      "<invoke name=\"f\"><arguments><number>0x10</number></arguments></invoke>",
      "<invoke name=\"f\"><arguments><true x=\"1\"/></arguments></invoke>",
      "<invoke name=\"f\"><arguments><true>",
      "<invoke name=\"f\"><arguments>text</arguments></invoke>",
      "<?xml version=\"1.0\"",
  };
  for (const char* text : refused) {
    InvokeRequest request;
    request.name = "kept";
    EXPECT_FALSE(ParseInvokeRequest(text, request)) << text;
    EXPECT_EQ(request.name, "kept") << text;
  }
}

TEST(ParseInvokeRequest, RefusesTooManyArguments) {
  std::string text = "<invoke name=\"f\"><arguments>";
  for (int i = 0; i < 257; ++i) text += "<null/>";
  text += "</arguments></invoke>";
  InvokeRequest request;
  EXPECT_FALSE(ParseInvokeRequest(text, request));
}

TEST(EncodeInvokeResult, EncodesEachValueKind) {
  EXPECT_EQ(EncodeInvokeResult(ActionValue::String("a<b>&c"), 8), "<string>a&lt;b&gt;&amp;c</string>");
  EXPECT_EQ(EncodeInvokeResult(ActionValue::Number(0.1 + 0.2), 8), "<number>0.3</number>");
  EXPECT_EQ(EncodeInvokeResult(ActionValue::Number(-3), 8), "<number>-3</number>");
  EXPECT_EQ(EncodeInvokeResult(ActionValue::Boolean(true), 8), "<true/>");
  EXPECT_EQ(EncodeInvokeResult(ActionValue::Boolean(false), 8), "<false/>");
  EXPECT_EQ(EncodeInvokeResult(ActionValue::Null(), 8), "<null/>");
  EXPECT_EQ(EncodeInvokeResult(ActionValue(), 8), "<undefined/>");
  Testing::FakeTimeline root("", 1, true);
  ScriptRuntime runtime(8);
  EXPECT_EQ(EncodeInvokeResult(ActionValue::Object(runtime.ClipOf(root.AddChild("a"))), 8),
            "<string>_level0.a</string>");
  EXPECT_EQ(EncodeInvokeResult(ActionValue::Object(runtime.NewObject()), 8), "<undefined/>");
}

// A movie whose first frame registers "greet" (joins "Hello, " and its
// argument) and "count" (adds one to _root.calls and answers it) the way
// compiled movies do: flash.external.ExternalInterface, then addCallback.
struct CallbackMovie {
  explicit CallbackMovie(bool dottedName = false) {
    context.swfVersion = 8;
    context.callbacks = &callbacks;
    ActionWriter greet;
    greet.PushString("Hello, ").PushString("who").Op(Op::GetVariable).Op(Op::Add2).Op(Op::Return);
    ActionWriter count;
    count.PushString("_root.calls").PushString("_root.calls").Op(Op::GetVariable).Op(Op::Increment);
    count.Op(Op::SetVariable).PushString("_root.calls").Op(Op::GetVariable).Op(Op::Return);
    ActionWriter spin;
    spin.Label("top").Jump("top");

    ActionWriter w;
    w.PushString("calls").PushInteger(0).Op(Op::SetVariable);
    const auto externalInterface = [&] {
      if (dottedName) {
        w.PushString("flash.external.ExternalInterface").Op(Op::GetVariable);
      } else {
        w.PushString("flash").Op(Op::GetVariable).PushString("external").Op(Op::GetMember);
        w.PushString("ExternalInterface").Op(Op::GetMember);
      }
    };
    const auto addCallback = [&](const char* name, const ActionWriter& body, std::vector<std::string> params) {
      w.DefineFunction("", params, body).PushNull().PushString(name).PushInteger(3);
      externalInterface();
      w.PushString("addCallback").Op(Op::CallMethod).Op(Op::Trace);
    };
    addCallback("greet", greet, {"who"});
    addCallback("count", count, {});
    addCallback("spin", spin, {});
    // Not a function: refused.
    w.PushInteger(5).PushNull().PushString("bad").PushInteger(3);
    externalInterface();
    w.PushString("addCallback").Op(Op::CallMethod).Op(Op::Trace);
    context.trace = [this](const std::string& t) { traces.push_back(t); };
    const Tools::Bytes code = w.Build();
    result = RunActions(code.data(), code.size(), root, context);
  }

  FakeTimeline root{"", 1, true};
  ExternalCallbacks callbacks;
  ActionContext context;
  std::vector<std::string> traces;
  ActionRunResult result;
};

TEST(InvokeExternal, CallsWhatTheMovieRegistered) {
  for (const bool dotted : {false, true}) {
    CallbackMovie movie(dotted);
    ASSERT_EQ(movie.result, ActionRunResult::Completed);
    EXPECT_EQ(movie.traces, (std::vector<std::string>{"true", "true", "true", "false"}));
    EXPECT_EQ(movie.callbacks.Count(), 3u);

    std::string response;
    ASSERT_TRUE(InvokeExternal(
        "<invoke name=\"greet\" returntype=\"xml\"><arguments><string>Ann &amp; Bo</string></arguments></invoke>",
        movie.root, movie.context, response));
    EXPECT_EQ(response, "<string>Hello, Ann &amp; Bo</string>");
    ASSERT_TRUE(InvokeExternal("<invoke name=\"count\" returntype=\"xml\"><arguments/></invoke>", movie.root,
                               movie.context, response));
    ASSERT_TRUE(InvokeExternal("<invoke name=\"count\" returntype=\"xml\"><arguments/></invoke>", movie.root,
                               movie.context, response));
    EXPECT_EQ(response, "<number>2</number>");
  }
}

TEST(InvokeExternal, UnregisteredOrMalformedCallsFailAndChangeNothing) {
  CallbackMovie movie;
  const char* failing[] = {
      "<invoke name=\"missing\" returntype=\"xml\"><arguments/></invoke>",
      "<invoke name=\"Greet\" returntype=\"xml\"><arguments/></invoke>",  // names keep their case
      "<invoke name=\"bad\" returntype=\"xml\"><arguments/></invoke>",
      "<invoke name=\"count\" returntype=\"xml\"><arguments><object/></arguments></invoke>",
      "not a request",
  };
  for (const char* request : failing) {
    std::string response = "unchanged";
    EXPECT_FALSE(InvokeExternal(request, movie.root, movie.context, response)) << request;
    EXPECT_EQ(response, "unchanged") << request;
  }
  EXPECT_EQ(movie.root.Variables().Find("calls")->NumberValue(), 0);

  ActionContext noTable;
  std::string response = "unchanged";
  EXPECT_FALSE(InvokeExternal("<invoke name=\"count\"/>", movie.root, noTable, response));
  EXPECT_EQ(response, "unchanged");
}

TEST(InvokeExternal, EndlessCallbackEndsOnItsOwnBudget) {
  CallbackMovie movie;
  movie.context.instructionBudget = 17;  // what the frame had left
  std::string response;
  ASSERT_TRUE(InvokeExternal("<invoke name=\"spin\"/>", movie.root, movie.context, response));
  EXPECT_EQ(response, "<undefined/>");
  EXPECT_EQ(movie.context.instructionBudget, 17u);
}

}  // namespace
}  // namespace Halvane::Movie
