// The bodies of the shape tags (DefineShape 1 to 4, DefineMorphShape 1 and
// 2) into typed records: styles, gradients and shape records, every field
// bounds-checked and every allocation paid from a budget, so that no input
// can make the reader keep more than the budget allows.
#pragma once

#include <cstddef>
#include <vector>

#include "movie/swf/SwfReader.h"
#include "movie/swf/SwfRecords.h"

namespace Halvane::Movie {

// What the shapes of one movie may cost: each fill style, line style,
// gradient stop and shape record takes one unit.
class ShapeBudget {
 public:
  explicit ShapeBudget(std::size_t units) : left_(units) {}
  bool Take() {
    if (left_ == 0) {
      exhausted_ = true;
      return false;
    }
    --left_;
    return true;
  }
  bool Exhausted() const { return exhausted_; }

 private:
  std::size_t left_;
  bool exhausted_ = false;
};

// Reads a DefineShape body of form version (1 to 4) from r into shape.
// False, with shape unspecified, when the body is malformed (cut short, an
// unknown fill type, new style arrays in the first form) or the budget runs
// out (budget.Exhausted() then tells). On success r stands after the end
// record; what remains in r are bytes the shape does not use.
bool ReadShapeDefinition(SwfReader& r, int version, ShapeBudget& budget, ShapeDefinition& shape);

// The same for a DefineMorphShape body of form version (1 or 2). The end
// edges are read where the body's offset field says; an offset that points
// back into the start edges or past the body is malformed, and an offset of
// 0 stands for "right after the start edges".
bool ReadMorphShapeDefinition(SwfReader& r, int version, ShapeBudget& budget,
                              MorphShapeDefinition& morph);

// A glyph's SHAPE (fonts): bit counts and records with one fill and no
// lines, without style arrays. False when malformed or the budget runs out.
bool ReadGlyphShape(SwfReader& r, ShapeBudget& budget, std::vector<ShapeRecord>& records);

}  // namespace Halvane::Movie
