// The glow blur: kernel and passes.
#include "Skin/GlowBlur.h"

namespace {

float Falloff(float t, int radius)
{
    float c = float(radius + 1);
    float m = float((radius + 1) / 2);
    if (t <= 0)
        return 0;
    if (t <= m)
        return 2 * (t / c) * (t / c);
    if (t < c)
        return 1 - 2 * ((t - c) / c) * ((t - c) / c);
    return 1;
}

uint32_t Weighted(const float sum[4], float weights)
{
    uint32_t out = 0;
    for (int ch = 0; ch < 4; ++ch) {
        int v = int(sum[ch] / weights);
        if (v > 255)
            v = 255;
        if (v < 0)
            v = 0;
        out |= uint32_t(v) << (8 * ch);
    }
    return out;
}

void AddTap(float sum[4], uint32_t pixel, float weight)
{
    for (int ch = 0; ch < 4; ++ch)
        sum[ch] += float((pixel >> (8 * ch)) & 0xFF) * weight;
}

// One pixel of a pass along a line of count pixels, step apart: the kernel's taps that fall on
// the line, weighted, and divided by the weights they carry.
uint32_t BlurAt(const uint32_t* line, size_t step, int count, int at, const std::vector<float>& k,
                int radius)
{
    float sum[4] = {0, 0, 0, 0};
    float weights = 0;
    for (int t = -radius; t <= radius; ++t) {
        int i = at + t;
        if (i < 0)
            continue;
        if (i >= count)
            break;
        float wt = k[size_t(t + radius)];
        AddTap(sum, line[size_t(i) * step], wt);
        weights += wt;
    }
    return Weighted(sum, weights);
}

}  // namespace

std::vector<float> BuildGlowKernel(int radius)
{
    if (radius < 0)
        radius = 0;
    std::vector<float> k(size_t(2 * radius + 1), 0.0f);
    k[size_t(radius)] = 1.0f;
    for (int i = 0; i < radius; ++i)
        k[size_t(i)] = k[size_t(2 * radius - i)] = Falloff(float(i), radius);
    return k;
}

void BlurGlow(const uint32_t* src, uint32_t* dst, int w, int h, int radius)
{
    if (w <= 0 || h <= 0)
        return;
    if (radius < 0)
        radius = 0;
    std::vector<float> k = BuildGlowKernel(radius);
    for (int y = 0; y < h; ++y) {
        const uint32_t* row = src + size_t(y) * size_t(w);
        for (int x = 0; x < w; ++x)
            dst[size_t(y) * size_t(w) + size_t(x)] = BlurAt(row, 1, w, x, k, radius);
    }
    // The vertical pass works in place: the rows above y are already blurred when y is.
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y)
            dst[size_t(y) * size_t(w) + size_t(x)] = BlurAt(dst + x, size_t(w), h, y, k, radius);
}
