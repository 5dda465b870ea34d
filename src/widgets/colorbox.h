#pragma once

#include <QComboBox>
#include <cstdint>

#include "base/colors.h"

namespace kelm {

// A colour picker of the sixteen standard colours, each listed with its swatch and name.
// The closed box is narrow, so it shows the picked colour as a swatch only.
//
// A colour that is none of the sixteen (a hand-edited settings file) leaves no entry
// picked; it is kept as the box's value, so the curves are drawn in it and it is written
// back unchanged, until the user picks another.
class ColorBox : public QComboBox {
    Q_OBJECT
  public:
    explicit ColorBox(QWidget* parent = nullptr);

    // The value as the settings file stores it.
    std::int32_t Value() const { return value_; }
    // The colour to draw in (the value without its unused high byte).
    Color Selected() const { return static_cast<Color>(value_) & 0x00FFFFFFu; }
    // Selects the colour from code, without a change event.
    void Select(std::int32_t value);

  signals:
    // The user picked a colour (never raised by Select).
    void Picked();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::int32_t value_ = 0;
};

}  // namespace kelm
