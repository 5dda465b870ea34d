#include "chart/chartpanel.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScopeGuard>
#include <QSvgGenerator>
#include <algorithm>

#include "base/errors.h"
#include "base/messages.h"
#include "base/numtext.h"
#include "widgets/coreedge.h"

namespace kelm {

bool QtPrinterSetup::Exec(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrinterSD1"));
    return dialog.exec() == QDialog::Accepted;
}

namespace {

class FontMeasure final : public TextMeasure {
  public:
    explicit FontMeasure(const QFontMetricsF& metrics) : metrics_(metrics) {}
    double Width(std::string_view utf8) const override {
        return metrics_.horizontalAdvance(FromUtf8(utf8));
    }
    double LineHeight() const override { return metrics_.height(); }

  private:
    const QFontMetricsF& metrics_;
};

// The panel's own text size, fixed in pixels, so that the chart's layout units mean the
// same on screen, in the clipboard picture and on paper (where the whole chart is
// scaled).  The size the rest of the window shows its text in: the two share one loaded
// font, and each further size costs start-up the loading of another.
QFont PixelFont(const QFont& base, bool bold) {
    QFont f = base;
    f.setPixelSize(std::max(1, QFontInfo(base).pixelSize()));
    f.setBold(bold);
    return f;
}

QString PrintFailure(const QPrinter& printer) {
    if (!printer.outputFileName().isEmpty())
        return QStringLiteral("Не удалось записать файл «%1»").arg(printer.outputFileName());
    return QStringLiteral("Не удалось напечатать график на принтере «%1»")
        .arg(printer.printerName());
}

}  // namespace

struct ChartPanel::Impl {
    Impl(ShiftChart& c, const QFont& base)
        : chart(c),
          labelFont(PixelFont(base, false)),
          titleFont(PixelFont(base, true)),
          metrics(labelFont),
          titleMetrics(titleFont),
          measure(metrics) {}

    AxisRanges Ranges() const { return zoom ? *zoom : AutomaticRanges(chart); }

    ChartGeometry Geometry(double width, double height) const {
        return LayOutChart(width, height, Ranges(), measure);
    }

    void DrawText(QPainter& p, double left, double top, std::string_view text) const {
        p.drawText(QPointF(left, top + metrics.ascent()), FromUtf8(text));
    }

    void DrawGrid(QPainter& p, const ChartGeometry& g) const;
    void DrawAxes(QPainter& p, const ChartGeometry& g) const;
    void DrawSeries(QPainter& p, const ChartGeometry& g, const PixelRect& reach) const;
    void DrawLabels(QPainter& p, const ChartGeometry& g) const;

    void ApplyDrag(double width, double height) {
        switch (ClassifyDrag(dragStart.x(), dragStart.y(), dragEnd.x(), dragEnd.y())) {
            case DragAction::None:
                return;
            case DragAction::Unzoom:
                zoom.reset();
                return;
            case DragAction::Zoom:
                zoom = RangesUnder(Geometry(width, height), dragStart.x(), dragStart.y(),
                                   dragEnd.x(), dragEnd.y());
                return;
        }
    }

    ShiftChart& chart;
    QFont labelFont, titleFont;
    QFontMetricsF metrics;  // of labelFont; the title font differs only in weight
    QFontMetricsF titleMetrics;
    FontMeasure measure;

    // The ranges under the last zoom rectangle; nothing while the axes scale automatically.
    // The automatic ranges need no saving: they always follow from the points.
    std::optional<AxisRanges> zoom;

    bool dragging = false;
    QPointF dragStart, dragEnd;

