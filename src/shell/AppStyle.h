#pragma once
// The program's look. Every control sits at a fixed pixel geometry designed for a small
// dialog font: 13-pixel option rows, 17-pixel buttons, frames whose first option starts
// 13 to 16 pixels below the frame's top. AppStyle is the Fusion style with the metrics that
// geometry needs (13-pixel indicators, 3-pixel label spacing, the frame caption on the frame
// line, text boxes' text 2 pixels from their edge), and apply() sets it with a narrow font that fits every
// caption and field value.

#include <QFont>
#include <QProxyStyle>

namespace tesmaro {

class AppStyle : public QProxyStyle {
    Q_OBJECT
public:
    AppStyle();

    // The font every control uses: a narrow sans serif with Cyrillic, 12 pixels high,
    // whatever the screen's dots per inch (the geometry is in pixels too).
    static QFont controlFont();
    // Sets the style, the font (registering the one shipped inside the program) and the window
    // icon for the whole application.
    static void apply();

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;
    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sc,
                         const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override;
};

} // namespace tesmaro
