// Draw composes the movie's frame into the host's screen: only the movie's
// rectangle is written, where the movie is transparent the host's picture
// stays, the rectangle is cut at every edge of the screen, and nothing is
// written while the movie is hidden or none is open.
#include <algorithm>
#include <string>
#include <vector>

#include "TestHost.h"
#include "movie/swf/SwfRecords.h"
#include "support/TempFolder.h"
#include "tools/ShapeWriter.h"
#include "tools/SwfTags.h"
#include "tools/SwfWriter.h"

namespace Halvane::VlmPlugIn::Testing {
namespace {

constexpr int kScreenWidth = 200;
constexpr int kScreenHeight = 150;
constexpr int kStride = (kScreenWidth * 3 + 3) & ~3;  // 600: no padding

// A 100 x 80 stage whose left half is an opaque red rectangle; the right
// half is transparent.
Tools::Bytes HalfRedMovie() {
  Movie::ShapeDefinition shape;
  shape.id = 1;
  shape.version = 3;
  shape.bounds = Movie::TwipsRect{0, 50 * 20, 0, 80 * 20};
  shape.edgeBounds = shape.bounds;
  Movie::FillStyle red;
  red.color = Movie::Rgba{255, 0, 0, 255};
  shape.styles.fills = {red};
  Movie::ShapeRecord start = Tools::MoveTo(0, 0);
  start.fillStyle1 = 1;
  shape.records = {start, Tools::LineBy(50 * 20, 0), Tools::LineBy(0, 80 * 20),
                   Tools::LineBy(-50 * 20, 0), Tools::LineBy(0, -80 * 20)};
  Tools::SwfBuilder movie;
  movie.SetVersion(8).SetFrameSize(100 * 20, 80 * 20).SetFrameRate(12);
  movie.AddTag(Tools::DefineShapeCode(3), Tools::DefineShapeTag(shape));
  movie.AddTag(Tools::kPlaceObject2Tag, Tools::PlaceObject2(Tools::PlaceCharacter(1, 1)));
  return movie.ShowFrame().End().Build();
}

class CompositingTest : public PlugInTest {
 protected:
  void SetUp() override {
    PlugInTest::SetUp();
    Host().screenWidth = kScreenWidth;
    Host().screenHeight = kScreenHeight;
    screen.resize(static_cast<std::size_t>(kStride) * kScreenHeight);
    // Every pixel of the host's picture tells where it is.
    for (int y = 0; y < kScreenHeight; ++y) {
      for (int x = 0; x < kScreenWidth; ++x) {
        std::uint8_t* p = Pixel(x, y);
        p[0] = static_cast<std::uint8_t>(x);
        p[1] = static_cast<std::uint8_t>(y);
        p[2] = 7;
      }
    }
    before = screen;
  }

  std::uint8_t* Pixel(int x, int y) {
    return &screen[static_cast<std::size_t>(kScreenHeight - 1 - y) * kStride + x * 3];
  }

  void OpenMovie() {
    const std::string path = folder.Write("half.swf", HalfRedMovie());
    std::string argument;
    for (char c : path) argument += (c == '\\' ? "\\\\" : std::string(1, c));
    std::int32_t intResult = 0;
    Send(("SwfOpen('" + argument + "')").c_str(), &intResult);
    ASSERT_EQ(intResult, 1);
    Send("SwfResize(100,80)", &intResult);  // the stage drawn 1:1
  }

  // Checks every pixel: red inside the movie's red half as it lands on the
  // screen (movie at x0, y0, its red half 50 x 80 pixels), the host's own
  // picture everywhere else.
  void ExpectRedHalfAt(int x0, int y0, int redWidth, int redHeight) {
    for (int y = 0; y < kScreenHeight; ++y) {
      for (int x = 0; x < kScreenWidth; ++x) {
        const bool red = x >= x0 && x < x0 + redWidth && y >= y0 && y < y0 + redHeight;
        const std::uint8_t* p = Pixel(x, y);
        if (red) {
          ASSERT_TRUE(p[0] == 0 && p[1] == 0 && p[2] == 255) << x << "," << y;
        } else {
          ASSERT_TRUE(p[0] == static_cast<std::uint8_t>(x) && p[1] == static_cast<std::uint8_t>(y) &&
                      p[2] == 7)
              << x << "," << y;
        }
      }
    }
  }

  std::vector<std::uint8_t> screen;
  std::vector<std::uint8_t> before;
  Halvane::Testing::TempFolder folder;
};

TEST_F(CompositingTest, MovieIsComposedAtItsPlaceAndTransparentPartsKeepTheHostsPicture) {
  OpenMovie();
  Send("SwfMove(20,30)");
  ::Draw(screen.data(), 0);
  ExpectRedHalfAt(20, 30, 50, 80);
}

TEST_F(CompositingTest, MoviePartlyOffEveryEdgeIsCutThere) {
  OpenMovie();
  struct Place {
    int x, y;
  };
  for (const Place& place : {Place{-30, -20}, Place{170, 100}, Place{-10, 120}, Place{160, -60}}) {
    screen = before;
    Send(("SwfMove(" + std::to_string(place.x) + "," + std::to_string(place.y) + ")").c_str());
    ::Draw(screen.data(), 0);
    SCOPED_TRACE(std::to_string(place.x) + "," + std::to_string(place.y));
    // The copies move a negative origin to 0 without shortening the
    // rectangle: what the screen shows of a movie partly off its top or left
    // edge is the part that starts at the screen's edge.
    const int x0 = place.x < 0 ? 0 : place.x;
    const int y0 = place.y < 0 ? 0 : place.y;
    const int right = std::min(place.x + 50, kScreenWidth);
    const int bottom = std::min(place.y + 80, kScreenHeight);
    ExpectRedHalfAt(x0, y0, std::max(0, right - x0), std::max(0, bottom - y0));
  }
}

TEST_F(CompositingTest, MovieLargerThanTheScreenIsCutToIt) {
  OpenMovie();
  Send("SwfResize(400,320)");  // the 100 x 80 stage at four times its size
  ::Draw(screen.data(), 0);
  ExpectRedHalfAt(0, 0, kScreenWidth, kScreenHeight);  // red from 0 to 200 in both
}

TEST_F(CompositingTest, HiddenMovieOrNoMovieWritesNothing) {
  ::Draw(screen.data(), 0);  // set up, no movie
  EXPECT_EQ(screen, before);
  OpenMovie();
  Send("SwfHide()");
  ::Draw(screen.data(), 0);
  EXPECT_EQ(screen, before);
  Send("SwfShow()");
  Send("SwfClose()");
  ::Draw(screen.data(), 0);
  EXPECT_EQ(screen, before);
}

}  // namespace
}  // namespace Halvane::VlmPlugIn::Testing
