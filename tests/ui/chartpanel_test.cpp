#include "chart/chartpanel.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <functional>

#include "base/numtext.h"
#include "chart/shiftcurves.h"
#include "core/recording_messages.h"
#include "widgets/coreedge.h"

namespace kelm {
namespace {

bool Near(QRgb c, int r, int g, int b, int tolerance = 3) {
    return std::abs(qRed(c) - r) <= tolerance && std::abs(qGreen(c) - g) <= tolerance &&
           std::abs(qBlue(c) - b) <= tolerance;
}

int CountPixels(const QImage& image, const std::function<bool(QRgb)>& match, QRect within = {}) {
    if (within.isNull()) within = image.rect();
    within &= image.rect();
    int n = 0;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x) n += match(image.pixel(x, y));
    return n;
}

int CountColour(const QImage& image, Color c, QRect within = {}) {
    return CountPixels(
        image, [&](QRgb p) { return Near(p, RedOf(c), GreenOf(c), BlueOf(c), 0); }, within);
}

bool Dark(QRgb p) { return qRed(p) < 90 && qGreen(p) < 90 && qBlue(p) < 90; }

class ChartPanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto row = std::make_unique<Riad>();
        row->Name = "Std";
        row->Ratios = {3.5, 2.0, 1.4, 1.0, 0.8, 0};
        catalog_.AppendRow(std::move(row));
        catalog_.AppendPair(std::make_unique<MainPair>(3.9));
        catalog_.AppendPair(std::make_unique<MainPair>(4.1));
        auto tyre = std::make_unique<Koles>();
        tyre->Name = "T";
        tyre->Perimeter = 1800;
        catalog_.AppendTyre(std::move(tyre));
        panel_.resize(600, 400);
    }

    // The worked example in set 1 (main pair 3.9), optionally set 2 with main pair 4.1.
    void Build(bool set1, bool set2, bool labels = true, Color c1 = colors::Red,
               Color c2 = colors::Blue) {
        Grafic(6000, ComparisonSet{set1, labels, c1, "Std", "3,9", "T"},
               ComparisonSet{set2, labels, c2, "Std", "4,1", "T"}, catalog_, chart_);
    }

    QImage Shot() { return panel_.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    QPoint PixelOf(double x, double y) {
        const ChartGeometry g = panel_.ScreenGeometry();
        return QPointF(g.x.ToPixel(x), g.y.ToPixel(y)).toPoint();
    }

    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        QTest::mousePress(&panel_, Qt::LeftButton, keys, from);
        QTest::mouseMove(&panel_, to);
        QTest::mouseRelease(&panel_, Qt::LeftButton, keys, to);
    }

    Catalog catalog_;
    ShiftChart chart_;
    ChartPanel panel_{chart_};
};

