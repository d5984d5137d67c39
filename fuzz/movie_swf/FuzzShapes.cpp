// Arbitrary bytes as the body of a shape tag: byte 0 picks the tag
// (DefineShape 1 to 4, DefineMorphShape 1 and 2), the rest is its body. The
// reader either leaves the definition out or reads records; records it reads
// the writer writes back into bytes that read as the same records, unless
// the writer refuses them (what no file can say).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

#include "movie/swf/SwfParser.h"
#include "tools/ShapeWriter.h"
#include "tools/SwfWriter.h"

using namespace Halvane;

namespace {

constexpr std::uint16_t kCodes[] = {2, 22, 32, 83, 46, 84};

std::unique_ptr<Movie::MovieDefinition> ParseOne(std::uint16_t code, const Tools::Bytes& body) {
  const Tools::Bytes file = Tools::SwfBuilder().AddTag(code, body).ShowFrame().End().Build();
  Movie::ParseLimits limits;
  limits.maxShapeElements = 1u << 16;
  return Movie::ParseMovie(file.data(), file.size(), limits);
}

// Writes definition back (unless the writer refuses it) and reads it
// again; records that differ are a fault.
template <class Definition, class Write, class Find>
void CheckWritesBack(const Definition& definition, std::uint16_t code, Write write, Find find) {
  Tools::Bytes again;
  try {
    again = write(definition);
  } catch (const std::invalid_argument&) {
    return;
  }
  auto reread = ParseOne(code, again);
  if (!reread) std::abort();
  const Definition* found = find(*reread, definition.id);
  if (found == nullptr || !(*found == definition)) std::abort();
}

template <class Map>
auto Lookup(const Map& map, std::uint16_t id) -> decltype(map.begin()->second.get()) {
  const auto it = map.find(id);
  return it == map.end() ? nullptr : it->second.get();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > (1u << 16)) return 0;
  const std::uint16_t code = kCodes[data[0] % 6];
  auto movie = ParseOne(code, Tools::Bytes(data + 1, data + size));
  if (!movie) std::abort();  // the movie around the tag is always well-formed
  for (const auto& [id, shape] : movie->shapes) {
    CheckWritesBack(*shape, Tools::DefineShapeCode(shape->version), Tools::DefineShapeTag,
                    [](const Movie::MovieDefinition& m, std::uint16_t i) { return Lookup(m.shapes, i); });
  }
  for (const auto& [id, morph] : movie->morphShapes) {
    CheckWritesBack(*morph, Tools::DefineMorphShapeCode(morph->version), Tools::DefineMorphShapeTag,
                    [](const Movie::MovieDefinition& m, std::uint16_t i) { return Lookup(m.morphShapes, i); });
  }
  return 0;
}
