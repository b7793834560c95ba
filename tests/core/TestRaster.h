#pragma once
// A raster for the core tests whose allocation ends exactly at its last pixel, so that the
// sanitizer catches any access beyond it. Padding pixels (stride > width) hold a sentinel.

#include "core/Raster.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ios>
#include <vector>

namespace tesmaro::testing {

constexpr std::uint32_t kPadding = 0xFF5A5A5Au;

struct TestRaster {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<std::uint32_t> data;

    TestRaster(int w, int h, std::uint32_t fill, int s = 0) : width(w), height(h), stride(s > w ? s : w) {
        data.assign(h > 0 ? static_cast<std::size_t>(h - 1) * stride + w : 0, kPadding);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                at(x, y) = fill;
    }
    std::uint32_t& at(int x, int y) { return data[static_cast<std::size_t>(y) * stride + x]; }
    std::uint32_t at(int x, int y) const { return data[static_cast<std::size_t>(y) * stride + x]; }
    bool paddingIntact() const {
        for (std::size_t i = 0; i < data.size(); ++i)
            if (static_cast<int>(i % stride) >= width && data[i] != kPadding)
                return false;
        return true;
    }
    RasterView view() { return RasterView{data.data(), width, height, stride}; }
    ConstRasterView constView() const { return ConstRasterView(data.data(), width, height, stride); }
};

// Compares every stored word, padding included, and names the first difference.
inline ::testing::AssertionResult sameRaster(const TestRaster& expected, const TestRaster& actual) {
    if (expected.data.size() != actual.data.size())
        return ::testing::AssertionFailure() << "rasters differ in layout";
    for (std::size_t i = 0; i < expected.data.size(); ++i)
        if (expected.data[i] != actual.data[i]) {
            const int x = static_cast<int>(i % expected.stride), y = static_cast<int>(i / expected.stride);
            return ::testing::AssertionFailure()
                   << "expected " << std::hex << expected.data[i] << " at (" << std::dec << x << ", " << y
                   << ")" << (x >= expected.width ? " (padding)" : "") << ", got " << std::hex
                   << actual.data[i];
        }
    return ::testing::AssertionSuccess();
}

} // namespace tesmaro::testing
