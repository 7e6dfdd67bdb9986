// The frame kernel: one step lowers every byte of the whole pixel field,
// border rows included, by one, wrapping from 0 to 255.
#pragma once

#include <cstdint>

namespace varominea {

// The parameter block through which the step and the blit reach the field.
struct KernelParamBlock {
  std::int32_t Width = 0;        // cells per row of the displayed block (256)
  std::int32_t Height = 0;       // rows of the displayed block (256)
  std::uint8_t* Bits = nullptr;  // cell (1, 2): the first displayed cell
};

// The ways the step can be carried out. BuildKernel picks the fastest one
// the processor supports; the others stay callable for tests and benchmarks.
enum class KernelImpl { Portable, Sse2, Avx2 };

class ByteField;

// The parameter block over a whole field: 256 x 256 displayed cells from
// cell (1, 2) on.
KernelParamBlock KernelParamsOver(ByteField& field);

bool KernelImplAvailable(KernelImpl impl);
void KernelStepWith(KernelImpl impl, const KernelParamBlock* params);

// Chooses the implementation once; a second call changes nothing.
void BuildKernel();
KernelImpl BuiltKernel();

// One step over Height + 2 rows of 256 bytes starting one row before Bits.
// Must not run before BuildKernel. Returns 0.
std::int32_t KernelStep(const KernelParamBlock* params);

}  // namespace varominea
