// The display properties scripts read and write (_x, _y, _xscale, _yscale,
// _rotation, _alpha, _visible, _width, _height) as they live in a display
// object's placement: the matrix, the colour transform, the visibility.
// Shared by timelines and text fields.
#pragma once

#include "movie/actions/ActionTarget.h"

namespace Halvane::Movie {

struct DisplayObject;

// localBounds: the bounds of what the object shows in its own space, twips
// (xMin, yMin, xMax, yMax); null when it shows nothing (then _width and
// _height are 0 and cannot be set). swfVersion is the version of the movie
// that holds the object: it decides how _width and _height round the
// transformed corners to whole twips.
double ReadPlacementProperty(const DisplayObject& object, TargetProperty property, const double* localBounds,
                             int swfVersion = 8);
void WritePlacementProperty(DisplayObject& object, TargetProperty property, double value,
                            const double* localBounds, int swfVersion = 8);

}  // namespace Halvane::Movie