TEST_F(ChartPanelTest, DesignSettings) {
    EXPECT_EQ(panel_.objectName(), "Chart1");
    EXPECT_EQ(panel_.toolTip(), QString::fromUtf8("Красиво, да ?"));
    EXPECT_EQ(panel_.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(panel_.frameShape(), QFrame::Box);
    EXPECT_EQ(panel_.frameShadow(), QFrame::Plain);
    EXPECT_EQ(panel_.lineWidth(), 1);

    QMenu* menu = panel_.PMChart1();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), "PMChart1");
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->objectName(), "N1");
    EXPECT_EQ(items[0]->text(), QString::fromUtf8("Копировать"));
    EXPECT_EQ(items[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    EXPECT_EQ(items[1]->objectName(), "N4");
    EXPECT_EQ(items[1]->text(), QString::fromUtf8("Печать..."));
    EXPECT_EQ(items[1]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    // The main window holds the live keys; the panel must not compete with them.
    EXPECT_TRUE(panel_.actions().isEmpty());

    // The menu item does what the command does.
    QGuiApplication::clipboard()->setText("before");
    items[0]->trigger();
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasImage());
}

TEST_F(ChartPanelTest, DrawsASetInItsColourOverTheGradient) {
    Build(true, false, false);
    QImage shot = Shot();
    // The right margin has nothing but the background: light yellow at the top, white below.
    EXPECT_TRUE(Near(shot.pixel(596, 1), 255, 255, 128)) << std::hex << shot.pixel(596, 1);
    EXPECT_TRUE(Near(shot.pixel(596, 398), 255, 255, 255)) << std::hex << shot.pixel(596, 398);
    EXPECT_TRUE(Dark(shot.pixel(0, 200)));  // the single-line border

    EXPECT_GT(CountColour(shot, colors::Red), 500);
    EXPECT_EQ(CountColour(shot, colors::Blue), 0);
    // A symbol at the first shift point, and gear 2's line half way up.
    const QPoint shift = PixelOf(47.4725, 6000);
    EXPECT_EQ(CountColour(shot, colors::Red, QRect(shift - QPoint(1, 1), QSize(3, 3))), 9);
    const QPoint mid = PixelOf(47.4725 / 2, 3428.5714 / 2);
    EXPECT_GT(CountColour(shot, colors::Red, QRect(mid - QPoint(2, 2), QSize(5, 5))), 0);

    // A colour change of the set repaints it in the new colour.
    Build(true, false, false, colors::Blue);
    shot = Shot();
    EXPECT_EQ(CountColour(shot, colors::Red), 0);
    EXPECT_GT(CountColour(shot, colors::Blue), 500);
}

TEST_F(ChartPanelTest, ShiftSpeedSeriesShowsOnlyLabels) {
    Build(true, false, false);
    chart_[6].SetColor(colors::Lime);  // Series7 alone in its own colour
    EXPECT_EQ(CountColour(Shot(), colors::Lime), 0);
    // With its labels on it shows up: in its label boxes and connectors only.
    chart_[6].SetLabelsVisible(true);
    const QImage shot = Shot();
    EXPECT_GT(CountColour(shot, colors::Lime), 0);
    // Half way between two shift points at the top there is no line.
    const QPoint between = PixelOf((47.4725 + 83.0769) / 2, 6000);
    EXPECT_EQ(CountColour(shot, colors::Lime, QRect(between - QPoint(3, 3), QSize(7, 7))), 0);
}

TEST_F(ChartPanelTest, LabelsOnlyWhenTheFlagIsOn) {
    // Just above the end of gear 2's line, where its label box stands.
    auto textAboveGear2 = [&] {
        const QPoint end = PixelOf(47.4725, 3428.5714);
        return CountPixels(Shot(), Dark, QRect(end.x() - 25, end.y() - 26, 50, 18));
    };
    // The inside of the "0" label boxes at the origin.  The gear lines and the left axis
    // run through it whether or not the labels are there, but nothing else is pure white
    // that low on the gradient, and the axis is covered by the boxes.
    const auto originLabel = [&] {
        const QPoint origin = PixelOf(0, 0);
        const QFontMetricsF metrics(panel_.font());
        const PixelRect box =
            LabelBox(origin.x(), origin.y(), metrics.horizontalAdvance("0"), 1, metrics.height());
        return QRectF(box.left, box.top, box.Width(), box.Height()).toRect().adjusted(2, 2, -2, -2);
    };
    const auto white = [](QRgb p) { return p == qRgb(255, 255, 255); };

    Build(true, false, false);
    EXPECT_EQ(textAboveGear2(), 0);
    QImage shot = Shot();
    EXPECT_EQ(CountPixels(shot, white, originLabel()), 0);

    Build(true, false, true);
    EXPECT_GT(textAboveGear2(), 5);
    // The origin carries its "0" labels too: an opaque box with the dark figure in it.
    shot = Shot();
    const QRect inside = originLabel();
    ASSERT_GT(inside.width() * inside.height(), 10);
    EXPECT_GT(CountPixels(shot, white, inside), inside.width() * inside.height() / 3);
    EXPECT_GT(CountPixels(shot, Dark, inside), 2);
}

// The longest run of matching pixels along a row (or a column) within a rectangle.
int LongestRun(const QImage& image, const std::function<bool(QRgb)>& match, QRect within,
               Qt::Orientation along) {
    within &= image.rect();
    int longest = 0;
    const bool rows = along == Qt::Horizontal;
    const int lines = rows ? within.height() : within.width();
    const int length = rows ? within.width() : within.height();
    for (int i = 0; i < lines; ++i) {
        int run = 0;
        for (int j = 0; j < length; ++j) {
            const QPoint p = rows ? QPoint(within.left() + j, within.top() + i)
                                  : QPoint(within.left() + i, within.top() + j);
            run = match(image.pixel(p)) ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

// How much of a pixel the colour covers: 0 for the background of its row (as the right
// margin shows it), 1 for the colour itself.  Edges drawn antialiased lie in between.
double Coverage(const QImage& image, QPoint p, Color c) {
    const QRgb back = image.pixel(image.width() - 4, p.y()), got = image.pixel(p);
    const int want[3] = {RedOf(c), GreenOf(c), BlueOf(c)};
    const int bg[3] = {qRed(back), qGreen(back), qBlue(back)};
    const int px[3] = {qRed(got), qGreen(got), qBlue(got)};
    int ch = 0;  // the channel where the colour stands out most
    for (int i = 1; i < 3; ++i) {
        if (std::abs(want[i] - bg[i]) > std::abs(want[ch] - bg[ch])) ch = i;
    }
    return std::clamp(double(px[ch] - bg[ch]) / (want[ch] - bg[ch]), 0.0, 1.0);
}

// Pixels at least half covered by the colour, contiguous up and down from a pixel.
int ColumnRunThrough(const QImage& image, QPoint p, Color c) {
    const auto covered = [&](int y) { return Coverage(image, QPoint(p.x(), y), c) >= 0.5; };
    if (!covered(p.y())) return 0;
    int run = 1;
    for (int y = p.y() - 1; y >= 0 && covered(y); --y) ++run;
    for (int y = p.y() + 1; y < image.height() && covered(y); ++y) ++run;
    return run;
}

TEST_F(ChartPanelTest, SymbolsAndLineWidthsByRole) {
    // Every series on a level of its own, so that a horizontal line shows its width in any
    // column and a symbol its size around its point.  No labels.
    for (Series& series : chart_) series.SetLabelsVisible(false);
    const Color shiftColours[2] = {colors::Red, colors::Blue};
    const Color gearColours[2][5] = {
        {colors::Lime, colors::Navy, colors::Olive, colors::Teal, colors::Purple},
        {colors::Maroon, colors::Green, colors::Gray, colors::Navy, colors::Teal}};
    const Color speedColours[2] = {colors::Fuchsia, colors::Aqua};
    for (int set = 0; set < 2; ++set) {
        const std::size_t first = ShiftChart::FirstOfSet(set + 1);
        const double level = set == 0 ? 500 : 300;
        chart_[first].SetColor(shiftColours[set]);
        for (double x : {20, 50, 80}) chart_[first].AddXY(x, level);
        for (std::size_t gear = 0; gear < 5; ++gear) {
            Series& line = chart_[first + 1 + gear];
            line.SetColor(gearColours[set][gear]);
            const double y = (set == 0 ? 640 : 50) + 50 * static_cast<double>(gear);
            line.AddXY(10, y);
            line.AddXY(90, y);
        }
        // The shift speeds span the view corner to corner: no line may join them.
        chart_[first + 6].SetColor(speedColours[set]);
        chart_[first + 6].AddXY(0, set == 0 ? 0 : 1000);
        chart_[first + 6].AddXY(100, set == 0 ? 1000 : 0);
    }
    ASSERT_EQ(panel_.CurrentRanges(), (AxisRanges{0, 100, 0, 1000}));
    const QImage shot = Shot();

    for (int set = 0; set < 2; ++set) {
        SCOPED_TRACE(set + 1);
        const std::size_t first = ShiftChart::FirstOfSet(set + 1);
        // The shift curve: 3 pixels wide between its points ...
        const Color shift = shiftColours[set];
        const double level = chart_[first].Points().front().y;
        const QPoint between = PixelOf(35, level);
        EXPECT_EQ(CountColour(shot, shift, QRect(between.x(), between.y() - 6, 1, 13)), 3);
        // ... and at every point a filled circle of radius 3: 6 pixels high in the column
        // through its centre, without a gap (a radius of 2 gives 4, of 4 gives 8; an
        // outline leaves the rows between the line and the rim empty).
        for (const ChartPoint& pt : chart_[first].Points())
            EXPECT_EQ(ColumnRunThrough(shot, PixelOf(pt.x, pt.y), shift), 6) << pt.x;
        EXPECT_EQ(ColumnRunThrough(shot, between, shift), 3);
        // The gear lines: one pixel wide, no symbols at their points.
        for (std::size_t gear = 0; gear < 5; ++gear) {
            const Series& line = chart_[first + 1 + gear];
            const Color c = gearColours[set][gear];
            const double y = line.Points().front().y;
            const QPoint middle = PixelOf(50, y);
            EXPECT_EQ(CountColour(shot, c, QRect(middle.x(), middle.y() - 6, 1, 13)), 1)
                << "gear " << gear + 2;
            const QPoint end = PixelOf(90, y);
            EXPECT_EQ(CountColour(shot, c, QRect(end.x() - 1, end.y() - 6, 1, 13)), 1)
                << "gear " << gear + 2;
        }
        // The shift speeds: neither line nor symbols.
        EXPECT_EQ(CountColour(shot, speedColours[set]), 0);
    }
}

TEST_F(ChartPanelTest, AnEmptyChartKeepsItsAxesOnScreenInTheCopyAndOnPaper) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    // Both sets hidden; then set 1 shown but its gear row not found, so only its origins.
    for (bool shownButNotFound : {false, true}) {
        SCOPED_TRACE(shownButNotFound);
        Grafic(6000, ComparisonSet{shownButNotFound, true, colors::Red, "none", "3,9", "T"},
               ComparisonSet{false, true, colors::Blue, "Std", "4,1", "T"}, catalog_, chart_);
        const ChartGeometry g = panel_.ScreenGeometry();
        EXPECT_EQ(g.Ranges(), kEmptyChartRanges);
        EXPECT_GE(g.xTicks.size(), 3u);
        EXPECT_GE(g.yTicks.size(), 3u);
        const double leftAxis = g.y.from - g.y.to, bottomAxis = g.x.to - g.x.from;

        // The gradient is still behind everything: the right margin shows it.
        const QImage shot = Shot();
        EXPECT_TRUE(Near(shot.pixel(596, 1), 255, 255, 128));
        EXPECT_TRUE(Near(shot.pixel(596, 398), 255, 255, 255));
        // Inside the border: both axes along their whole length, ...
        const QRect inner = shot.rect().adjusted(2, 2, -2, -2);
        // (The "0" labels of a shown set cover the foot of the left axis.)
        EXPECT_GE(LongestRun(shot, Dark, inner, Qt::Vertical), 0.9 * leftAxis);
        EXPECT_GE(LongestRun(shot, Dark, inner, Qt::Horizontal), bottomAxis - 1);
        // ... the grid, ...
        EXPECT_GT(CountPixels(shot, [](QRgb p) { return Near(p, 190, 190, 170, 0); }), 200);
        // ... the tick labels and the titles left of and below the axes.
        const QRect leftOfAxis(inner.left(), inner.top(), qRound(g.x.from) - 6 - inner.left(),
                               inner.height());
        const QRect belowAxis(inner.left(), qRound(g.y.from) + 6, inner.width(),
                              inner.bottom() - qRound(g.y.from) - 6);
        EXPECT_GT(CountPixels(shot, Dark, leftOfAxis), 150);
        EXPECT_GT(CountPixels(shot, Dark, belowAxis), 150);

        // The clipboard picture, a pixel smaller, shows the same.
        panel_.N1Click();
        const QImage copy = qvariant_cast<QImage>(clipboard->mimeData()->imageData());
        ASSERT_EQ(copy.size(), QSize(599, 399));
        EXPECT_TRUE(Near(copy.pixel(596, 0), 255, 255, 128));
        EXPECT_GE(LongestRun(copy, Dark, copy.rect(), Qt::Vertical), 0.9 * leftAxis);
        EXPECT_GE(LongestRun(copy, Dark, copy.rect(), Qt::Horizontal), bottomAxis - 3);
        EXPECT_GT(CountPixels(copy, Dark), 300 + leftAxis + bottomAxis);

        // So does the printed page, stretched over (150, 105) to (850, 595).
        QImage page(1000, 700, QImage::Format_RGB32);
        page.fill(Qt::magenta);
        {
            QPainter p(&page);
            panel_.PaintPage(p, page.size());
        }
        EXPECT_GE(LongestRun(page, Dark, page.rect(), Qt::Vertical), 0.9 * leftAxis * 490 / 400);
        EXPECT_GE(LongestRun(page, Dark, page.rect(), Qt::Horizontal), bottomAxis * 700 / 600 - 3);
        EXPECT_GT(CountPixels(page, Dark), 300 + leftAxis + bottomAxis);
    }
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* e) override {
        paints += e->type() == QEvent::Paint;
        return false;
    }
    int paints = 0;
};

// The paint events a widget on screen receives for a change.
int PaintsAfter(QWidget& widget, const std::function<void()>& change) {
    PaintCounter counter;
    widget.installEventFilter(&counter);
    QCoreApplication::processEvents();
    counter.paints = 0;
    change();
    QCoreApplication::processEvents();
    widget.removeEventFilter(&counter);
    return counter.paints;
}

TEST_F(ChartPanelTest, RepaintsAfterEveryChangeOfASeries) {
    panel_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel_));
    EXPECT_GT(PaintsAfter(panel_, [&] { chart_[3].AddXY(10, 1000); }), 0);
    EXPECT_GT(PaintsAfter(panel_, [&] { chart_[3].SetColor(colors::Navy); }), 0);
    panel_.hide();
}

