#include "ui/logos.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

using namespace Qt::Literals::StringLiterals;

namespace veld::ui {
namespace {

// A neutral badge: a rounded gradient plate with a gauge arc and the product name.
QPixmap Badge(const QColor& from, const QColor& to, const QString& text) {
    constexpr int kWidth = 132;
    constexpr int kHeight = 52;
    QPixmap pixmap(kWidth, kHeight);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, kWidth, kHeight);
    fill.setColorAt(0, from);
    fill.setColorAt(1, to);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1, 1, kWidth - 2, kHeight - 2), 9, 9);

    // Gauge: an arc with a needle.
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    const QRectF dial(10, 10, 36, 36);
    p.drawArc(dial, 30 * 16, 120 * 16);
    p.drawLine(dial.center(), dial.center() + QPointF(11, -11));

    QFont font(u"DejaVu Sans"_s);
    font.setBold(true);
    font.setPixelSize(22);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(50, 0, kWidth - 56, kHeight), Qt::AlignVCenter | Qt::AlignLeft, text);
    return pixmap;
}

}  // namespace

QPixmap Logo(const QString& source) {
    if (source == u"logo-tv")
        return Badge(QColor(0x1f, 0x5f, 0x9f), QColor(0x3a, 0x9a, 0xd9), u"VELD"_s);
    if (source == u"logo-lmx")
        return Badge(QColor(0x2e, 0x6b, 0x3a), QColor(0x6a, 0xa8, 0x4f), u"VELD"_s);
    return {};
}

}  // namespace veld::ui
