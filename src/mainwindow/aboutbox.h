#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace kelm {

// The about box: the program's picture, name and version in a fixed little dialog.
class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // Shows the box modally; returns when the user has closed it.
    int FormCreate();

    QFrame* Panel1;
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Label3;
    QLabel* Version;
    QLabel* Label2;
    QLabel* TemplateLabel;
    QLabel* Label1;
    QLabel* Comments;
    QPushButton* OKButton;

  protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace kelm
