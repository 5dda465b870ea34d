#include "editor/editor.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <algorithm>

#include "base/messages.h"
#include "base/numtext.h"
#include "catalog/catalog.h"
#include "catalog/catalogfile.h"
#include "editor/buttonicons.h"
#include "editor/controls.h"
#include "editor/namecheck.h"
#include "editor/perimeter.h"
#include "widgets/coreedge.h"
#include "widgets/placement.h"
#include "widgets/spinedit.h"

namespace kelm {

namespace {

const QColor kNavy(0, 0, 128);
const QColor kTeal(0, 128, 128);
const QColor kBlue(0, 0, 255);
// What the user can type into a name; longer names from the catalog file are kept whole.
constexpr int kNameMaxLength = 255;

// What a ratio field shows when there is no gear row to show: "0,000".
std::string NoRatioText() {
    std::string text = "0,000";
    text[1] = DecimalSeparator();
    return text;
}

template <class W>
W* PutAtDesignPlace(W* widget, const char* name, int left, int top, int width, int height) {
    return kelm::PutAtDesignPlace(widget, name, QRect(left, top, width, height));
}

QFont Bold(QFont font) {
    font.setBold(true);
    return font;
}

QColor PlainTextColour() { return QApplication::palette().color(QPalette::WindowText); }

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

// A group box's title takes the group's text colour; the controls inside get the plain
// colour back once they are all there (KeepPlainText), or their own (labels).
QGroupBox* MakeGroup(QWidget* parent, const char* name, const char* title, QRect place,
                     const QColor& titleColour) {
    auto* group = PutAtDesignPlace(new QGroupBox(QString::fromUtf8(title), parent), name,
                                   place.left(), place.top(), place.width(), place.height());
    SetTextColour(group, titleColour);
    return group;
}

void KeepPlainText(QGroupBox* group) {
    for (QWidget* child : group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!qobject_cast<QGroupBox*>(child) && !qobject_cast<QLabel*>(child))
            SetTextColour(child, PlainTextColour());
    }
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int left, int top,
                  const QColor& colour = PlainTextColour(), bool bold = false) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    SetTextColour(label, colour);
    if (bold) label->setFont(Bold(label->font()));
    label->adjustSize();
    label->move(left, top);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, const char* hint,
                        const QIcon& icon, int left, int top, int width, int height) {
    auto* button = PutAtDesignPlace(new QPushButton(icon, QString::fromUtf8(caption), parent), name,
                                    left, top, width, height);
    if (hint) button->setToolTip(QString::fromUtf8(hint));
    // No default button: Enter in a field must not add or delete anything.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// A spin edit's value kept within its range, whether or not the field was left yet.
int ClampedValue(const SpinEdit* spin) {
    return std::clamp(spin->Value(), spin->MinValue(), spin->MaxValue());
}

// A spin edit from 0 to the maximum, stepping by 1, with a limit on the typed length.
SpinEdit* MakeSpin(QWidget* parent, const char* name, int maximum, int typed, int left, int top,
                   int width, int height) {
    auto* spin = PutAtDesignPlace(new SpinEdit(parent), name, left, top, width, height);
    spin->SetRange(0, maximum);
    spin->SetIncrement(1);
    spin->SetMaxTyped(typed);
    spin->SetValue(0);
    spin->setFont(Bold(spin->font()));
    return spin;
}

// A name longer than its field is shown from its beginning, as the user reads it.
void ShowFromStart(QComboBox* list) {
    if (QLineEdit* edit = list->lineEdit()) edit->setCursorPosition(0);
}

// Deletes the item showing the text (the exact one if there is one, otherwise the list's
// own case-blind match) and selects the item before it, or the first one.
void RemoveShownItem(QComboBox* list, const QString& shown) {
    int k = list->findText(shown, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (k < 0) k = list->findText(shown, Qt::MatchFixedString);
    if (k < 0) return;
    list->removeItem(k);
    if (list->count() == 0) {
        list->setCurrentIndex(-1);
        if (list->isEditable()) list->setEditText(QString());
        return;
    }
    list->setCurrentIndex(k > 0 ? k - 1 : 0);
    if (list->isEditable()) list->setEditText(list->itemText(list->currentIndex()));
    ShowFromStart(list);
}

}  // namespace

TForm2::TForm2(Catalog& catalog, std::string catalogPath, QWidget* parent)
    : QDialog(parent), catalog_(catalog), catalogPath_(std::move(catalogPath)) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Настройка"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    QFont font = this->font();
    font.setPixelSize(11);
    setFont(font);
    setFixedSize(503, 357);
    BuildControls();

    // In the middle of the desktop, not over the main window.
    if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect desk = screen->availableGeometry();
        move(desk.left() + (desk.width() - width()) / 2,
             desk.top() + (desk.height() - height()) / 2);
    }
}

