#include "mainwindow/pictures.h"

#include <QFile>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <functional>
#include <memory>

namespace kelm {

namespace {

// Draws a picture twice into one icon: in its colours for the normal look and in greys,
// lighter, for the disabled look.
template <class Draw>
QIcon TwoLooks(QSize size, Draw draw) {
    const auto paint = [&](bool disabled) {
        QPixmap pm(size * 2);
        pm.setDevicePixelRatio(2);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p, disabled);
        return pm;
    };
    QIcon icon;
    icon.addPixmap(paint(false), QIcon::Normal);
    icon.addPixmap(paint(true), QIcon::Disabled);
    return icon;
}

// An icon drawn only when something first asks for it: the colour pickers' swatches
// show only in their open lists, and the window icon only where the platform has a use
// for it, yet drawing them all cost about a millisecond at every start.  Once drawn, the
// icon is the one the drawing function gives, and everything is asked of it.
class LazyIconEngine final : public QIconEngine {
public:
    explicit LazyIconEngine(std::function<QIcon()> draw)
        : shared_(std::make_shared<Shared>(Shared{std::move(draw), {}, false})) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        return Icon().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Icon().availableSizes(mode, state);
    }
    // What these draw is never empty; asking must not draw it.
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("KelmLazyIcon"); }
    QIconEngine* clone() const override { return new LazyIconEngine(*this); }

private:
    struct Shared {
        std::function<QIcon()> draw;
        QIcon icon;
        bool drawn;
    };
    const QIcon& Icon() {
        if (!shared_->drawn) {
            shared_->icon = shared_->draw();
            shared_->drawn = true;
        }
        return shared_->icon;
    }
    std::shared_ptr<Shared> shared_;  // copies made by clone() draw once between them
};

QIcon Lazily(std::function<QIcon()> draw) { return QIcon(new LazyIconEngine(std::move(draw))); }

QColor Look(QColor c, bool disabled) {
    if (!disabled) return c;
    const int grey = 128 + qGray(c.rgb()) / 2;
    return QColor(grey, grey, grey, c.alpha());
}

}  // namespace

QColor ToQColor(Color color) { return QColor(RedOf(color), GreenOf(color), BlueOf(color)); }

QIcon ShowHideIcon() {
    return TwoLooks(QSize(32, 18), [](QPainter& p, bool off) {
        // Axes, then a shift curve climbing to one engine speed and dropping at each shift.
        p.setPen(QPen(Look(QColor(70, 70, 70), off), 1.2));
        p.drawLine(QPointF(2, 1), QPointF(2, 16.5));
        p.drawLine(QPointF(2, 16.5), QPointF(31, 16.5));
        QPainterPath curve(QPointF(2, 16.5));
        const double shifts[] = {8, 15, 23, 30};
        double low = 16.5;
        for (double x : shifts) {
            curve.lineTo(x, 3);
            low = 3 + (low - 3) * 0.45 + 3;
            if (x < 30) curve.lineTo(x, low);
        }
        p.setPen(QPen(Look(QColor(200, 0, 0), off), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(curve);
    });
}

QIcon LabelsIcon() {
    return TwoLooks(QSize(18, 18), [](QPainter& p, bool off) {
        // A yellow sign on a post with a number on it.
        p.setPen(QPen(Look(QColor(90, 90, 90), off), 1.5));
        p.drawLine(QPointF(9, 12), QPointF(9, 17.5));
        const QRectF sign(1, 1.5, 16, 11);
        p.setPen(QPen(Look(QColor(120, 90, 0), off), 1));
        p.setBrush(Look(QColor(255, 220, 0), off));
        p.drawRoundedRect(sign, 2, 2);
        QFont f = p.font();
        f.setPixelSize(9);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Look(Qt::black, off));
        p.drawText(sign, Qt::AlignCenter, QStringLiteral("25"));
    });
}

QIcon ColorSwatchIcon(Color color, int size) {
    return Lazily([color, size] {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setPen(QColor(60, 60, 60));
        p.setBrush(ToQColor(color));
        p.drawRect(0, 0, size - 1, size - 1);
        p.end();
        return QIcon(pm);
    });
}

QPixmap ProgramPicture(QSize size) {
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    QSvgRenderer svg(QStringLiteral(":/kelm/kelm.svg"));
    QPainter p(&pm);
    if (svg.isValid()) {
        svg.render(&p, QRectF(QPointF(0, 0), QSizeF(size)));
    } else {
        p.fillRect(pm.rect(), QColor(255, 255, 128));
    }
    return pm;
}

QIcon ProgramIcon() {
    return Lazily([] {
        QIcon icon;
        for (int side : {16, 24, 32, 48, 64, 128}) icon.addPixmap(ProgramPicture(QSize(side, side)));
        return icon;
    });
}

}  // namespace kelm