TEST_F(ChartPanelTest, ZoomByDraggingRightAndDown) {
    Build(true, false);
    panel_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel_));
    const AxisRanges automatic = panel_.CurrentRanges();
    EXPECT_EQ(automatic, (AxisRanges{0, chart_[0].Points().back().x, 0, 6000}));

    // Sixteen pixels or less in either direction: nothing.
    Drag({100, 100}, {116, 300});
    Drag({100, 100}, {300, 116});
    EXPECT_FALSE(panel_.Zoomed());
    EXPECT_EQ(panel_.CurrentRanges(), automatic);

    // The rubber band shows while the button is held.
    const QPoint a(120, 80), b(420, 300);
    QTest::mousePress(&panel_, Qt::LeftButton, Qt::NoModifier, a);
    QTest::mouseMove(&panel_, b);
    EXPECT_GT(CountPixels(Shot(), Dark, QRect(a.x(), b.y(), b.x() - a.x(), 1)), 50);
    const ChartGeometry before = panel_.ScreenGeometry();
    QTest::mouseRelease(&panel_, Qt::LeftButton, Qt::NoModifier, b);

    ASSERT_TRUE(panel_.Zoomed());
    const AxisRanges zoomed = panel_.CurrentRanges();
    EXPECT_DOUBLE_EQ(zoomed.xMin, before.x.ToValue(a.x()));
    EXPECT_DOUBLE_EQ(zoomed.xMax, before.x.ToValue(b.x()));
    EXPECT_DOUBLE_EQ(zoomed.yMin, before.y.ToValue(b.y()));
    EXPECT_DOUBLE_EQ(zoomed.yMax, before.y.ToValue(a.y()));
    EXPECT_GT(zoomed.xMin, automatic.xMin);
    EXPECT_LT(zoomed.xMax, automatic.xMax);
    EXPECT_GT(zoomed.yMin, automatic.yMin);
    EXPECT_LT(zoomed.yMax, automatic.yMax);
    EXPECT_EQ(panel_.ScreenGeometry().Ranges(), zoomed);  // the axes show them

    // A rebuild (another set added) keeps the zoomed ranges.
    Build(true, true);
    EXPECT_TRUE(panel_.Zoomed());
    EXPECT_EQ(panel_.CurrentRanges(), zoomed);

    // Left and down undoes it, back to the automatic ranges of the points now shown.
    Drag({400, 100}, {100, 300});
    EXPECT_FALSE(panel_.Zoomed());
    EXPECT_EQ(panel_.CurrentRanges(), Widened(*DataRanges(chart_)));

    // Keys held do not matter; up and left undoes as well.
    Drag({100, 80}, {400, 300}, Qt::ControlModifier);
    EXPECT_TRUE(panel_.Zoomed());
    Drag({400, 300}, {100, 80}, Qt::ShiftModifier);
    EXPECT_FALSE(panel_.Zoomed());

    // The right button does not zoom.
    QTest::mousePress(&panel_, Qt::RightButton, Qt::NoModifier, {100, 80});
    QTest::mouseRelease(&panel_, Qt::RightButton, Qt::NoModifier, {400, 300});
    EXPECT_FALSE(panel_.Zoomed());
    panel_.hide();
}

