#include "shell/AppStyle.h"

#include "shell/AppFonts.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPen>
#include <QStyleFactory>
#include <QStyleOptionGroupBox>

namespace tesmaro {

namespace {
constexpr int kIndicator = 13;
constexpr int kLabelSpacing = 3;
constexpr int kCaptionIndent = 6;  // frame caption's distance from the frame's left edge
constexpr int kCaptionPadding = 2; // gap in the frame line on each side of the caption
} // namespace

AppStyle::AppStyle() : QProxyStyle(QStyleFactory::create("Fusion")) {}

QFont AppStyle::controlFont() {
    QFont font;
    // The first ships inside the program (AppFonts.h); the others are near fits should it fail.
    font.setFamilies({"PT Sans Narrow", "Liberation Sans Narrow", "DejaVu Sans Condensed"});
    font.setPixelSize(12);
    // Whole-pixel glyph advances: without them the aliased text the canvases print (the
    // draft pad's hint among it) gets uneven gaps such as "15 0".
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

void AppStyle::apply() {
    QApplication::setStyle(new AppStyle);
    registerShippedFonts();
    QApplication::setFont(controlFont());
    QApplication::setWindowIcon(QIcon(":/tesmaro5.png"));
}

int AppStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    switch (metric) {
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
        return kIndicator;
    case PM_RadioButtonLabelSpacing:
    case PM_CheckBoxLabelSpacing:
        return kLabelSpacing;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

QRect AppStyle::subElementRect(SubElement element, const QStyleOption* option, const QWidget* widget) const {
    QRect r = QProxyStyle::subElementRect(element, option, widget);
    // A text box keeps a 2-pixel margin inside this rectangle anyway; beside a 1-pixel frame
    // that is room enough, and the 57-pixel screen-size field then shows "1080 * 1920" whole.
    if (element == SE_LineEditContents)
        r.adjust(-1, 0, 1, 0);
    return r;
}

// Frames: the caption sits on the top line, as the design expects, instead of above it;
// otherwise the caption would cover the frame's first option row.
QRect AppStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sc,
                               const QWidget* widget) const {
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !box)
        return QProxyStyle::subControlRect(control, option, sc, widget);
    const QFontMetrics fm(box->fontMetrics);
    const int captionHeight = fm.height();
    switch (sc) {
    case SC_GroupBoxLabel: {
        if (box->text.isEmpty())
            return {};
        const int width = fm.horizontalAdvance(box->text) + 2 * kCaptionPadding;
        return QRect(kCaptionIndent, 0, width, captionHeight);
    }
    case SC_GroupBoxFrame:
        return box->rect.adjusted(0, box->text.isEmpty() ? 0 : captionHeight / 2, 0, 0);
    case SC_GroupBoxContents:
        return box->rect.adjusted(1, captionHeight, -1, -1);
    default:
        return QProxyStyle::subControlRect(control, option, sc, widget);
    }
}

void AppStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                  QPainter* painter, const QWidget* widget) const {
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !box) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QRect caption = subControlRect(CC_GroupBox, box, SC_GroupBoxLabel, widget);
    if (box->subControls & SC_GroupBoxFrame) {
        // Fusion's own frame primitive adds its caption margin again; draw the line here,
        // in Fusion's outline colour, broken where the caption sits.
        const QRect frame = subControlRect(CC_GroupBox, box, SC_GroupBoxFrame, widget);
        painter->save();
        QRegion clip(box->rect);
        clip -= caption;
        painter->setClipRegion(clip);
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setPen(QPen(box->palette.window().color().darker(140), 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(frame).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
        painter->restore();
    }
    if ((box->subControls & SC_GroupBoxLabel) && !caption.isEmpty())
        proxy()->drawItemText(painter, caption, Qt::AlignCenter | Qt::TextShowMnemonic, box->palette,
                              box->state & State_Enabled, box->text, QPalette::WindowText);
}

} // namespace tesmaro
