// The shapes of the movies made with authoring tools: every one reads whole
// into records, with nothing left over, and the writer writes it back into
// bytes that read as the same records.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "movie/swf/MovieFile.h"
#include "movie/swf/SwfParser.h"
#include "tools/ShapeWriter.h"
#include "tools/SwfWriter.h"

namespace Halvane::Movie {
namespace {

using Tools::Bytes;

struct Reference {
  const char* folder;
  std::size_t shapes;
  bool nonZeroWinding;  // some shape fills by the non-zero rule
  bool focalGradient;
  bool filledLine;
  bool newStyles;
};

const Reference kReferences[] = {
    {"gradient_nonsequential_ratios", 1, false, false, false, false},
    {"gradient_same_ratios", 1, false, false, false, false},
    {"gradients_focal_radial", 1, false, true, false, false},
    {"gradients_gradients", 1, false, false, false, false},
    {"gradients_radial", 1, false, false, false, false},
    {"layers", 2, false, false, true, false},
    {"masks", 6, false, false, false, true},
    {"overlaps", 1, false, false, false, false},
    {"strokes_scale", 6, false, false, false, false},
    {"winding_rule", 2, true, false, false, false},
};

std::unique_ptr<MovieDefinition> ReadReference(const char* folder) {
  std::ifstream in(std::string(VM_TEST_DATA_DIR "/visual/") + folder + "/movie.swf",
                   std::ios::binary);
  const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Bytes plain;
  if (!UncompressMovie(file, plain)) return nullptr;
  return ParseMovie(plain.data(), plain.size());
}

TEST(ReferenceShapes, EveryShapeReadsWholeAndWritesBackToTheSameRecords) {
  for (const Reference& r : kReferences) {
    SCOPED_TRACE(r.folder);
    auto movie = ReadReference(r.folder);
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->outcome, ParseOutcome::Complete);
    EXPECT_TRUE(movie->malformedShapes.empty());
    EXPECT_TRUE(movie->shapesWithTrailingBytes.empty());
    EXPECT_EQ(movie->shapes.size(), r.shapes);

    bool nonZero = false, focal = false, filledLine = false, newStyles = false;
    for (const auto& [id, shape] : movie->shapes) {
      SCOPED_TRACE(id);
      EXPECT_FALSE(shape->records.empty());
      nonZero = nonZero || shape->NonZeroWinding();
      for (const FillStyle& f : shape->styles.fills) {
        focal = focal || f.kind == FillKind::FocalRadialGradient;
      }
      for (const LineStyle& l : shape->styles.lines) filledLine = filledLine || l.fill.has_value();
      for (const ShapeRecord& rec : shape->records) newStyles = newStyles || rec.newStyles.has_value();

      const Bytes again = Tools::SwfBuilder()
                              .AddTag(Tools::DefineShapeCode(shape->version), Tools::DefineShapeTag(*shape))
                              .ShowFrame()
                              .End()
                              .Build();
      auto reread = ParseMovie(again.data(), again.size());
      ASSERT_TRUE(reread);
      ASSERT_EQ(reread->shapes.count(id), 1u);
      EXPECT_TRUE(*reread->shapes.at(id) == *shape);
    }
    EXPECT_EQ(nonZero, r.nonZeroWinding);
    EXPECT_EQ(focal, r.focalGradient);
    EXPECT_EQ(filledLine, r.filledLine);
    EXPECT_EQ(newStyles, r.newStyles);
  }
}

}  // namespace
}  // namespace Halvane::Movie
