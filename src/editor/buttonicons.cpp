#include "editor/buttonicons.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace kelm {

namespace {

constexpr int kSize = 16;

QImage Draw(const std::function<void(QPainter&)>& paint) {
    QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    return image;
}

// The disabled look: the picture in light greys, its details kept, with a white shadow
// below right so that it looks engraved.
QImage Disabled(const QImage& normal) {
    QImage grey = normal.convertToFormat(QImage::Format_ARGB32);
    QImage shadow = grey;
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        auto* shade = reinterpret_cast<QRgb*>(shadow.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int alpha = qAlpha(line[x]);
            const int level = 96 + qGray(line[x]) * 96 / 255;  // 96..192
            line[x] = qRgba(level, level, level, alpha);
            shade[x] = qRgba(255, 255, 255, alpha);
        }
    }
    QImage out(normal.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.drawImage(1, 1, shadow);
    p.drawImage(0, 0, grey);
    return out;
}

QIcon MakeIcon(const QImage& normal) {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(normal), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(Disabled(normal)), QIcon::Disabled);
    return icon;
}

}  // namespace

QIcon AddIcon() {
    return MakeIcon(Draw([](QPainter& p) {
        QPainterPath plus;
        plus.addRect(6, 2, 4, 12);
        plus.addRect(2, 6, 12, 4);
        plus.setFillRule(Qt::WindingFill);
        p.setPen(QPen(QColor(0, 80, 0), 1));
        p.setBrush(QColor(40, 170, 40));
        p.drawPath(plus.simplified());
    }));
}

QIcon DeleteIcon() {
    return MakeIcon(Draw([](QPainter& p) {
        p.setPen(QPen(QColor(120, 0, 0), 4.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
        p.setPen(QPen(QColor(220, 30, 30), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    }));
}

QIcon CalculateIcon() {
    return MakeIcon(Draw([](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QColor(40, 40, 40));
        p.setBrush(QColor(170, 170, 180));
        p.drawRect(2, 0, 11, 15);
        p.setBrush(QColor(150, 200, 150));
        p.drawRect(4, 2, 7, 3);
        p.setPen(Qt::NoPen);
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col) {
                p.setBrush(row == 2 && col == 2 ? QColor(200, 60, 40) : QColor(60, 60, 70));
                p.drawRect(4 + col * 3, 7 + row * 3, 2, 2);
            }
        }
    }));
}

}  // namespace kelm
