#include "widgets/messageboxes.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include "widgets/coreedge.h"

namespace kelm {

namespace {

// A box is as wide as its text asks, and a short text ("Не найден файл") under a longer
// caption ("Ошибка диска!") left the window manager to cut the caption to "О… а!".  The box
// is widened to hold its caption beside the frame's buttons.
void KeepCaptionWhole(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    const int buttons = 8 * box.fontMetrics().height();  // the frame's icon and its buttons
    const int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) + buttons;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace

void QtMessages::ShowMessage(const std::string& text, const std::string& caption,
                             MessageIcon icon) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(FromUtf8(caption));
    box.setText(FromUtf8(text));
    box.setIcon(icon == MessageIcon::Error      ? QMessageBox::Critical
                : icon == MessageIcon::Question ? QMessageBox::Question
                                                : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    KeepCaptionWhole(box);
    box.exec();
}

bool QtMessages::AskYesNo(const std::string& text, const std::string& caption) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(FromUtf8(caption));
    box.setText(FromUtf8(text));
    box.setIcon(QMessageBox::Question);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    KeepCaptionWhole(box);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace kelm
