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

// The pen of a series' line, a marker or a legend sample.  Solid lines have round ends
// and joins; dashes and dots are cut square, so their pattern stays crisp.
QPen LinePen(Color color, double width, LineStyle style) {
    QPen pen(ToQColor(color), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    if (style == LineStyle::Dashed || style == LineStyle::Dotted) {
        pen.setCapStyle(Qt::FlatCap);
        // In units of the pen's width.
        pen.setDashPattern(style == LineStyle::Dashed ? QList<qreal>{6, 4} : QList<qreal>{1, 3});
    }
    return pen;
}

bool Within(const PixelRect& r, const QPointF& q) { return r.Contains(q.x(), q.y()); }

}  // namespace

struct ChartPanel::Impl {
    Impl(ShiftChart* s, PlotModel* m, const QFont& base)
        : shift(s),
          model(m),
          labelFont(PixelFont(base, false)),
          titleFont(PixelFont(base, true)),
          metrics(labelFont),
          titleMetrics(titleFont),
          measure(metrics) {}

    const Plot& CurrentPlot() const {
        if (!shift) return model->Get();
        if (shiftStale) {
            shiftPlot = ShiftPlot(*shift);
            shiftStale = false;
        }
        return shiftPlot;
    }

    AxisRanges Ranges(double width, double height) const {
        return zoom ? *zoom : AutomaticRanges(CurrentPlot(), width, height, measure);
    }

    ChartGeometry Geometry(double width, double height) const {
        return LayOutChart(width, height, Ranges(width, height), measure, CurrentPlot());
    }

    void DrawText(QPainter& p, double left, double top, std::string_view text) const {
        p.drawText(QPointF(left, top + metrics.ascent()), FromUtf8(text));
    }
    void DrawTitle(QPainter& p, double centre, double top, const std::string& text) const;
    void DrawVerticalTitle(QPainter& p, double left, double centre, const std::string& text) const;

    void DrawGrid(QPainter& p, const ChartGeometry& g) const;
    void DrawAxes(QPainter& p, const Plot& plot, const ChartGeometry& g) const;
    void DrawSeries(QPainter& p, const Plot& plot, const ChartGeometry& g,
                    const PixelRect& reach) const;
    void DrawMarkers(QPainter& p, const Plot& plot, const ChartGeometry& g) const;
    void DrawLabels(QPainter& p, const Plot& plot, const ChartGeometry& g) const;
    void DrawCaptions(QPainter& p, const Plot& plot, const ChartGeometry& g) const;
    void DrawLegend(QPainter& p, const Plot& plot, const ChartGeometry& g) const;

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

    // What is drawn: the shift chart's series, turned into a plot again after they change,
    // or the model's plot.
    ShiftChart* shift;
    PlotModel* model;
    mutable Plot shiftPlot;
    mutable bool shiftStale = true;

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
    QAction* copy = nullptr;
    QAction* print = nullptr;
    PrinterSetup* setup = nullptr;
    QtPrinterSetup qtSetup;
    std::unique_ptr<QPrinter> printer;
};

void ChartPanel::Impl::DrawTitle(QPainter& p, double centre, double top,
                                 const std::string& text) const {
    const QString title = FromUtf8(text);
    p.drawText(
        QPointF(centre - titleMetrics.horizontalAdvance(title) / 2, top + titleMetrics.ascent()),
        title);
}

// Written upwards, its top at `left`, centred on `centre`.
void ChartPanel::Impl::DrawVerticalTitle(QPainter& p, double left, double centre,
                                         const std::string& text) const {
    const QString title = FromUtf8(text);
    p.save();
    p.translate(left, centre);
    p.rotate(-90);
    p.drawText(QPointF(-titleMetrics.horizontalAdvance(title) / 2, titleMetrics.ascent()), title);
    p.restore();
}

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

void ChartPanel::Impl::DrawAxes(QPainter& p, const Plot& plot, const ChartGeometry& g) const {
    constexpr double kTick = 4, kGap = 2;
    const double lineHeight = metrics.height();
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(QPointF(g.x.from, g.y.to), QPointF(g.x.from, g.y.from));
    p.drawLine(QPointF(g.x.from, g.y.from), QPointF(g.x.to, g.y.from));
    p.setFont(labelFont);
    for (double v : g.yTicks) {
        const double py = g.y.ToPixel(v);
        p.drawLine(QPointF(g.x.from - kTick, py), QPointF(g.x.from, py));
        const std::string label = TickLabel(v, g.yDecimals);
        DrawText(p, g.x.from - kTick - kGap - measure.Width(label), py - lineHeight / 2, label);
    }
    for (double v : g.xTicks) {
        const double px = g.x.ToPixel(v);
        p.drawLine(QPointF(px, g.y.from), QPointF(px, g.y.from + kTick));
        double top = g.y.from + kTick + kGap;
        for (const std::string& line : SplitAtSpaces(TickLabel(v, g.xDecimals))) {
            DrawText(p, px - measure.Width(line) / 2, top, line);
            top += lineHeight;
        }
    }
    if (g.hasY2) {
        p.drawLine(QPointF(g.x.to, g.y.to), QPointF(g.x.to, g.y.from));
        for (double v : g.y2Ticks) {
            const double py = g.y2.ToPixel(v);
            p.drawLine(QPointF(g.x.to, py), QPointF(g.x.to + kTick, py));
            DrawText(p, g.x.to + kTick + kGap, py - lineHeight / 2, TickLabel(v, g.y2Decimals));
        }
    }

    p.setFont(titleFont);
    DrawTitle(p, (g.x.from + g.x.to) / 2, g.area.bottom - lineHeight, plot.x.title);
    DrawVerticalTitle(p, g.area.left, (g.y.from + g.y.to) / 2, plot.left.title);
    if (plot.right)
        DrawVerticalTitle(p, g.area.right - lineHeight, (g.y.from + g.y.to) / 2, plot.right->title);
}

