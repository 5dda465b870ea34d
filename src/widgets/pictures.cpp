#include "widgets/pictures.h"

#include <QFile>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <functional>
#include <iterator>
#include <memory>

#include "widgets/coreedge.h"

namespace kelm {

namespace {

// An icon drawn only when something first asks for it: the colour pickers' swatches
// show only in their open lists, the window icon only where the platform has a use for
// it, and a toggle's grey look only while it is disabled, yet drawing them all cost
// start-up a millisecond and more.  Once drawn, the icon is the one the drawing function
// gives, and everything is asked of it.  With a second function, that one draws the
// disabled look on its own, and the first every other.
class LazyIconEngine final : public QIconEngine {
  public:
    explicit LazyIconEngine(std::function<QIcon()> draw, std::function<QIcon()> drawDisabled = {})
        : shared_(std::make_shared<Shared>(
              Shared{{std::move(draw), std::move(drawDisabled)}, {}, {false, false}})) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        Icon(mode).paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon(mode).actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon(mode).pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return Icon(mode).pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Icon(mode).availableSizes(mode, state);
    }
    // What these draw is never empty; asking must not draw it.
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("KelmLazyIcon"); }
    QIconEngine* clone() const override { return new LazyIconEngine(*this); }

  private:
    struct Shared {
        std::function<QIcon()> draw[2];
        QIcon icon[2];
        bool drawn[2];
    };
    // The icon that draws the mode, and the mode to ask of it: a look drawn for the
    // disabled mode alone is asked in the normal mode, for that is the one it holds.
    const QIcon& Icon(QIcon::Mode& mode) {
        Shared& s = *shared_;
        const bool own = mode == QIcon::Disabled && s.draw[1];
        if (own) mode = QIcon::Normal;
        if (!s.drawn[own]) {
            s.icon[own] = s.draw[own]();
            s.drawn[own] = true;
        }
        return s.icon[own];
    }
    std::shared_ptr<Shared> shared_;  // copies made by clone() draw once between them
};

QIcon Lazily(std::function<QIcon()> draw) { return QIcon(new LazyIconEngine(std::move(draw))); }

// A picture with two looks: in its colours for the normal look and in greys, lighter, for
// the disabled look, each drawn when first shown, at twice the size so that it stays
// sharp on a high-density screen.
QIcon TwoLooks(QSize size, std::function<void(QPainter&, bool)> draw) {
    const auto look = [size, draw](bool disabled) {
        return [size, draw, disabled] {
            QPixmap pm(size * 2);
            pm.setDevicePixelRatio(2);
            pm.fill(Qt::transparent);
            QPainter p(&pm);
            p.setRenderHint(QPainter::Antialiasing);
            draw(p, disabled);
            p.end();
            return QIcon(pm);
        };
    };
    return QIcon(new LazyIconEngine(look(false), look(true)));
}

QColor Look(QColor c, bool disabled) {
    if (!disabled) return c;
    const int grey = 128 + qGray(c.rgb()) / 2;
    return QColor(grey, grey, grey, c.alpha());
}

}  // namespace

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
        p.setPen(
            QPen(Look(QColor(200, 0, 0), off), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
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
        // The number "25" in strokes, as on a display: no font, so the sign looks the same
        // everywhere and drawing it needs no font loaded.
        p.setPen(QPen(Look(Qt::black, off), 1.25, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        const QPointF two[] = {{4.5, 4}, {7.5, 4}, {7.5, 7}, {4.5, 7}, {4.5, 10}, {7.5, 10}};
        const QPointF five[] = {{13.5, 4}, {10.5, 4}, {10.5, 7}, {13.5, 7}, {13.5, 10}, {10.5, 10}};
        p.drawPolyline(two, static_cast<int>(std::size(two)));
        p.drawPolyline(five, static_cast<int>(std::size(five)));
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
        for (int side : {16, 24, 32, 48, 64, 128})
            icon.addPixmap(ProgramPicture(QSize(side, side)));
        return icon;
    });
}

}  // namespace kelm