TForm2::~TForm2() = default;

void TForm2::BuildControls() {
    // Gear rows.
    GroupBox1 = MakeGroup(this, "GroupBox1", "Ряд коробки передач", {0, 0, 503, 129}, kNavy);
    MakeLabel(GroupBox1, "Label7", "Название", 56, 24);
    ComboBox1 = PutAtDesignPlace(new NameComboBox(GroupBox1), "ComboBox1", 24, 40, 145, 24);
    ComboBox1->setToolTip(QStringLiteral("Название ряда КПП "));
    ComboBox1->SetMaxTyped(kNameMaxLength);
    static const char* const kGearHints[6] = {
        "Передаточное число 1 передачи", "Передаточное число 2 передачи",
        "Передаточное число 3 передачи", "Передаточное число 4 передачи",
        "передаточное число 5 передачи", "Передаточное число 6 передачи"};
    static const char* const kGearLabels[6] = {"Label1", "Label2", "Label3",
                                               "Label4", "Label5", "Label6"};
    static const char* const kGearEdits[6] = {"ME1", "ME2", "ME3", "ME4", "ME5", "ME6"};
    for (int i = 0; i < 6; ++i) {
        MakeLabel(GroupBox1, kGearLabels[i], std::to_string(i + 1).c_str(), 40 + 64 * i, 72, kBlue,
                  true);
    }
    for (int i = 0; i < 6; ++i) {
        ME[i] = PutAtDesignPlace(new MaskEdit(GroupBox1), kGearEdits[i], 24 + 64 * i, 88, 46, 24);
        ME[i]->setFont(Bold(ME[i]->font()));
        ME[i]->setToolTip(QString::fromUtf8(kGearHints[i]));
        ME[i]->SetNumberText(NoRatioText());
    }
    Button1 = MakeButton(GroupBox1, "Button1", "Добавить", "Добавить/Заменить запись", AddIcon(),
                         280, 40, 97, 25);
    Button4 = MakeButton(GroupBox1, "Button4", "Удалить", "Удалить запись", DeleteIcon(), 392, 40,
                         97, 25);

    // Main pairs.
    GroupBox2 =
        MakeGroup(this, "GroupBox2", "Главная пара коробки передач", {0, 129, 503, 80}, kNavy);
    ComboBox2 = PutAtDesignPlace(new PickComboBox(GroupBox2), "ComboBox2", 24, 33, 65, 24);
    ComboBox2->setToolTip(QStringLiteral("Список главных пар"));
    ME21 = PutAtDesignPlace(new MaskEdit(GroupBox2), "ME21", 112, 33, 49, 24);
    ME21->setFont(Bold(ME21->font()));
    ME21->setToolTip(QStringLiteral("Передаточное число главной пары"));
    Button2 = MakeButton(GroupBox2, "Button2", "Добавить", "Добавить/Заменить запись", AddIcon(),
                         280, 32, 97, 25);
    Button5 = MakeButton(GroupBox2, "Button5", "Удалить", "Удалить запись", DeleteIcon(), 392, 32,
                         97, 25);

    // Tyres and the perimeter calculator.
    GroupBox3 = MakeGroup(this, "GroupBox3", "Резина", {0, 209, 503, 148}, kNavy);
    MakeLabel(GroupBox3, "Label8", "Название", 64, 16);
    MakeLabel(GroupBox3, "Label9", "Периметр (мм.)", 192, 16);
    ComboBox3 = PutAtDesignPlace(new NameComboBox(GroupBox3), "ComboBox3", 24, 33, 161, 24);
    ComboBox3->setToolTip(QStringLiteral("Название резины"));
    ComboBox3->SetMaxTyped(kNameMaxLength);
    SE3 = MakeSpin(GroupBox3, "SE3", 100000, 5, 200, 31, 65, 26);
    SE3->setToolTip(QStringLiteral("Периметр резины по окружности"));
    Button3 = MakeButton(GroupBox3, "Button3", "Добавить", "Добавить/Заменить запись", AddIcon(),
                         280, 32, 97, 25);
    Button6 = MakeButton(GroupBox3, "Button6", "Удалить", "Удалить запись", DeleteIcon(), 392, 32,
                         97, 25);
    GroupBox4 = MakeGroup(GroupBox3, "GroupBox4", "Расчет периметра", {24, 72, 393, 65}, kTeal);
    MakeLabel(GroupBox4, "Label10", "R колеса (дм.)", 16, 20);
    SE4 = MakeSpin(GroupBox4, "SE4", 1000, 3, 16, 35, 73, 22);
    SE1 = MakeSpin(GroupBox4, "SE1", 10000, 4, 104, 35, 73, 22);
    SE2 = MakeSpin(GroupBox4, "SE2", 10000, 4, 192, 35, 73, 22);
    BitBtn1 =
        MakeButton(GroupBox4, "BitBtn1", "Посчитать", nullptr, CalculateIcon(), 288, 24, 89, 25);

    for (QGroupBox* group : {GroupBox1, GroupBox2, GroupBox3, GroupBox4}) KeepPlainText(group);

    // Keyboard order within each group follows the table above.
    QWidget* const order[] = {ComboBox1, ME[0],   ME[1],     ME[2], ME[3],   ME[4],   ME[5],
                              Button1,   Button4, ComboBox2, ME21,  Button2, Button5, ComboBox3,
                              SE3,       Button3, Button6,   SE4,   SE1,     SE2,     BitBtn1};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    // A spin edit left with a text out of its range, or no number at all, shows its value
    // clamped to the range.
    for (SpinEdit* spin : {SE3, SE4, SE1, SE2}) spin->installEventFilter(this);

    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm2::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm2::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TForm2::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TForm2::Button6Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm2::BitBtn1Click);
    connect(ComboBox1, &NameComboBox::UserChanged, this, &TForm2::ComboBox1Change);
    connect(ComboBox2, &PickComboBox::UserChanged, this, &TForm2::ComboBox2Change);
    connect(ComboBox3, &NameComboBox::UserChanged, this, &TForm2::ComboBox3Change);
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    // Only the window's close command closes the editor.  Escape reaches the dialog when
    // no control wanted it, for instance after it was pressed to drop a completion; closing
    // then would lose what was typed but not added.  An open list's popup still takes its
    // own Escape before the dialog sees it.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        for (SpinEdit* spin : {SE3, SE4, SE1, SE2}) {
            if (watched == spin) spin->SetValue(ClampedValue(spin));
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm2::FormCreate() {
    RunHandler([this] { ZapolnenieForm(); });
    exec();
}

