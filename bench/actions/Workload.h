// The script workload of bench_actions: a movie whose first frame defines
// bench(n) and the helpers it calls, and registers bench for external calls.
// bench loops over numbers, builds, sums, sorts and joins an array, builds a
// string and searches and splits it, creates objects and reads, writes and
// enumerates their properties, and calls a closure and a method reached
// through a prototype, n times each; it answers a checksum of all of it.
//
// The bytecode is what a compiler for the language emits for Workload.js:
// one constant pool, locals in registers of DefineFunction2, the variable a
// closure captures in its activation. Both must stay statement for
// statement the same; the benchmark compares their checksums.
#pragma once

#include "tools/SwfWriter.h"

namespace Halvane::Bench {

Tools::Bytes WorkloadMovie();

}  // namespace Halvane::Bench