void ChartPanel::Impl::DrawSeries(QPainter& p, const Plot& plot, const ChartGeometry& g,
                                  const PixelRect& reach) const {
    QPolygonF line;
    for (const PlotSeries& s : plot.series) {
        if (s.points.empty()) continue;
        const AxisScale& ys = plot.OnRight(s) ? g.y2 : g.y;
        const std::vector<std::pair<std::size_t, std::size_t>> runs = FiniteRuns(s.points);
        if (s.line != LineStyle::None) {
            p.setPen(LinePen(s.color, s.width, s.line));
            for (const auto& [first, last] : runs) {
                line.clear();
                bool inside = true;
                for (std::size_t i = first; i < last; ++i) {
                    const QPointF q(g.x.ToPixel(s.points[i].x), ys.ToPixel(s.points[i].y));
                    inside = inside && Within(reach, q);
                    line << q;
                }
                if (line.size() == 1) {
                    // A figure alone between two gaps still shows, as a dot.
                    if (inside) p.drawPoint(line.front());
                } else if (inside) {
                    p.drawPolyline(line);
                } else {
                    // A zoomed view may put points thousands of millions of pixels away;
                    // such segments are cut to what can be seen, so the clipboard picture
                    // and the printer file never carry coordinates that other programs
                    // choke on.
                    for (qsizetype i = 1; i < line.size(); ++i) {
                        double x0 = line[i - 1].x(), y0 = line[i - 1].y(), x1 = line[i].x(),
                               y1 = line[i].y();
                        if (ClipSegment(reach, x0, y0, x1, y1))
                            p.drawLine(QPointF(x0, y0), QPointF(x1, y1));
                    }
                }
            }
        }

        if (s.symbolRadius > 0) {
            p.save();
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(Qt::NoPen);
            p.setBrush(ToQColor(s.color));
            for (const auto& [first, last] : runs) {
                for (std::size_t i = first; i < last; ++i) {
                    const QPointF q(g.x.ToPixel(s.points[i].x), ys.ToPixel(s.points[i].y));
                    if (Within(reach, q)) p.drawEllipse(q, s.symbolRadius, s.symbolRadius);
                }
            }
            p.restore();
        }
    }
}

void ChartPanel::Impl::DrawMarkers(QPainter& p, const Plot& plot, const ChartGeometry& g) const {
    for (const PlotMarker& m : plot.markers) {
        if (!(m.x >= g.x.min && m.x <= g.x.max) || m.line == LineStyle::None) continue;
        const double px = g.x.ToPixel(m.x);
        p.setPen(LinePen(m.color, m.width, m.line));
        p.drawLine(QPointF(px, g.y.to), QPointF(px, g.y.from));
    }
}

void ChartPanel::Impl::DrawLabels(QPainter& p, const Plot& plot, const ChartGeometry& g) const {
    const AxisRanges view = g.Ranges();
    const AxisRanges rightView{view.xMin, view.xMax, view.y2Min, view.y2Max};
    const double lineHeight = metrics.height();
    p.setFont(labelFont);
    std::vector<double> widths;
    for (const PlotSeries& s : plot.series) {
        if (s.labels.empty()) continue;
        const bool right = plot.OnRight(s);
        const AxisScale& ys = right ? g.y2 : g.y;
        const QColor color = ToQColor(s.color);
        const std::size_t count = std::min(s.points.size(), s.labels.size());
        for (std::size_t i = 0; i < count; ++i) {
            const ChartPoint& pt = s.points[i];
            const std::vector<std::string>& lines = s.labels[i];
            if (lines.empty() || !InView(right ? rightView : view, pt)) continue;
            const double px = g.x.ToPixel(pt.x), py = ys.ToPixel(pt.y);
            widths.clear();
            for (const std::string& l : lines) widths.push_back(measure.Width(l));
            const double widest = *std::max_element(widths.begin(), widths.end());
            const PixelRect box = LabelBox(px, py, widest, lines.size(), lineHeight);

            p.setPen(QPen(color, 1));
            p.drawLine(QPointF(px, py), QPointF(px, box.bottom));
            if (s.labelBoxes) {
                p.setBrush(Qt::white);
                p.drawRect(QRectF(box.left, box.top, box.Width(), box.Height()));
            }
            p.setPen(Qt::black);
            double top = box.top + kLabelPadding;
            for (std::size_t j = 0; j < lines.size(); ++j) {
                DrawText(p, px - widths[j] / 2, top, lines[j]);
                top += lineHeight;
            }
        }
    }
}

