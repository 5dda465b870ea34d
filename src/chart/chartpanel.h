#pragma once

#include <QFrame>
#include <QRectF>
#include <QSize>
#include <QStringList>
#include <memory>
#include <optional>
#include <utility>

#include "chart/chartlayout.h"
#include "chart/plot.h"
#include "chart/series.h"

class QKeySequence;
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

// The save-file dialog, behind an interface so tests answer it in code.
class SaveFileDialog {
  public:
    virtual ~SaveFileDialog() = default;
    // Asks for a file name to save to; `filter` comes in as the filter to offer first and
    // goes out as the one the user chose.  Empty when the user cancelled.
    virtual QString Exec(QWidget* parent, const QString& caption, const QString& directory,
                         const QStringList& filters, QString& filter) = 0;
};

// The real one: QFileDialog, which adds the chosen filter's extension to a name typed
// without one.  It does not ask before it replaces a file: the panel does (SaveAs1Click),
// under the name it really writes.
class QtSaveFileDialog : public SaveFileDialog {
  public:
    QString Exec(QWidget* parent, const QString& caption, const QString& directory,
                 const QStringList& filters, QString& filter) override;
};

// The kinds of file the chart is saved as.
enum class PictureFormat { Png, Svg, Pdf };

// A chart on a panel: the shift chart (Chart1) or any `Plot` a window describes (see
// chart/plot.h).  Both are drawn by the one routine below, for the screen, the clipboard,
// a file and the printer; every panel zooms with the mouse (drag right and down to zoom,
// any other way to undo), has the context menu "Копировать" / "Печать...", copies itself to
// the clipboard (SVG and PNG), prints one landscape page within 15 % margins and saves
// itself as PNG, SVG or PDF.  It does not own what it draws; it repaints on its changes.
//
// A window with a chart of its own:
//
//     PlotModel model_;                            // declared before the panel pointer
//     ChartPanel* chart = new ChartPanel(model_, this);
//     chart->setObjectName("ChartRazgon");        // the print job's and the SVG's title
//     // The window's own keys, if it wants them shown in the panel's menu:
//     chart->SetMenuShortcuts(QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence());
//     connect(copyAction, &QAction::triggered, chart, &ChartPanel::N1Click);
//     connect(printAction, &QAction::triggered, chart, &ChartPanel::Print1Click);
//     connect(saveAction, &QAction::triggered, chart, &ChartPanel::SaveAs1Click);
//     model_.Set(MakeMyPlot(figures));            // whenever the figures change
//
// The model must outlive the panel, or the panel be deleted first.
class ChartPanel : public QFrame {
    Q_OBJECT
  public:
    // Chart1, the shift chart of the fourteen series: its name, its hint "Красиво, да ?"
    // and Ctrl+C / Ctrl+P shown in its menu (the main window holds the live keys).
    explicit ChartPanel(ShiftChart& chart, QWidget* parent = nullptr);
    // A panel of the model's plot; no name, no hint and no keys shown in its menu until
    // the window gives them.
    explicit ChartPanel(PlotModel& plot, QWidget* parent = nullptr);
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

    // File name dialog, then SavePicture (the "Сохранить как..." command).  A file of the
    // final name (PictureTarget) that exists is replaced only when the user says so; "No"
    // goes back to the dialog.
    void SaveAs1Click();
    // The chart as a file: PNG and SVG at the panel's size (PNG at the screen's pixel
    // density), PDF as one landscape page laid out like the printout.  Written through the
    // one safe file replacement (base/safefile.h); a failure throws KelmError with the
    // reason in Russian.
    void SavePicture(const QString& path, PictureFormat format);
    // The SVG picture of the chart at the given size, as the clipboard gets it.
    QByteArray SvgPicture(const QSize& size);
    // The file filters of the dialog, and the file and format a dialog's answer asks
    // for: a typed extension .png, .svg or .pdf decides; otherwise the chosen filter,
    // whose extension is then appended.
    static QStringList PictureFilters();
    static std::pair<QString, PictureFormat> PictureTarget(const QString& typed,
                                                           const QString& filter);

    void SetPrinterSetup(PrinterSetup* setup);  // nullptr: the real dialog
    void SetSaveFileDialog(SaveFileDialog* dialog) { saveDialog_ = dialog; }  // nullptr: real
    QPrinter& Printer();

    QMenu* PMChart1() const;  // pop-up menu: N1 "Копировать", N4 "Печать..."
    // The keys the menu shows beside its two items (empty: none).  They only show: the
    // window that holds the panel decides which keys work, and wires them itself.
    void SetMenuShortcuts(const QKeySequence& copy, const QKeySequence& print);

    bool Zoomed() const;
    void Unzoom();                     // back to the automatic ranges
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
    void Build();  // what every panel has: frame, cursor, menu

    struct Impl;
    std::unique_ptr<Impl> d;
    SaveFileDialog* saveDialog_ = nullptr;
    QString lastSaved_;  // where the dialog opens next time
};

}  // namespace kelm