TEST_F(ChartPanelTest, ZoomedFarInStillDrawsTheLinesThroughTheView) {
    Build(true, false, false);
    panel_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel_));
    // Six zooms of 18 pixels around the middle of gear 2's line put its ends some ten
    // thousand million pixels away, beyond what a painter can take; the line must still
    // cross the view.
    const ChartPoint end = chart_[1].Points().back();
    const ChartPoint middle{end.x / 2, end.y / 2};
    for (int i = 0; i < 6; ++i) {
        const QPoint c = PixelOf(middle.x, middle.y);
        Drag(c - QPoint(9, 9), c + QPoint(9, 9));
    }
    const AxisRanges r = panel_.CurrentRanges();
    EXPECT_LT(r.xMax - r.xMin, 1e-5);
    EXPECT_TRUE(InView(r, middle));
    EXPECT_GT(CountColour(Shot(), colors::Red), 300);
    panel_.hide();
}

TEST_F(ChartPanelTest, CopyPutsVectorAndBitmapOnTheClipboard) {
    Build(true, true);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText("earlier contents");
    panel_.N1Click();

    const QMimeData* mime = clipboard->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_FALSE(mime->hasText());
    ASSERT_TRUE(mime->hasImage());
    ASSERT_TRUE(mime->hasFormat("image/svg+xml"));

    const QImage image = qvariant_cast<QImage>(mime->imageData());
    EXPECT_EQ(image.size(), QSize(599, 399));
    EXPECT_TRUE(Near(image.pixel(596, 0), 255, 255, 128));
    EXPECT_GT(CountColour(image, colors::Red), 500);
    EXPECT_GT(CountColour(image, colors::Blue), 500);

    const QByteArray svgText = mime->data("image/svg+xml");
    QSvgRenderer svg(svgText);
    ASSERT_TRUE(svg.isValid());
    EXPECT_EQ(svg.viewBoxF(), QRectF(0, 0, 599, 399));
    // The size is given in millimetres: 599 x 399 pixels of 1/96 inch.
    const auto size =
        QRegularExpression("width=\"([\\d.]+)mm\" height=\"([\\d.]+)mm\"").match(svgText);
    ASSERT_TRUE(size.hasMatch());
    EXPECT_NEAR(size.captured(1).toDouble() / 25.4 * 96, 599, 0.5);
    EXPECT_NEAR(size.captured(2).toDouble() / 25.4 * 96, 399, 0.5);
    QImage drawn(599, 399, QImage::Format_RGB32);
    drawn.fill(Qt::black);
    {
        QPainter p(&drawn);
        svg.render(&p);
    }
    EXPECT_TRUE(Near(drawn.pixel(596, 1), 255, 255, 128, 6));
    EXPECT_GT(
        CountPixels(drawn, [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; }),
        300);

    panel_.resize(1, 1);
    panel_.N1Click();
    EXPECT_EQ(qvariant_cast<QImage>(clipboard->mimeData()->imageData()).size(), QSize(1, 1));
}

