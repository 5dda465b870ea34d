#include "mainwindow/ravnenie.h"

namespace kelm {

namespace {

struct RowLefts {
    int shown, labels, row, pair, tyre, color;
};

// One row: toggle, labels toggle and gear row list left of the middle, pair list, tyre
// list and colour picker right of it, one gap apart.
RowLefts LayRow(int middle, int pairs, int g, int shownW, int labelsW, int rowW, int pairW,
                int tyreW) {
    RowLefts r{};
    r.shown = middle - rowW - labelsW - shownW - 3 * g + 15;
    r.labels = middle - rowW - labelsW - 2 * g + 15;
    r.row = middle - rowW - g + 15;
    r.pair = pairs;
    r.tyre = middle + pairW + g + 15;
    r.color = middle + pairW + tyreW + 2 * g + 15;
    return r;
}

}  // namespace

int RavnenieGap(int panelWidth) { return (panelWidth - 632) / 10 + 12; }

PanelLefts RavnenieLayout(int panelWidth, int panelLeft, const PanelWidths& w) {
    const int g = RavnenieGap(panelWidth);
    const int m = panelLeft + panelWidth / 2;
    const int pairs = panelWidth / 2 + 15;  // measured from the panel's own edge
    const RowLefts top = LayRow(m, pairs, g, w.CB1, w.CB3, w.ComboBox1, w.ComboBox4, w.ComboBox7);
    const RowLefts bottom =
        LayRow(m, pairs, g, w.CB2, w.CB4, w.ComboBox2, w.ComboBox5, w.ComboBox8);
    PanelLefts l{};
    l.SE1 = top.shown - w.SE1 - g;
    l.CB1 = top.shown;
    l.CB3 = top.labels;
    l.ComboBox1 = top.row;
    l.ComboBox4 = top.pair;
    l.ComboBox7 = top.tyre;
    l.ColorBox1 = top.color;
    l.CB2 = bottom.shown;
    l.CB4 = bottom.labels;
    l.ComboBox2 = bottom.row;
    l.ComboBox5 = bottom.pair;
    l.ComboBox8 = bottom.tyre;
    l.ColorBox2 = bottom.color;
    return l;
}

}  // namespace kelm