void ChartPanel::Impl::DrawCaptions(QPainter& p, const Plot& plot, const ChartGeometry& g) const {
    p.setFont(labelFont);
    p.setBrush(Qt::white);
    for (std::size_t i = 0; i < plot.markers.size(); ++i) {
        const std::optional<PixelRect>& box = g.markerCaptions[i];
        if (!box) continue;
        p.setPen(QPen(ToQColor(plot.markers[i].color), 1));
        p.drawRect(QRectF(box->left, box->top, box->Width(), box->Height()));
        p.setPen(Qt::black);
        DrawText(p, box->left + kLabelPadding, box->top + kLabelPadding, plot.markers[i].caption);
    }
}

void ChartPanel::Impl::DrawLegend(QPainter& p, const Plot& plot, const ChartGeometry& g) const {
    if (!g.legend) return;
    const PixelRect& box = *g.legend;
    const double lineHeight = metrics.height();
    p.setFont(labelFont);
    p.setPen(QPen(QColor(160, 160, 160), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(box.left, box.top, box.Width(), box.Height()));
    double top = box.top + kLegendPadding;
    for (const LegendEntry& e : plot.legend) {
        const double sampleLeft = box.left + kLegendPadding, middle = top + lineHeight / 2;
        if (e.line != LineStyle::None) {
            p.setPen(LinePen(e.color, e.width, e.line));
            p.drawLine(QPointF(sampleLeft, middle), QPointF(sampleLeft + kLegendSample, middle));
        }
        if (e.symbolRadius > 0) {
            p.save();
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(Qt::NoPen);
            p.setBrush(ToQColor(e.color));
            p.drawEllipse(QPointF(sampleLeft + kLegendSample / 2, middle), e.symbolRadius,
                          e.symbolRadius);
            p.restore();
        }
        p.setPen(Qt::black);
        DrawText(p, sampleLeft + kLegendSample + kLegendPadding, top, e.text);
        top += lineHeight;
    }
}

ChartPanel::ChartPanel(ShiftChart& chart, QWidget* parent)
    : QFrame(parent), d(std::make_unique<Impl>(&chart, nullptr, font())) {
    Build();
    setObjectName(QStringLiteral("Chart1"));
    d->menu->setObjectName(QStringLiteral("PMChart1"));
    // The hint carries a second part after the bar that is shown nowhere.
    setToolTip(QStringLiteral("Красиво, да ?|Опа !").section(QLatin1Char('|'), 0, 0));
    // Only the menu holds these keys: the main window has its own actions with them.
    SetMenuShortcuts(QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_P));
    d->shift->SetOnChange([this] {
        d->shiftStale = true;
        update();
    });
}

ChartPanel::ChartPanel(PlotModel& plot, QWidget* parent)
    : QFrame(parent), d(std::make_unique<Impl>(nullptr, &plot, font())) {
    Build();
    d->menu->setObjectName(QStringLiteral("PMChart"));
    d->model->SetOnChange([this] { update(); });
}

void ChartPanel::Build() {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);  // the background covers every pixel

    d->menu = new QMenu(this);
    d->copy = d->menu->addAction(QStringLiteral("Копировать"));
    d->copy->setObjectName(QStringLiteral("N1"));
    connect(d->copy, &QAction::triggered, this, [this] { N1Click(); });
    d->print = d->menu->addAction(QStringLiteral("Печать..."));
    d->print->setObjectName(QStringLiteral("N4"));
    connect(d->print, &QAction::triggered, this, [this] { Print1Click(); });
}

ChartPanel::~ChartPanel() {
    if (d->shift) d->shift->SetOnChange({});
    if (d->model) d->model->SetOnChange({});
}

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
    const Plot& plot = d->CurrentPlot();
    const ChartGeometry g = d->Geometry(w, h);
    d->DrawGrid(painter, g);
    // Series are not cut at the axes; only what lies far beyond the panel is dropped.
    const PixelRect reach{-32, -32, w + 32, h + 32};
    d->DrawSeries(painter, plot, g, reach);
    d->DrawMarkers(painter, plot, g);
    // A zoomed view runs the series over the axes: their labels stay on top, readable.
    d->DrawAxes(painter, plot, g);
    d->DrawLabels(painter, plot, g);
    d->DrawCaptions(painter, plot, g);
    d->DrawLegend(painter, plot, g);
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

void ChartPanel::SetMenuShortcuts(const QKeySequence& copy, const QKeySequence& print) {
    d->copy->setShortcut(copy);
    d->print->setShortcut(print);
}

bool ChartPanel::Zoomed() const { return d->zoom.has_value(); }

void ChartPanel::Unzoom() {
    d->zoom.reset();
    update();
}

AxisRanges ChartPanel::CurrentRanges() const { return d->Ranges(width(), height()); }

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
