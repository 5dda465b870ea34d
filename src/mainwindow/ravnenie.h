#pragma once

namespace kelm {

// Widths of the panel's controls that the horizontal layout depends on.
struct PanelWidths {
    int SE1 = 65;
    int CB1 = 45, CB3 = 33, ComboBox1 = 117, ComboBox4 = 57, ComboBox7 = 173;
    int CB2 = 45, CB4 = 33, ComboBox2 = 117, ComboBox5 = 57, ComboBox8 = 173;
};

// Left edges of the panel's controls in panel client coordinates.
struct PanelLefts {
    int SE1;
    int CB1, CB3, ComboBox1, ComboBox4, ComboBox7, ColorBox1;
    int CB2, CB4, ComboBox2, ComboBox5, ComboBox8, ColorBox2;

    bool operator==(const PanelLefts&) const = default;
};

// The gap between neighbouring controls for a panel of outer width w: 12 pixels at 632,
// one more for every further 10 pixels (division truncating toward zero, so 620 gives 11
// and 625 still 12).
int RavnenieGap(int panelWidth);

// Both rows laid out around the panel's middle: the pair lists start 15 pixels right of
// it and the other controls follow one another one gap apart; SE1 stands one gap left of
// the top row's first toggle.
PanelLefts RavnenieLayout(int panelWidth, int panelLeft, const PanelWidths& widths);

}  // namespace kelm