class FakePrinterSetup : public PrinterSetup {
  public:
    bool Exec(QPrinter& printer, QWidget*) override {
        ++calls;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPageOrientation(QPageLayout::Portrait);
        return answer;
    }
    bool answer = true;
    QString file;
    int calls = 0;
};

// Printing into a PDF file in a temporary folder, the setup dialog answered in code.
class ChartPrintTest : public ChartPanelTest {
  protected:
    void SetUp() override {
        ChartPanelTest::SetUp();
        Build(true, true);
        panel_.SetPrinterSetup(&setup);
    }
    testing::RecordingMessages messages;
    QTemporaryDir dir;
    FakePrinterSetup setup;
};

TEST_F(ChartPrintTest, PrintsOneLandscapePageAndRestoresTheOrientation) {
    setup.file = dir.filePath("chart.pdf");

    setup.answer = false;
    panel_.Print1Click();
    EXPECT_EQ(setup.calls, 1);
    EXPECT_FALSE(QFile::exists(setup.file));

    setup.answer = true;
    panel_.Print1Click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(panel_.Printer().pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_EQ(panel_.Printer().docName(), "Chart1");

    QFile pdf(setup.file);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    const QString text = QString::fromLatin1(bytes);
    // The job's title, as UTF-16 text in the document's information.
    QByteArray title("/Title (\xFE\xFF");
    for (char c : QByteArray("Chart1")) title.append('\0').append(c);
    EXPECT_TRUE(bytes.contains(title + ')'));
    EXPECT_EQ(text.count(QRegularExpression("/Type\\s*/Page(?!s)")), 1);
    const auto box = QRegularExpression(
                         "/MediaBox\\s*\\[\\s*([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)")
                         .match(text);
    ASSERT_TRUE(box.hasMatch());
    EXPECT_GT(box.captured(3).toDouble() - box.captured(1).toDouble(),
              box.captured(4).toDouble() - box.captured(2).toDouble());
}

TEST_F(ChartPrintTest, PrintFailureIsReportedAndTheOrientationComesBack) {
    setup.file = dir.filePath("no such folder/chart.pdf");
    panel_.Print1Click();

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_NE(messages.shown[0].text.find("chart.pdf"), std::string::npos);
    EXPECT_EQ(panel_.Printer().pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_FALSE(QFile::exists(setup.file));
}

TEST_F(ChartPanelTest, PageStretchesTheChartOverThePrintedRectangle) {
    Build(true, false);
    QImage page(1000, 700, QImage::Format_RGB32);
    page.fill(Qt::magenta);
    {
        QPainter p(&page);
        panel_.PaintPage(p, page.size());
    }
    auto magenta = [&](int x, int y) { return page.pixel(x, y) == QColor(Qt::magenta).rgb(); };
    // (150, 105) to (850, 595), though the panel is 600 x 400.
    EXPECT_TRUE(magenta(149, 300));
    EXPECT_FALSE(magenta(150, 300));
    EXPECT_FALSE(magenta(849, 300));
    EXPECT_TRUE(magenta(850, 300));
    EXPECT_TRUE(magenta(500, 104));
    EXPECT_FALSE(magenta(500, 105));
    EXPECT_FALSE(magenta(500, 594));
    EXPECT_TRUE(magenta(500, 595));
    EXPECT_TRUE(Near(page.pixel(845, 106), 255, 255, 128, 4));
    // The shift curve's first symbol lands where the stretched layout puts it.
    const ChartGeometry g = panel_.ScreenGeometry();
    const QPoint shift(qRound(150 + g.x.ToPixel(47.4725) * 700 / 600),
                       qRound(105 + g.y.ToPixel(6000) * 490 / 400));
    EXPECT_GT(CountColour(page, colors::Red, QRect(shift - QPoint(1, 1), QSize(3, 3))), 6);
}

// A chart of the model's plot: the dynamics windows' kind of chart.
class PlotPanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        panel_.resize(600, 400);
        panel_.setObjectName("ChartRazgon");
    }

    QImage Shot() { return panel_.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    QPoint PixelOf(double x, double y, ValueAxis axis = ValueAxis::Left) {
        const ChartGeometry g = panel_.ScreenGeometry();
        return QPointF(g.x.ToPixel(x), (axis == ValueAxis::Left ? g.y : g.y2).ToPixel(y)).toPoint();
    }

    static PlotSeries Line(Color c, std::vector<ChartPoint> points,
                           LineStyle style = LineStyle::Solid, double width = 1) {
        PlotSeries s;
        s.color = c;
        s.width = width;
        s.line = style;
        s.points = std::move(points);
        return s;
    }

    // Both value axes 0 to 100 and 0 to 50 over x from 0 to 100, whatever else is drawn.
    Plot Frame() {
        Plot p(PlotAxis{"Время (с)"}, PlotAxis{"Скорость (км/ч)"}, PlotAxis{"Сила (Н)"});
        p.series.push_back(Line(colors::Silver, {{0, 0}, {100, 100}}));
        p.series.push_back(Line(colors::Silver, {{0, 0}, {100, 50}}));
        p.series.back().axis = ValueAxis::Right;
        return p;
    }

    PlotModel model_;
    ChartPanel panel_{model_};
};

TEST_F(PlotPanelTest, DrawsLinesByStyleGapsSymbolsMarkersLabelsAndALegend) {
    GlobalNumberFormat().thousandSeparator = " ";
    Plot p = Frame();
    const double nan = std::nan("");
    p.series.push_back(Line(colors::Red, {{0, 80}, {40, 80}, {50, nan}, {60, 80}, {100, 80}},
                            LineStyle::Solid, 2));
    p.series.push_back(Line(colors::Blue, {{0, 60}, {100, 60}}, LineStyle::Dashed));
    p.series.push_back(Line(colors::Green, {{0, 40}, {100, 40}}, LineStyle::Dotted));
    p.series.push_back(Line(colors::Fuchsia, {{0, 10}, {100, 10}}));
    p.series.back().axis = ValueAxis::Right;  // 10 of 50: a fifth of the way up
    PlotSeries dots = Line(colors::Maroon, {{20, 20}, {70, 20}}, LineStyle::None);
    dots.symbolRadius = 3;
    dots.labels = {{"1→2"}, {}};
    p.series.push_back(dots);
    p.markers.push_back({.x = 30, .color = colors::Teal, .caption = "159,4 км/ч"});
    p.markers.push_back({.x = 130, .color = colors::Navy});  // out of view
    p.legend = {{.color = colors::Olive, .width = 2, .text = "Набор 1"},
                {.color = colors::Purple, .line = LineStyle::Dashed, .text = "Набор 2"}};
    model_.Set(p);
    const QImage shot = Shot();
    const ChartGeometry g = panel_.ScreenGeometry();
    ASSERT_TRUE(g.hasY2);

    // Each line by its row: how many pixels of a span of x from 5 to 95 it covers, and
    // its longest unbroken piece.
    struct Row {
        const char* what;
        Color color;
        double y;
        ValueAxis axis;
        double least, most;  // share of the span covered
        int longestAtMost;   // in pixels
    };
    const int span = PixelOf(95, 0).x() - PixelOf(5, 0).x();
    const Row rows[] = {
        {"solid, broken by a gap of 20 in 100", colors::Red, 80, ValueAxis::Left, 0.74, 0.82,
         PixelOf(40, 0).x() - PixelOf(5, 0).x() + 2},
        {"dashed: six on, four off", colors::Blue, 60, ValueAxis::Left, 0.5, 0.7, 7},
        {"dotted: one on, three off", colors::Green, 40, ValueAxis::Left, 0.15, 0.35, 2},
        {"solid, on the right axis", colors::Fuchsia, 10, ValueAxis::Right, 0.9, 1.01, 9999},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const QPoint at = PixelOf(5, r.y, r.axis);
        const QRect band(at.x(), at.y() - 1, span, 3);
        const auto mine = [&](QRgb px) { return px == ToQColor(r.color).rgb(); };
        int covered = 0;  // columns of the span where the line shows in its band
        for (int x = band.left(); x <= band.right(); ++x)
            covered += CountPixels(shot, mine, QRect(x, band.top(), 1, 3)) > 0;
        EXPECT_GE(covered, r.least * span);
        EXPECT_LE(covered, r.most * span);
        EXPECT_LE(LongestRun(shot, mine, band, Qt::Horizontal), r.longestAtMost);
    }
    // Nothing red in the gap, red again after it.
    const QPoint gap = PixelOf(50, 80);
    EXPECT_EQ(CountColour(shot, colors::Red, QRect(gap - QPoint(15, 5), QSize(31, 11))), 0);
    EXPECT_GT(CountColour(shot, colors::Red, QRect(PixelOf(80, 80) - QPoint(5, 5), QSize(11, 11))),
              0);

    // The symbols without a line between them; the first carries its boxed label.
    for (double x : {20.0, 70.0})
        EXPECT_EQ(ColumnRunThrough(shot, PixelOf(x, 20), colors::Maroon), 6);
    EXPECT_EQ(CountColour(shot, colors::Maroon, QRect(PixelOf(45, 20) - QPoint(3, 3), QSize(7, 7))),
              0);
    for (double x : {20.0, 70.0}) {
        const QPoint above = PixelOf(x, 20) - QPoint(15, 26);
        EXPECT_EQ(CountPixels(shot, Dark, QRect(above, QSize(30, 16))) > 5, x == 20);
    }

    // The marker: a dashed teal line over the whole value range, its caption at the top.
    const int mx = PixelOf(30, 0).x();
    const QRect column(mx, qRound(g.y.to), 1, qRound(g.y.from - g.y.to));
    const auto teal = [](QRgb px) { return px == ToQColor(colors::Teal).rgb(); };
    EXPECT_GT(CountPixels(shot, teal, column), 0.45 * column.height());
    EXPECT_LT(LongestRun(shot, teal, column, Qt::Vertical), 8);
    ASSERT_TRUE(g.markerCaptions[0]);
    const PixelRect& caption = *g.markerCaptions[0];
    const QRect captionInside = QRectF(caption.left, caption.top, caption.Width(), caption.Height())
                                    .toRect()
                                    .adjusted(2, 2, -2, -2);
    EXPECT_GT(CountPixels(shot, Dark, captionInside), 20);
    EXPECT_EQ(CountColour(shot, colors::Navy), 0);  // the marker out of view

    // The legend: a white box with both samples and their texts, nothing of them elsewhere.
    ASSERT_TRUE(g.legend);
    const QRect legend =
        QRectF(g.legend->left, g.legend->top, g.legend->Width(), g.legend->Height()).toRect();
    EXPECT_GT(CountColour(shot, colors::Olive, legend), 2 * 20);
    EXPECT_EQ(CountColour(shot, colors::Olive), CountColour(shot, colors::Olive, legend));
    EXPECT_GT(CountColour(shot, colors::Purple, legend), 10);
    EXPECT_GT(CountPixels(shot, Dark, legend), 60);

    // Both value axes carry their labels and titles: dark pixels right of the right axis.
    const QRect rightOfAxis(qRound(g.x.to) + 3, qRound(g.y.to), 600 - qRound(g.x.to) - 6,
                            qRound(g.y.from - g.y.to));
    EXPECT_GT(CountPixels(shot, Dark, rightOfAxis), 150);
}

TEST_F(PlotPanelTest, ZoomsBothValueAxesAndUndoes) {
    model_.Set(Frame());
    panel_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel_));
    const AxisRanges automatic = panel_.CurrentRanges();
    EXPECT_EQ(automatic, (AxisRanges{0, 100, 0, 100, 0, 50}));

    const QPoint a = PixelOf(20, 80), b = PixelOf(60, 40);
    QTest::mousePress(&panel_, Qt::LeftButton, Qt::NoModifier, a);
    QTest::mouseMove(&panel_, b);
    QTest::mouseRelease(&panel_, Qt::LeftButton, Qt::NoModifier, b);
    ASSERT_TRUE(panel_.Zoomed());
    const AxisRanges z = panel_.CurrentRanges();
    EXPECT_NEAR(z.yMin, 40, 0.3);
    EXPECT_NEAR(z.y2Min, 20, 0.15);
    EXPECT_NEAR(z.y2Max, 40, 0.15);
    EXPECT_EQ(panel_.ScreenGeometry().Ranges(), z);

    // A new plot keeps the zoom, as a rebuilt shift chart does; the window may undo it.
    model_.Set(Frame());
    EXPECT_EQ(panel_.CurrentRanges(), z);
    panel_.Unzoom();
    EXPECT_FALSE(panel_.Zoomed());
    EXPECT_EQ(panel_.CurrentRanges(), automatic);
    panel_.hide();
}

