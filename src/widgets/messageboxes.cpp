#include "widgets/messageboxes.h"

#include <QApplication>
#include <QMessageBox>

#include "widgets/coreedge.h"

namespace kelm {

void QtMessages::ShowMessage(const std::string& text, const std::string& caption,
                             MessageIcon icon) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(FromUtf8(caption));
    box.setText(FromUtf8(text));
    box.setIcon(icon == MessageIcon::Error      ? QMessageBox::Critical
                : icon == MessageIcon::Question ? QMessageBox::Question
                                                : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

bool QtMessages::AskYesNo(const std::string& text, const std::string& caption) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(FromUtf8(caption));
    box.setText(FromUtf8(text));
    box.setIcon(QMessageBox::Question);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace kelm
