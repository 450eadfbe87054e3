#pragma once
// The wider x86 instruction sets the processor runs, read once. The kernel
// sets (transform bands, sample conversions) offer a version for each.
struct InstructionSets {
  bool avx2 = false;
  bool avx512f = false;
  bool avx512bw = false;
};

const InstructionSets& instruction_sets();