    QMenu* menu = nullptr;
    PrinterSetup* setup = nullptr;
    QtPrinterSetup qtSetup;
    std::unique_ptr<QPrinter> printer;
};

void ChartPanel::Impl::DrawGrid(QPainter& p, const ChartGeometry& g) const {
    p.setPen(QPen(QColor(190, 190, 170), 1, Qt::DotLine));
    for (double v : g.xTicks) {
        const double px = g.x.ToPixel(v);
        p.drawLine(QPointF(px, g.y.to), QPointF(px, g.y.from));
    }
    for (double v : g.yTicks) {
        const double py = g.y.ToPixel(v);
        p.drawLine(QPointF(g.x.from, py), QPointF(g.x.to, py));
    }
}

void ChartPanel::Impl::DrawAxes(QPainter& p, const ChartGeometry& g) const {
    constexpr double kTick = 4, kGap = 2;
    const double lineHeight = metrics.height();
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(QPointF(g.x.from, g.y.to), QPointF(g.x.from, g.y.from));
    p.drawLine(QPointF(g.x.from, g.y.from), QPointF(g.x.to, g.y.from));
    p.setFont(labelFont);
    for (double v : g.yTicks) {
        const double py = g.y.ToPixel(v);
        p.drawLine(QPointF(g.x.from - kTick, py), QPointF(g.x.from, py));
        const std::string label = FormatGrouped(v);
        DrawText(p, g.x.from - kTick - kGap - measure.Width(label), py - lineHeight / 2, label);
    }
    for (double v : g.xTicks) {
        const double px = g.x.ToPixel(v);
        p.drawLine(QPointF(px, g.y.from), QPointF(px, g.y.from + kTick));
        double top = g.y.from + kTick + kGap;
        for (const std::string& line : SplitAtSpaces(FormatGrouped(v))) {
            DrawText(p, px - measure.Width(line) / 2, top, line);
            top += lineHeight;
        }
    }

    p.setFont(titleFont);
    const QString bottomTitle = QStringLiteral("Скорость (км/ч)");
    const QString leftTitle = QStringLiteral("Обороты двигателя (об/мин)");
    const double bottomCentre = (g.x.from + g.x.to) / 2;
    p.drawText(QPointF(bottomCentre - titleMetrics.horizontalAdvance(bottomTitle) / 2,
                       g.area.bottom - lineHeight + titleMetrics.ascent()),
               bottomTitle);
    // Written upwards along the left edge, centred on the axis.
    p.save();
    p.translate(g.area.left, (g.y.from + g.y.to) / 2);
    p.rotate(-90);
    p.drawText(QPointF(-titleMetrics.horizontalAdvance(leftTitle) / 2, titleMetrics.ascent()),
               leftTitle);
    p.restore();
}

void ChartPanel::Impl::DrawSeries(QPainter& p, const ChartGeometry& g,
                                  const PixelRect& reach) const {
    QPolygonF line;
    for (const Series& s : chart) {
        const SeriesRole role = s.Role();
        if (role == SeriesRole::ShiftSpeed || s.Points().empty()) continue;  // labels only
        const QColor color = ToQColor(s.GetColor());

        line.clear();
        bool inside = true;
        for (const ChartPoint& pt : s.Points()) {
            const QPointF q(g.x.ToPixel(pt.x), g.y.ToPixel(pt.y));
            inside = inside && q.x() >= reach.left && q.x() <= reach.right && q.y() >= reach.top &&
                     q.y() <= reach.bottom;
            line << q;
        }
        QPen pen(color, role == SeriesRole::ShiftCurve ? 3 : 1, Qt::SolidLine, Qt::RoundCap,
                 Qt::RoundJoin);
        p.setPen(pen);
        if (inside) {
            p.drawPolyline(line);
        } else {
            // A zoomed view may put points thousands of millions of pixels away; such
            // segments are cut to what can be seen, so the clipboard picture and the
            // printer file never carry coordinates that other programs choke on.
            for (qsizetype i = 1; i < line.size(); ++i) {
                double x0 = line[i - 1].x(), y0 = line[i - 1].y(), x1 = line[i].x(),
                       y1 = line[i].y();
                if (ClipSegment(reach, x0, y0, x1, y1))
                    p.drawLine(QPointF(x0, y0), QPointF(x1, y1));
            }
        }

        if (role == SeriesRole::ShiftCurve) {
            p.save();
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(Qt::NoPen);
            p.setBrush(color);
            for (const QPointF& q : line) {
                if (q.x() >= reach.left && q.x() <= reach.right && q.y() >= reach.top &&
                    q.y() <= reach.bottom)
                    p.drawEllipse(q, kSymbolRadius, kSymbolRadius);
            }
            p.restore();
        }
    }
}

void ChartPanel::Impl::DrawLabels(QPainter& p, const ChartGeometry& g) const {
    const AxisRanges view = g.Ranges();
    const double lineHeight = metrics.height();
    p.setFont(labelFont);
    std::vector<double> widths;
    for (const Series& s : chart) {
        if (!s.LabelsVisible()) continue;
        const QColor color = ToQColor(s.GetColor());
        // The shift curve's labels (never switched on by the program) stand without a box.
        const bool boxed = s.Role() != SeriesRole::ShiftCurve;
        for (const ChartPoint& pt : s.Points()) {
            if (!InView(view, pt)) continue;
            const double px = g.x.ToPixel(pt.x), py = g.y.ToPixel(pt.y);
            const std::vector<std::string> lines = PointLabelLines(s.Role(), pt);
            widths.clear();
            for (const std::string& l : lines) widths.push_back(measure.Width(l));
            const double widest = *std::max_element(widths.begin(), widths.end());
            const PixelRect box = LabelBox(px, py, widest, lines.size(), lineHeight);

            p.setPen(QPen(color, 1));
            p.drawLine(QPointF(px, py), QPointF(px, box.bottom));
            if (boxed) {
                p.setBrush(Qt::white);
                p.drawRect(QRectF(box.left, box.top, box.Width(), box.Height()));
            }
            p.setPen(Qt::black);
            double top = box.top + kLabelPadding;
            for (std::size_t i = 0; i < lines.size(); ++i) {
                DrawText(p, px - widths[i] / 2, top, lines[i]);
                top += lineHeight;
            }
        }
    }
}

ChartPanel::ChartPanel(ShiftChart& chart, QWidget* parent)
    : QFrame(parent), d(std::make_unique<Impl>(chart, font())) {
    setObjectName(QStringLiteral("Chart1"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setCursor(Qt::PointingHandCursor);
    // The hint carries a second part after the bar that is shown nowhere.
    setToolTip(QStringLiteral("Красиво, да ?|Опа !").section(QLatin1Char('|'), 0, 0));
    setAttribute(Qt::WA_OpaquePaintEvent);  // the background covers every pixel

    d->menu = new QMenu(this);
    d->menu->setObjectName(QStringLiteral("PMChart1"));
    // Only the menu holds these actions: the main window has its own with the same keys.
    QAction* copy = d->menu->addAction(QStringLiteral("Копировать"));
    copy->setObjectName(QStringLiteral("N1"));
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    connect(copy, &QAction::triggered, this, [this] { N1Click(); });
    QAction* print = d->menu->addAction(QStringLiteral("Печать..."));
    print->setObjectName(QStringLiteral("N4"));
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(print, &QAction::triggered, this, [this] { Print1Click(); });

    d->chart.SetOnChange([this] { update(); });
}

ChartPanel::~ChartPanel() { d->chart.SetOnChange({}); }

void ChartPanel::Paint(QPainter& painter, const QRectF& rect) {
    painter.save();
    painter.translate(rect.topLeft());
    painter.setRenderHint(QPainter::Antialiasing, false);
    const double w = rect.width(), h = rect.height();

    QLinearGradient background(0, 0, 0, h);
    background.setColorAt(0, ToQColor(kBackgroundTop));
    background.setColorAt(1, Qt::white);
    painter.fillRect(QRectF(0, 0, w, h), background);

    // The axes stand whatever the series hold: a chart without points keeps its frame
    // of reference, on screen, in the clipboard picture and on paper alike.
    const ChartGeometry g = d->Geometry(w, h);
    d->DrawGrid(painter, g);
    // Series are not cut at the axes; only what lies far beyond the panel is dropped.
    const PixelRect reach{-32, -32, w + 32, h + 32};
    d->DrawSeries(painter, g, reach);
    // A zoomed view runs the series over the axes: their labels stay on top, readable.
    d->DrawAxes(painter, g);
    d->DrawLabels(painter, g);
    painter.restore();
}

void ChartPanel::PaintPage(QPainter& painter, const QSize& page) {
    const DotRect r = PrintRect(page.width(), page.height());
    const double w = std::max(1, width()), h = std::max(1, height());
    painter.save();
    painter.translate(r.left, r.top);
    painter.scale((r.right - r.left) / w, (r.bottom - r.top) / h);
    Paint(painter, QRectF(0, 0, w, h));
    painter.restore();
}

void ChartPanel::N1Click() {
    RunHandler([&] {
        const int w = std::max(1, width() - 1), h = std::max(1, height() - 1);
        const QRectF area(0, 0, w, h);

        const QByteArray svg = SvgPicture(QSize(w, h));
        QImage image(w, h, QImage::Format_RGB32);
        {
            QPainter painter(&image);
            Paint(painter, area);
        }

        auto* mime = new QMimeData;
        mime->setData(QStringLiteral("image/svg+xml"), svg);
        mime->setImageData(image);
        QGuiApplication::clipboard()->setMimeData(mime);
    });
}

QByteArray ChartPanel::SvgPicture(const QSize& size) {
    QByteArray svg;
    QBuffer buffer(&svg);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    // The picture's size is written in millimetres; at 96 dots per inch they come back as
    // w x h pixels wherever an inch is 96 pixels (browsers, office suites).
    generator.setResolution(96);
    generator.setTitle(objectName());
    QPainter painter;
    if (!painter.begin(&generator)) throw KelmError("Не удалось нарисовать график в SVG");
    Paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return svg;
}

void ChartPanel::Print1Click() {
    RunHandler([&] {
        QPrinter& printer = Printer();
        PrinterSetup& setup = d->setup ? *d->setup : d->qtSetup;
        if (!setup.Exec(printer, this)) return;
        PrintChart(printer);
    });
}

void ChartPanel::PrintChart(QPrinter& printer) {
    const QPageLayout::Orientation chosen = printer.pageLayout().orientation();
    // Declared before the painter, so the orientation comes back after the job is over,
    // whether it succeeded or not.
    const auto restore = qScopeGuard([&] { printer.setPageOrientation(chosen); });
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(objectName());

    QPainter painter;
    if (!painter.begin(&printer)) throw KelmError(PrintFailure(printer).toStdString());
    PaintPage(painter, QSize(printer.width(), printer.height()));
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        printer.abort();
        throw KelmError(PrintFailure(printer).toStdString());
    }
}

void ChartPanel::SetPrinterSetup(PrinterSetup* setup) { d->setup = setup; }

QPrinter& ChartPanel::Printer() {
    if (!d->printer) d->printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *d->printer;
}

QMenu* ChartPanel::PMChart1() const { return d->menu; }

bool ChartPanel::Zoomed() const { return d->zoom.has_value(); }

AxisRanges ChartPanel::CurrentRanges() const { return d->Ranges(); }

ChartGeometry ChartPanel::ScreenGeometry() const { return d->Geometry(width(), height()); }

void ChartPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Paint(painter, QRectF(rect()));
    if (d->dragging) {
        painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(d->dragStart, d->dragEnd).normalized());
    }
    drawFrame(&painter);
}

void ChartPanel::mousePressEvent(QMouseEvent* event) {
    RunHandler([&] {
        if (event->button() != Qt::LeftButton) return;
        d->dragging = true;
        d->dragStart = d->dragEnd = event->position();
        update();
    });
}

void ChartPanel::mouseMoveEvent(QMouseEvent* event) {
    RunHandler([&] {
        if (!d->dragging) return;
        d->dragEnd = event->position();
        update();
    });
}

void ChartPanel::mouseReleaseEvent(QMouseEvent* event) {
    RunHandler([&] {
        if (event->button() != Qt::LeftButton || !d->dragging) return;
        d->dragging = false;
        d->dragEnd = event->position();
        d->ApplyDrag(width(), height());
        update();
    });
}

void ChartPanel::contextMenuEvent(QContextMenuEvent* event) {
    RunHandler([&] { d->menu->exec(event->globalPos()); });
}

}  // namespace kelm
