// What the classes of flash.geom offer the other built-ins of version 8
// movies (BitmapData reads rectangles, points and colour transforms and
// answers new ones). Internal to the actions layer.
#pragma once

#include <initializer_list>
#include <memory>

#include "movie/actions/BuiltinSupport.h"

namespace Halvane::Movie {
class BitmapPixels;
}

namespace Halvane::Movie::Builtins {

enum class GeometryClass { Point, Rectangle, Matrix, ColorTransform, Transform };

// The package flash.<name> (an object on the global flash object), made on
// first use; null when there is no flash object.
ScriptObject* FlashPackage(ScriptRuntime& rt, const char* name);

// The class and its prototype as installed (a script replacing
// flash.geom.Point does not change what the built-ins make).
ScriptObject* GeometryConstructor(ScriptRuntime& rt, GeometryClass which);
ScriptObject* GeometryProto(ScriptRuntime& rt, GeometryClass which);

// A new instance with its fields in the order of the constructor's
// parameters (x, y; x, y, width, height; a, b, c, d, tx, ty; the
// multipliers, then the offsets). Undefined when the heap is full.
ActionValue NewGeometry(NativeCall& c, GeometryClass which, std::initializer_list<ActionValue> fields);

// flash.display.BitmapData (BuiltinBitmapData.cpp); InstallGeometry calls it.
void InstallBitmapData(ScriptRuntime& rt);
// The pixels of a BitmapData for a clip to show (attachBitmap), shared so
// that later drawing shows and a dispose empties them; null for anything
// that is no live bitmap.
std::shared_ptr<const BitmapPixels> ShownPixels(const ActionValue& bitmap);
// flash.geom.Transform and the clips' transform property
// (BuiltinTransform.cpp), with the prototype InstallGeometry made for it.
void InstallTransform(ScriptRuntime& rt, ScriptObject* geom, ScriptObject* proto);
// flash.filters (BuiltinFilters.cpp); InstallGeometry calls it.
void InstallFilters(ScriptRuntime& rt);

// A member of an object as a script reads it; undefined for primitives.
ActionValue ObjectMember(NativeCall& c, const ActionValue& object, const char* name);
double ObjectNumber(NativeCall& c, const ActionValue& object, const char* name);
// Assigns a member of an object; nothing for primitives.
void SetObjectMember(NativeCall& c, const ActionValue& object, const char* name, ActionValue value);

}  // namespace Halvane::Movie::Builtins
