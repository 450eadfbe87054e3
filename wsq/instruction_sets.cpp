#include "wsq/instruction_sets.h"

namespace {

InstructionSets read_instruction_sets() {
  InstructionSets sets;
#if defined(__x86_64__) && defined(__GNUC__)
  __builtin_cpu_init();
  sets.avx2 = __builtin_cpu_supports("avx2");
  sets.avx512f = __builtin_cpu_supports("avx512f");
  sets.avx512bw = __builtin_cpu_supports("avx512bw");
#endif
  return sets;
}

}  // namespace

const InstructionSets& instruction_sets() {
  static const InstructionSets sets = read_instruction_sets();
  return sets;
}