TEST_F(PlotPanelTest, MenuRepaintAndLifetime) {
    EXPECT_TRUE(panel_.toolTip().isEmpty());
    EXPECT_TRUE(panel_.actions().isEmpty());
    const QList<QAction*> items = panel_.PMChart1()->actions();
    ASSERT_EQ(items.size(), 2);
    // The window decides which keys its charts show.
    EXPECT_TRUE(items[0]->shortcut().isEmpty());
    EXPECT_TRUE(items[1]->shortcut().isEmpty());
    panel_.SetMenuShortcuts(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), QKeySequence());
    EXPECT_EQ(items[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    EXPECT_TRUE(items[1]->shortcut().isEmpty());

    panel_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel_));
    EXPECT_GT(
        PaintsAfter(panel_, [&] { model_.Edit([](Plot& p) { p.markers.push_back({.x = 1}); }); }),
        0);
    panel_.hide();

    // A panel that goes first leaves the model free to change.
    PlotModel model;
    { ChartPanel gone(model); }
    model.Set(Frame());
    EXPECT_EQ(model.Get().series.size(), 2u);
}

class PlotPanelFilesTest : public PlotPanelTest {
  protected:
    void SetUp() override {
        PlotPanelTest::SetUp();
        Plot p = Frame();
        p.series.push_back(Line(colors::Red, {{0, 20}, {100, 90}}, LineStyle::Solid, 3));
        p.markers.push_back({.x = 50, .color = colors::Blue, .width = 3, .caption = "50"});
        model_.Set(p);
        panel_.SetPrinterSetup(&setup_);
    }
    testing::RecordingMessages messages_;
    QTemporaryDir dir_;
    FakePrinterSetup setup_;
};

TEST_F(PlotPanelFilesTest, CopiesPrintsAndSavesThePlot) {
    const auto reddish = [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; };
    const auto bluish = [](QRgb p) { return qBlue(p) > 200 && qRed(p) < 60 && qGreen(p) < 60; };
    // The line and the marker in every picture of the chart.
    const auto check = [&](const QImage& image, const char* what) {
        EXPECT_GT(CountPixels(image, reddish), 200) << what;
        EXPECT_GT(CountPixels(image, bluish), 100) << what;
    };
    panel_.N1Click();
    check(qvariant_cast<QImage>(QGuiApplication::clipboard()->mimeData()->imageData()), "copy");
    const QString png = dir_.filePath("chart.png");
    panel_.SavePicture(png, PictureFormat::Png);
    check(QImage(png), "file");

    setup_.file = dir_.filePath("print.pdf");
    panel_.Print1Click();
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_EQ(panel_.Printer().docName(), "ChartRazgon");  // the job is titled by the name
    EXPECT_TRUE(QFile::exists(setup_.file));
}

}  // namespace
}  // namespace kelm
