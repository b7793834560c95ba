#pragma once
// Zoom of a view onto a picture: the zoom steps, and the mapping between view points and picture
// pixels at a zoom and a scroll position.
//
// Units. A view point is in the view's own pixels (a widget's logical pixels; fractional on a
// scaled screen, where the pointer falls between them). The scroll position is in whole PICTURE
// pixels: it is the picture pixel at the view's top-left corner, so at 100 % the picture sits at
// minus the scroll values, as an unzoomed canvas does. A zoom is a fraction of view pixels per
// picture pixel, so which pixel a point falls on is decided exactly, never by a rounding.
//
// Axes are independent: each function has a one-axis form over ints and doubles and a two-axis
// form over Qt's geometry types.

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>

#include <string>

namespace tesmaro::zoom {

// num / den view pixels per picture pixel. Valid scales have both terms in 1..kMaxScaleTerm;
// the functions below take any other as 100 %.
struct Scale {
    int num = 1;
    int den = 1;
    friend bool operator==(Scale, Scale) = default;
};
constexpr int kMaxScaleTerm = 128;
bool isValid(Scale scale);

// The steps: 6.25, 12.5, 25, 33.3 (1/3), 50, 66.7 (2/3), 100, 150, 200, 300, 400, 600, 800,
// 1200, 1600, 2400, 3200 %. A step is an index into them; an index out of range is taken as the
// nearest end.
constexpr int kStepCount = 17;
constexpr int kFullSizeStep = 6; // 100 %
Scale stepScale(int step);
int stepIn(int step);  // one step larger; the largest stays
int stepOut(int step); // one step smaller; the smallest stays
double stepPercent(int step);
// The percentage as the steps are named, without the sign: "6.25", "33.3", "3200".
std::string stepText(int step);

// --- One axis ------------------------------------------------------------------------------

// The picture coordinate under a view coordinate: scroll + view / scale (not rounded).
double pictureCoordinate(double view, int scroll, Scale scale);
// The picture pixel under a view coordinate: the floor of pictureCoordinate, computed exactly
// for every double (a point on a pixel's edge belongs to the pixel after it, so a click
// anywhere inside the block a pixel makes at 800 % lands on that pixel). May lie outside the
// picture. Non-finite or far-off coordinates are clamped to +-2^30.
int picturePixel(double view, int scroll, Scale scale);
// The view coordinate of a picture coordinate (a pixel's left or top edge for a whole one).
double viewCoordinate(double picture, int scroll, Scale scale);
// The whole picture pixels that fit in a view length (at least 1 for a positive length): the
// page step of a scroll bar in picture pixels.
int visiblePixels(int viewLength, Scale scale);
// The largest scroll position: the picture length less visiblePixels, never below 0. At 100 %
// this is the range an unzoomed scroll area has. It is the least position at which the picture's
// end is in view (less than one pixel's block of background may follow it above 100 %), unless
// one pixel's block is wider than the view.
int maxScroll(int pictureLength, int viewLength, Scale scale);
int clampScroll(int scroll, int pictureLength, int viewLength, Scale scale);
// The scroll position after the zoom changes from `from` to `to` with the picture pixel under
// the view coordinate `anchor` kept under it. Scroll positions are whole picture pixels, and
// exactly one of them keeps that pixel under the anchor: it is returned, so where inside the
// pixel the anchor falls is not kept (the pixel is; zooming in and out again never drifts).
// The result is clamped into 0..maxScroll at the new zoom, which can move the pixel only when
// the picture's edge stops it (the picture never moves away from the view's top-left corner).
int scrollAfterZoom(double anchor, int scroll, Scale from, Scale to, int pictureLength, int viewLength);

// --- Two axes ------------------------------------------------------------------------------

QPoint picturePixel(QPointF view, QPoint scroll, Scale scale);
QPointF viewPoint(QPointF picture, QPoint scroll, Scale scale);
QSize visiblePixels(QSize view, Scale scale);
// The largest scroll positions (the scroll bars' maxima).
QPoint maxScroll(QSize picture, QSize view, Scale scale);
QPoint clampScroll(QPoint scroll, QSize picture, QSize view, Scale scale);
// Ctrl+wheel zooms around the pointer's position, the keys around viewCentre.
QPoint scrollAfterZoom(QPointF anchor, QPoint scroll, Scale from, Scale to, QSize picture, QSize view);
QPointF viewCentre(QSize view);
// The smallest rectangle of whole view pixels that covers the picture pixels of `picture` (what
// to update after drawing on them). Empty for an empty rectangle.
QRect viewRect(const QRect& picture, QPoint scroll, Scale scale);

} // namespace tesmaro::zoom