void TForm2::done(int result) {
    FormClose();
    QDialog::done(result);
}

void TForm2::FormClose() {
    RunHandler([this] { SaveCatalog(catalog_, catalogPath_); });
}

void TForm2::ZapolnenieForm() {
    const QSignalBlocker rows(ComboBox1), pairs(ComboBox2), tyres(ComboBox3);
    if (!catalog_.Rows.Empty()) {
        QStringList names;
        for (const auto& row : catalog_.Rows) names << FromCp1251(row->Name);
        AddSortedItems(ComboBox1, std::move(names));
        ComboBox1->setCurrentIndex(0);
        ShowFromStart(ComboBox1);
        if (FindRowNamed(ComboBox1->currentText())) Zapolnenie1();
    }
    if (!catalog_.Pairs.Empty()) {
        QStringList texts;
        for (const auto& pair : catalog_.Pairs) texts << FromUtf8(FloatToStr(*pair));
        AddSortedItems(ComboBox2, std::move(texts));
        ComboBox2->setCurrentIndex(0);
    }
    if (!catalog_.Tyres.Empty()) {
        QStringList names;
        for (const auto& tyre : catalog_.Tyres) names << FromCp1251(tyre->Name);
        AddSortedItems(ComboBox3, std::move(names));
        ComboBox3->setCurrentIndex(0);
        ShowFromStart(ComboBox3);
        if (FindTyreNamed(ComboBox3->currentText())) Zapolnenie3();
    }
}

void TForm2::Zapolnenie1() {
    if (!catalog_.CurrentRow) return ShowNoRow();
    for (std::size_t i = 0; i < ME.size(); ++i)
        ME[i]->SetNumberText(FloatToStr(catalog_.CurrentRow->Ratios[i]));
}

void TForm2::ShowNoRow() {
    for (MaskEdit* edit : ME) edit->SetNumberText(NoRatioText());
}

void TForm2::Zapolnenie3() {
    SE3->SetValue(catalog_.CurrentTyre ? catalog_.CurrentTyre->Perimeter : 0);
}

bool TForm2::ErrEstZapis() {
    return AppMessages().AskYesNo("Такая запись уже существует. Перезаписать ?", "Предупреждение!");
}

bool TForm2::DeleteMsg() { return AppMessages().AskYesNo("Удалить запись ?", "Удаление"); }

bool TForm2::NameCanBeStored(const QString& name) {
    if (auto problem = CatalogNameProblem(name.toStdString())) {
        AppMessages().ShowMessage(*problem, "Недопустимое название", MessageIcon::Error);
        return false;
    }
    return true;
}

bool TForm2::FindRowNamed(const QString& name) {
    const auto bytes = ToCp1251(name);
    return bytes && catalog_.FindRow(*bytes);
}

bool TForm2::FindTyreNamed(const QString& name) {
    const auto bytes = ToCp1251(name);
    return bytes && catalog_.FindTyre(*bytes);
}

