#include "widgets/colorbox.h"

#include <QAbstractItemView>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include "widgets/coreedge.h"
#include "widgets/pictures.h"

namespace kelm {

ColorBox::ColorBox(QWidget* parent) : QComboBox(parent) {
    for (const NamedColor& c : kStandardColors) {
        addItem(ColorSwatchIcon(c.value),
                QString::fromUtf8(c.name.data(), qsizetype(c.name.size())),
                QVariant::fromValue<qlonglong>(c.value));
    }
    // The closed box is too narrow for the names; the open list is not.
    view()->setMinimumWidth(120);
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (index >= 0) value_ = static_cast<std::int32_t>(itemData(index).toLongLong());
        emit Picked();
    });
    Select(0);
}

void ColorBox::Select(std::int32_t value) {
    const QSignalBlocker quiet(this);
    value_ = value;
    const auto index = value < 0 ? std::nullopt : StandardColorIndex(static_cast<Color>(value));
    setCurrentIndex(index ? static_cast<int>(*index) : -1);
    update();
}

void ColorBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText.clear();
    opt.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, opt);
    const QRect field =
        style()
            ->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this)
            .adjusted(1, 2, -1, -2);
    painter.setPen(isEnabled() ? QColor(40, 40, 40) : QColor(150, 150, 150));
    painter.setBrush(ToQColor(Selected()));
    painter.drawRect(field.adjusted(0, 0, -1, -1));
}

}  // namespace kelm
