// The zoom maths against exact integer arithmetic: the steps, the picture pixel under a view point
// at every step, the scroll range, and the pixel under the pointer kept through every step.
#include "windows/Zoom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace tesmaro::zoom {
namespace {

long long floorDiv(long long a, long long b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// The pixel under view point quarters / 4 (points on a screen scaled by 1.25, 1.5, 2 fall on
// quarters), from the step's percentage alone: percent * 12 is whole at every step.
long long pixelUnder(long long quarters, int scroll, int step) {
    return scroll + floorDiv(quarters * 300, std::llround(stepPercent(step) * 12));
}

TEST(Zoom, StepsInOrderFrom100) {
    const double percents[kStepCount] = {6.25, 12.5, 25,  100.0 / 3, 50,   200.0 / 3, 100,  150, 200,
                                         300,  400,  600, 800,       1200, 1600,      2400, 3200};
    for (int step = 0; step < kStepCount; ++step) {
        const Scale s = stepScale(step);
        EXPECT_DOUBLE_EQ(100.0 * s.num / s.den, percents[step]) << step;
    }
    EXPECT_EQ(stepPercent(kFullSizeStep), 100);
    EXPECT_EQ(stepText(3), "33.3");
    EXPECT_EQ(stepText(kStepCount - 1), "3200");
    int up = kFullSizeStep, down = kFullSizeStep;
    for (int i = 0; i < kStepCount; ++i) {
        EXPECT_EQ(stepIn(up), std::min(up + 1, kStepCount - 1));
        EXPECT_EQ(stepOut(down), std::max(down - 1, 0));
        up = stepIn(up);
        down = stepOut(down);
    }
}

TEST(Zoom, PixelUnderViewPointAtEveryStep) {
    for (int step = 0; step < kStepCount; ++step)
        for (const int scroll : {0, 7, -3})
            for (long long q = -40; q <= 520; ++q) {
                const double view = q / 4.0;
                ASSERT_EQ(picturePixel(view, scroll, stepScale(step)), pixelUnder(q, scroll, step))
                    << "step " << step << " view " << view << " scroll " << scroll;
                // A pixel's edge lies on that pixel, a hair before it on the one before (where the
                // edge has a double: not at thirds).
                if (stepScale(step).den != 3) {
                    const double edge = viewCoordinate(q, scroll, stepScale(step));
                    EXPECT_EQ(picturePixel(edge, scroll, stepScale(step)), q);
                    EXPECT_EQ(picturePixel(std::nextafter(edge, -1e9), scroll, stepScale(step)), q - 1);
                }
            }
}

TEST(Zoom, ScrollRangeShowsTheLastPixelWhole) {
    const int sizes[][2] = {{1000, 700}, {700, 1000}, {5, 700}, {100000, 33}, {8000, 1024}};
    for (int step = 0; step < kStepCount; ++step)
        for (const auto& [picture, view] : sizes) {
            const int top = maxScroll(picture, view, stepScale(step));
            if (step == kFullSizeStep) {
                EXPECT_EQ(top, std::max(0, picture - view)); // as an unzoomed scroll area
            }
            // At the top the picture's end is in view; one less and it is not.
            EXPECT_LE(viewCoordinate(picture, top, stepScale(step)), view);
            if (top > 0) {
                EXPECT_GT(viewCoordinate(picture, top - 1, stepScale(step)), view);
            }
            EXPECT_EQ(clampScroll(top + 5, picture, view, stepScale(step)), top);
            EXPECT_EQ(clampScroll(-5, picture, view, stepScale(step)), 0);
        }
}

TEST(Zoom, PixelUnderAnchorKeptThroughEveryStep) {
    const QSize picture(100000, 80000), view(1000, 700);
    const long long anchors[][2] = {{0, 0}, {2, 1}, {1335, 2070}, {3999, 2799}, {2000, 1400}}; // quarters
    for (const auto& [qx, qy] : anchors) {
        const QPointF anchor(qx / 4.0, qy / 4.0);
        QPoint scroll(40000, 30000);
        const QPoint kept(pixelUnder(qx, scroll.x(), kFullSizeStep),
                          pixelUnder(qy, scroll.y(), kFullSizeStep));
        // Up to the largest step, down to the smallest, back to 100 %.
        std::vector<int> steps;
        for (int s = kFullSizeStep; s < kStepCount; ++s)
            steps.push_back(s);
        for (int s = kStepCount - 2; s >= 0; --s)
            steps.push_back(s);
        for (int s = 1; s <= kFullSizeStep; ++s)
            steps.push_back(s);
        for (std::size_t i = 1; i < steps.size(); ++i) {
            scroll =
                scrollAfterZoom(anchor, scroll, stepScale(steps[i - 1]), stepScale(steps[i]), picture, view);
            ASSERT_EQ(QPoint(pixelUnder(qx, scroll.x(), steps[i]), pixelUnder(qy, scroll.y(), steps[i])),
                      kept)
                << "anchor " << anchor.x() << "," << anchor.y() << " at " << stepText(steps[i]) << " %";
        }
    }
    // Where the picture's edge stops it, the scroll position stays in its range.
    const Scale at50 = stepScale(4), at100 = stepScale(kFullSizeStep), at200 = stepScale(8);
    EXPECT_EQ(scrollAfterZoom(QPointF(500, 300), QPoint(0, 0), at200, at100, picture, view), QPoint(0, 0));
    EXPECT_EQ(scrollAfterZoom(QPointF(0, 0), QPoint(99000, 79300), at100, at50, picture, view),
              QPoint(98000, 78600));
}

TEST(Zoom, ViewRectCoversPicturePixels) {
    const struct {
        QRect picture;
        QPoint scroll;
        int step;
        QRect view;
    } cases[] = {{QRect(3, 4, 1, 1), QPoint(1, 1), 12, QRect(16, 24, 8, 8)}, // 800 %
                 {QRect(1, 0, 1, 1), QPoint(0, 0), 7, QRect(1, 0, 2, 2)},    // 150 %: 1.5 to 3
                 {QRect(1, 1, 1, 1), QPoint(0, 0), 3, QRect(0, 0, 1, 1)},    // 33.3 %
                 {QRect(10, 10, 5, 5), QPoint(12, 0), kFullSizeStep, QRect(-2, 10, 5, 5)},
                 {QRect(), QPoint(0, 0), 12, QRect()}};
    for (const auto& c : cases)
        EXPECT_EQ(viewRect(c.picture, c.scroll, stepScale(c.step)), c.view) << stepText(c.step);
}

} // namespace
} // namespace tesmaro::zoom