void TForm2::Button1Click() {
    RunHandler([this] {
        const QString name = ComboBox1->currentText();
        // A name the catalog holds is never refused: it came from the file, which keeps
        // it, and its record must stay replaceable.
        if (FindRowNamed(name)) {
            if (ErrEstZapis()) {
                // Each ratio is stored as soon as it is read: an unreadable field stops
                // here and keeps what came before it.
                for (std::size_t i = 0; i < ME.size(); ++i)
                    catalog_.CurrentRow->Ratios[i] = ME[i]->Value();
            }
        } else {
            if (!NameCanBeStored(name)) return;
            auto row = std::make_unique<Riad>();
            row->Name = *ToCp1251(name);
            for (std::size_t i = 0; i < ME.size(); ++i) row->Ratios[i] = ME[i]->Value();
            catalog_.CurrentRow = catalog_.AppendRow(std::move(row));
            const QSignalBlocker quiet(ComboBox1);
            InsertSortedItem(ComboBox1, name);
        }
        Zapolnenie1();
    });
}

void TForm2::Button3Click() {
    RunHandler([this] {
        const QString name = ComboBox3->currentText();
        if (FindTyreNamed(name)) {  // held already: never refused, as for rows
            if (ErrEstZapis()) catalog_.CurrentTyre->Perimeter = ClampedValue(SE3);
        } else {
            if (!NameCanBeStored(name)) return;
            auto tyre = std::make_unique<Koles>();
            tyre->Name = *ToCp1251(name);
            tyre->Perimeter = ClampedValue(SE3);
            catalog_.CurrentTyre = catalog_.AppendTyre(std::move(tyre));
            const QSignalBlocker quiet(ComboBox3);
            InsertSortedItem(ComboBox3, name);
        }
        Zapolnenie3();
    });
}

void TForm2::Button2Click() {
    RunHandler([this] {
        const double value = ME21->Value();
        // Looked up by the value's own number text, so that "4,1  " and "4,100" both find
        // the pair 4.1 instead of adding it a second time.
        switch (AddPairOnce(catalog_, value)) {
            case PairAdd::Refused:
                return;
            case PairAdd::Present:
                ErrEstZapis();  // a pair has nothing to overwrite, whatever the answer
                return;
            case PairAdd::Added:
                break;
        }
        const QString key = FromUtf8(FloatToStr(value));
        const QSignalBlocker quiet(ComboBox2);
        InsertSortedItem(ComboBox2, key);
        ComboBox2->setCurrentIndex(ComboBox2->findText(key));
    });
}

void TForm2::Button4Click() {
    RunHandler([this] {
        const QString shown = ComboBox1->currentText();
        if (!FindRowNamed(shown) || !DeleteMsg()) return;
        {
            const QSignalBlocker quiet(ComboBox1);
            RemoveShownItem(ComboBox1, shown);
        }
        catalog_.RemoveRow(catalog_.CurrentRow);
        if (FindRowNamed(ComboBox1->currentText()))
            Zapolnenie1();
        else
            ShowNoRow();
    });
}

void TForm2::Button5Click() {
    RunHandler([this] {
        const QString shown = ComboBox2->currentText();
        if (!catalog_.FindPair(shown.toStdString()) || !DeleteMsg()) return;
        {
            const QSignalBlocker quiet(ComboBox2);
            RemoveShownItem(ComboBox2, shown);
        }
        ME21->SetNumberText(FloatToStr(0));
        catalog_.RemovePair(catalog_.CurrentPair);
    });
}

void TForm2::Button6Click() {
    RunHandler([this] {
        const QString shown = ComboBox3->currentText();
        if (!FindTyreNamed(shown) || !DeleteMsg()) return;
        {
            const QSignalBlocker quiet(ComboBox3);
            RemoveShownItem(ComboBox3, shown);
        }
        catalog_.RemoveTyre(catalog_.CurrentTyre);
        if (FindTyreNamed(ComboBox3->currentText()))
            Zapolnenie3();
        else
            SE3->SetValue(0);
    });
}

void TForm2::ComboBox1Change() {
    RunHandler([this] {
        if (FindRowNamed(ComboBox1->currentText())) Zapolnenie1();
    });
}

void TForm2::ComboBox2Change() {
    RunHandler([this] { ME21->SetNumberText(FloatToStr(0)); });
}

void TForm2::ComboBox3Change() {
    RunHandler([this] {
        if (FindTyreNamed(ComboBox3->currentText())) Zapolnenie3();
    });
}

void TForm2::BitBtn1Click() {
    RunHandler([this] {
        if (const auto perimeter = TyrePerimeter(SE4->Value(), SE1->Value(), SE2->Value())) {
            SE3->SetValue(static_cast<int>(std::min<std::int64_t>(*perimeter, SE3->MaxValue())));
        }
    });
}

}  // namespace kelm
