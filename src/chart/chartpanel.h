#pragma once

#include <QFrame>
#include <QRectF>
#include <QSize>
#include <memory>

#include "chart/chartlayout.h"
#include "chart/series.h"

class QMenu;
class QPainter;
class QPrinter;
class QAction;

namespace kelm {

// The printer setup dialog, behind an interface so tests answer it in code.
class PrinterSetup {
  public:
    virtual ~PrinterSetup() = default;
    // Shows the dialog for the printer; true when the user confirmed with OK.
    virtual bool Exec(QPrinter& printer, QWidget* parent) = 0;
};

// The real one: QPrintDialog (which offers printing to a PDF file too).
class QtPrinterSetup : public PrinterSetup {
  public:
    bool Exec(QPrinter& printer, QWidget* parent) override;
};

// Chart1: draws the fourteen series of the shift chart, zooms with the mouse, copies itself
// to the clipboard and prints.  It does not own the series; it repaints on their changes.
class ChartPanel : public QFrame {
    Q_OBJECT
  public:
    explicit ChartPanel(ShiftChart& chart, QWidget* parent = nullptr);
    ~ChartPanel() override;

    // The one drawing routine, for the screen, the clipboard picture and the printer page.
    void Paint(QPainter& painter, const QRectF& rect);
    // A printer page of `page` dots: the chart laid out at the panel's size, stretched
    // over the page's printed rectangle (15 % margins).
    void PaintPage(QPainter& painter, const QSize& page);

    // Copy the chart to the clipboard as SVG and PNG (the "Копировать" command).
    void N1Click();
    // Printer setup dialog, then print on OK (the "Печать..." command).
    void Print1Click();
    // Print without the dialog, on a printer already set up (used by Print1Click).
    void PrintChart(QPrinter& printer);

    void SetPrinterSetup(PrinterSetup* setup);  // nullptr: the real dialog
    QPrinter& Printer();

    QMenu* PMChart1() const;  // pop-up menu: N1 "Копировать", N4 "Печать..."

    bool Zoomed() const;
    AxisRanges CurrentRanges() const;  // what the axes show now
    // The layout on screen at the panel's present size.
    ChartGeometry ScreenGeometry() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace kelm
