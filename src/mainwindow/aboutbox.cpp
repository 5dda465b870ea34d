#include "mainwindow/aboutbox.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "widgets/pictures.h"

namespace kelm {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QPoint at, int pixels = 0,
                  bool boldItalic = false) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    if (pixels > 0 || boldItalic) {
        QFont f = label->font();
        if (pixels > 0) f.setPixelSize(pixels);
        f.setBold(boldItalic);
        f.setItalic(boldItalic);
        label->setFont(f);
    }
    label->move(at);
    label->adjustSize();
    return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    // A fixed dialog: no resizing, no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(298, 213);
    // Made before the controls, which take it on; where the system lacks the face, Qt's
    // font matching stands in the nearest it has.
    QFont face(QStringLiteral("MS Sans Serif"));
    face.setPixelSize(11);
    setFont(face);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 8, 281, 161);
    // A lowered outer and a raised inner bevel: a sunken panel with a raised frame inside.
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);
    auto* inner = new QFrame(Panel1);
    inner->setFrameStyle(QFrame::Panel | QFrame::Raised);
    inner->setLineWidth(1);
    inner->setGeometry(1, 1, 279, 159);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(8, 8, 121, 81);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(ProgramPicture(QSize(121, 81) * 2));

    ProductName = MakeLabel(Panel1, "ProductName", QStringLiteral("Product Name"), {136, 16});
    Label3 = MakeLabel(Panel1, "Label3", QStringLiteral("Kelm"), {216, 16}, 13, true);
    Version = MakeLabel(Panel1, "Version", QStringLiteral("Version"), {136, 40});
    Label2 = MakeLabel(Panel1, "Label2", QStringLiteral("0.9"), {192, 40}, 11, true);
    // Where the font is wider than the design's, the values move right of their captions
    // instead of running into them.
    Label3->move(std::max(Label3->x(), ProductName->geometry().right() + 6), Label3->y());
    Label2->move(std::max(Label2->x(), Version->geometry().right() + 6), Label2->y());
    TemplateLabel = MakeLabel(Panel1, "TemplateLabel", QString::fromUtf8("Автор:"), {8, 96});
    Label1 = MakeLabel(Panel1, "Label1", QString::fromUtf8("команда Kelm"), {88, 96}, 13, true);
    Comments = MakeLabel(Panel1, "Comments", QStringLiteral("Comments"), {8, 120});
    Comments->setWordWrap(true);
    Comments->setFixedWidth(265);
    Comments->adjustSize();

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 180, 75, 25);
    OKButton->setDefault(true);
    OKButton->setAutoDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

int TAboutBox::FormCreate() { return exec(); }

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // On the middle of the screen, not over the main window where dialogs go by default;
    // moved before it appears, with its frame where the system already knows it.
    const QWidget* owner = parentWidget();
    if (const QScreen* s = owner ? owner->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->geometry().center());
        move(frame.topLeft());
    }
}

}  // namespace kelm
