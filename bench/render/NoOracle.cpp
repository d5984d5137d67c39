#include "Oracle.h"

namespace Halvane::Movie::Render::Bench {

std::unique_ptr<Oracle> MakeOracle() { return nullptr; }

}  // namespace Halvane::Movie::Render::Bench
