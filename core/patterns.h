// The two pattern sources that write the field's starting content.
#pragma once

#include <cstdint>
#include <functional>

#include "core/pixel_field.h"

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

// The steps of FillRingField, for callers that look between them.
// Every cell: its rounded-down distance from (128, 128), or 0 below 10.
void FillRingDistances(ByteField& field);
// One in-place pass over x = 3..254, y = 3..256, one draw per cell in order.
void SmoothWithNoise(ByteField& field, const UniformSource& uniform);
// The new value of a cell whose nine-cell sum is `sum`, for the draw `u`:
// round-half-even(sum + 10 u, in single precision) / 9, low 8 bits.
std::uint8_t SmoothedValue(int sum, float u);  // sum: 0..2295
// The largest r with r * r <= n (0 for n <= 0).
int IntegerSqrt(int n);

}  // namespace varominea
