// The movie file inflated as the player splices it: the stored form as it
// is, the compressed one inflated up to its declared length.
#include <gtest/gtest.h>

#include "movie/swf/MovieFile.h"
#include "movie/swf/SwfParser.h"
#include "tools/SwfTags.h"
#include "tools/SwfWriter.h"

namespace Halvane::Movie {
namespace {

using namespace Halvane::Tools;

Bytes ThreeFrames() {
  SwfBuilder b;
  b.AddTag(kDefineShapeTag, DefineShape(1, 20, 20));
  b.ShowFrame().ShowFrame().ShowFrame().End();
  return b.Body();
}

TEST(MovieFile, CompressedMoviesInflateToTheStoredForm) {
  const Bytes body = ThreeFrames();
  const Bytes stored = MakeSwfFile(body, 9, false);
  Bytes out;
  ASSERT_TRUE(UncompressMovie(MakeSwfFile(body, 9, true), out));
  EXPECT_EQ(out, stored);
  ASSERT_TRUE(UncompressMovie(stored, out));
  EXPECT_EQ(out, stored);

  // A body cut short gives the movie up to the cut; the reader then reads
  // what is there.
  Bytes cut = MakeSwfFile(body, 9, true);
  cut.resize(cut.size() - 6);
  ASSERT_TRUE(UncompressMovie(cut, out));
  EXPECT_LT(out.size(), stored.size());
  EXPECT_TRUE(std::equal(out.begin(), out.end(), stored.begin()));
  auto movie = ParseMovie(out.data(), out.size());
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->shapes.count(1), 1u);

  // A declared length shorter than the body stops the inflating there.
  ASSERT_TRUE(UncompressMovie(MakeSwfFile(body, 9, true, 20), out));
  EXPECT_EQ(out.size(), 20u);
}

TEST(MovieFile, RefusesWhatIsNoMovieOrTooLarge) {
  const Bytes body = ThreeFrames();
  struct Case {
    const char* what;
    Bytes file;
  } cases[] = {
      {"seven bytes", Bytes{'C', 'W', 'S', 9, 8, 0, 0}},
      {"another signature", MakeSwfFile(body, 9, false, -1)},
      {"declared length below its header", MakeSwfFile(body, 9, true, 7)},
      {"declared length over the cap", MakeSwfFile(body, 9, true, kMaxMovieBytes + 1)},
  };
  cases[1].file[0] = 'Z';
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes out{1, 2, 3};
    EXPECT_FALSE(UncompressMovie(c.file, out));
  }
}

}  // namespace
}  // namespace Halvane::Movie
