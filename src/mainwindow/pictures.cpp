#include "mainwindow/pictures.h"

#include <QFile>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <functional>
#include <iterator>
#include <memory>

namespace kelm {

namespace {

// A picture with two looks: in its colours for the normal look and in greys, lighter, for
// the disabled look.  Each look is drawn only when first shown: a toggle that is never
// disabled never has its grey look drawn, and drawing looks no one sees cost start-up.
// Copies made by clone() share what is drawn.
class TwoLooksIconEngine final : public QIconEngine {
public:
    TwoLooksIconEngine(QSize size, std::function<void(QPainter&, bool)> draw)
        : shared_(std::make_shared<Shared>(Shared{size, std::move(draw), {}, {false, false}})) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        LookFor(mode).paint(painter, rect, Qt::AlignCenter, QIcon::Normal, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State state) override {
        return LookFor(QIcon::Normal).actualSize(size, QIcon::Normal, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return LookFor(mode).pixmap(size, QIcon::Normal, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        return LookFor(mode).pixmap(size, scale, QIcon::Normal, state);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State state) override {
        return LookFor(QIcon::Normal).availableSizes(QIcon::Normal, state);
    }
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("KelmTwoLooksIcon"); }
    QIconEngine* clone() const override { return new TwoLooksIconEngine(*this); }

private:
    struct Shared {
        QSize size;
        std::function<void(QPainter&, bool)> draw;
        QIcon looks[2];
        bool drawn[2];
    };
    const QIcon& LookFor(QIcon::Mode mode) {
        const bool disabled = mode == QIcon::Disabled;
        Shared& s = *shared_;
        if (!s.drawn[disabled]) {
            // Drawn at twice the size, so that it stays sharp on a high-density screen.
            QPixmap pm(s.size * 2);
            pm.setDevicePixelRatio(2);
            pm.fill(Qt::transparent);
            QPainter p(&pm);
            p.setRenderHint(QPainter::Antialiasing);
            s.draw(p, disabled);
            p.end();
            s.looks[disabled] = QIcon(pm);
            s.drawn[disabled] = true;
        }
        return s.looks[disabled];
    }
    std::shared_ptr<Shared> shared_;
};

QIcon TwoLooks(QSize size, std::function<void(QPainter&, bool)> draw) {
    return QIcon(new TwoLooksIconEngine(size, std::move(draw)));
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
        for (int side : {16, 24, 32, 48, 64, 128}) icon.addPixmap(ProgramPicture(QSize(side, side)));
        return icon;
    });
}

}  // namespace kelm
