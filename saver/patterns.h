// The two pattern sources that write the field's starting content.
#pragma once

#include <cstdint>
#include <functional>

#include "saver/pixel_field.h"

namespace varominea {

// Uniform single-precision values u with 0 <= u < 1, one per draw.
using UniformSource = std::function<float()>;

// A uniform generator seeded from the system clock at construction.
UniformSource ClockSeededUniform();

// Nested rectangular outlines, 250 at the edge down to 123 in the middle.
void FillSquareField(ByteField& field);

// Rings of the rounded-down distance from cell (128, 128), a flat disc of 0
// within distance 10, then smoothed twice in place with noise from `uniform`.
void FillRingField(ByteField& field, const UniformSource& uniform);

}  // namespace varominea
