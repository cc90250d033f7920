// The blur of glow elements: its kernel and the two passes over 32-bit ARGB pixels.
#pragma once

#include <stdint.h>

#include <vector>

// 2r + 1 weights: centre 1, both sides falling off along a smooth curve to 0 at the ends.
std::vector<float> BuildGlowKernel(int radius);
// Horizontal pass from src into dst, then a vertical pass in place on dst (each pixel reads the
// rows above it as already blurred). Per channel of 0xAARRGGBB: the weighted sum of the taps
// inside the image divided by the sum of their weights, truncated, at most 255. Both buffers
// hold w x h pixels, row after row.
void BlurGlow(const uint32_t* src, uint32_t* dst, int w, int h, int radius);
