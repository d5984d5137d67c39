// The block both threads share: its reset values and how it holds the
// shared strings.
#include <gtest/gtest.h>

#include "activex/SharedState.h"

namespace Halvane::ActiveX {
namespace {

void ExpectResetValues(SharedState& s) {
  EXPECT_EQ(s.LoadLastResult(), 0);
  EXPECT_EQ(s.LoadFileName(), "");
  EXPECT_EQ(s.LoadSourceOffset(), 0);
  EXPECT_EQ(s.LoadSourceSize(), 0);
  EXPECT_EQ(s.LoadPlaying(), 0);
  EXPECT_EQ(s.LoadDrawDC(), nullptr);
  EXPECT_EQ(s.LoadDrawX() | s.LoadDrawY() | s.LoadDrawWidth() | s.LoadDrawHeight(), 0);
  EXPECT_EQ(s.LoadWidth() | s.LoadHeight() | s.LoadQuality(), 0);
  EXPECT_EQ(s.LoadTotalFrames() | s.LoadFrameNumber(), 0);
  EXPECT_EQ(s.LoadLoop(), 1);
  for (const SharedWideString& empty :
       {s.LoadVariableName(), s.LoadVariableValue(), s.LoadCallRequest(), s.LoadCallResponse(),
        s.LoadFlashVars()}) {
    EXPECT_FALSE(empty.IsNull()) << "an empty string, not a null one";
    ASSERT_NE(empty.Bstr(), nullptr);
    EXPECT_EQ(empty.Length(), 0u);
  }
}

TEST(SharedState, ResetGivesLoopOneEveryOtherNumberZeroAndFiveEmptyStrings) {
  SharedState state;
  {
    SCOPED_TRACE("constructed");
    ExpectResetValues(state);
  }
  state.StoreLastResult(E_FAIL);
  state.StoreOpenRequest("movie.swf", 10, 20);
  state.StorePlaying(1);
  state.StoreDrawRequest(reinterpret_cast<HDC>(0x1234), 1, 2, 3, 4);
  state.StoreWidth(5);
  state.StoreHeight(6);
  state.StoreQuality(1);
  state.StoreLoop(0);
  state.StoreTotalFrames(7);
  state.StoreFrameNumber(8);
  const SharedWideString text = SharedWideString::FromText(u"text");
  state.StoreVariableName(text);
  state.StoreVariableValue(text);
  state.StoreCallRequest(text);
  state.StoreCallResponse(text);
  state.StoreFlashVars(text);
  EXPECT_EQ(state.LoadFileName(), "movie.swf");
  EXPECT_EQ(state.LoadDrawHeight(), 4);
  EXPECT_EQ(text.UseCount(), 6);
  state.Reset();
  {
    SCOPED_TRACE("reset");
    ExpectResetValues(state);
  }
  EXPECT_EQ(text.UseCount(), 1) << "Reset let go of every reference it held";
}

TEST(SharedState, StoringAnotherStringReleasesThePreviousOneExactlyOnce) {
  SharedState state;
  const SharedWideString first = SharedWideString::FromText(u"first");
  const SharedWideString second = SharedWideString::FromText(u"second");
  state.StoreVariableName(first);
  EXPECT_EQ(first.UseCount(), 2) << "stored by reference, not copied";
  EXPECT_EQ(state.LoadVariableName().Bstr(), first.Bstr());

  const SharedWideString loaded = state.LoadVariableName();
  EXPECT_EQ(first.UseCount(), 3);
  state.StoreVariableName(second);
  EXPECT_EQ(first.UseCount(), 2) << "the stored reference dropped once";
  EXPECT_EQ(loaded.Text(), u"first") << "a loaded reference outlives a later store";
  EXPECT_EQ(second.UseCount(), 2);
}

TEST(SharedWideString, CopiesShareTheTextAndANullBstrIsAdoptedAsTheEmptyText) {
  SharedWideString a = SharedWideString::FromText(u"\u3042\u3044");
  {
    SharedWideString b = a;
    SharedWideString c;
    c = b;
    EXPECT_EQ(c.Bstr(), a.Bstr());
    EXPECT_EQ(a.UseCount(), 3);
    const SharedWideString& same = c;
    c = same;  // assigning a string to itself keeps its reference
    EXPECT_EQ(a.UseCount(), 3);
  }
  EXPECT_EQ(a.UseCount(), 1);
  EXPECT_EQ(a.Text(), u"\u3042\u3044");

  const SharedWideString none = SharedWideString::Adopt(nullptr);
  ASSERT_FALSE(none.IsNull());
  EXPECT_EQ(none.Length(), 0u);
  const OLECHAR units[] = {'a', 0, 'b'};
  EXPECT_EQ(SharedWideString::FromUnits(units, 3).Text(), std::u16string(u"a\0b", 3));
}

}  // namespace
}  // namespace Halvane::ActiveX
