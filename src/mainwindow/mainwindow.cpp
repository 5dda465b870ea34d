#include "mainwindow/mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "base/messages.h"
#include "base/numtext.h"
#include "catalog/catalog.h"
#include "catalog/catalogfile.h"
#include "chart/chartpanel.h"
#include "chart/shiftcurves.h"
#include "dynamics/dynamicsfile.h"
#include "dynamicsui/dynamicseditor.h"
#include "dynamicsui/dynamicswindow.h"
#include "editor/editor.h"
#include "mainwindow/aboutbox.h"
#include "mainwindow/geartablewindow.h"
#include "mainwindow/ravnenie.h"
#include "widgets/colorbox.h"
#include "widgets/coreedge.h"
#include "widgets/listorder.h"
#include "widgets/pictures.h"
#include "widgets/placement.h"
#include "widgets/spinedit.h"

namespace kelm {

namespace {

constexpr int kPanelHeight = 81;

QString Ru(const char* utf8) { return QString::fromUtf8(utf8); }

// Puts a control, made as the panel's child, at its design place in panel client
// coordinates (inside the panel's frame), with its hint.  Made with its parent, a control
// takes the panel's font from the start instead of being laid out in another first.
template <class W>
W* PutOnPanel(W* w, QFrame* panel, const char* name, QRect design, const char* hint) {
    Q_ASSERT(w->parentWidget() == panel);
    const int inset = panel->frameWidth();
    PutAtDesignPlace(w, name, design.translated(inset, inset));
    if (hint) w->setToolTip(Ru(hint));
    return w;
}

QToolButton* Toggle(QFrame* panel, const char* name, QRect design, const char* hint,
                    const QIcon& icon, bool down) {
    auto* b = PutOnPanel(new QToolButton(panel), panel, name, design, hint);
    b->setCheckable(true);
    b->setChecked(down);
    b->setIcon(icon);
    b->setIconSize(design.size() - QSize(10, 8));
    b->setAutoRaise(false);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

// A catalog list whose drop-down is as wide as its longest names (up to the screen's
// width), so a name longer than the box is read whole in the list, not cut in the middle.
class CatalogList final : public QComboBox {
  public:
    using QComboBox::QComboBox;

    void showPopup() override {
        const QAbstractItemModel* items = model();
        // Measuring thousands of names at every opening would be slow; the widest are
        // among the longest in characters.
        std::vector<std::pair<qsizetype, int>> byLength;
        byLength.reserve(static_cast<std::size_t>(items->rowCount()));
        for (int r = 0; r < items->rowCount(); ++r) {
            byLength.emplace_back(items->index(r, 0).data().toString().size(), r);
        }
        const std::size_t measured = std::min<std::size_t>(byLength.size(), 32);
        std::partial_sort(byLength.begin(),
                          byLength.begin() + static_cast<std::ptrdiff_t>(measured), byLength.end(),
                          [](const auto& a, const auto& b) { return a.first > b.first; });
        const QFontMetrics metrics(view()->font());
        int widest = 0;
        for (std::size_t i = 0; i < measured; ++i) {
            const QString text = items->index(byLength[i].second, 0).data().toString();
            widest = std::max(widest, metrics.horizontalAdvance(text));
        }
        const int chrome = 2 * view()->frameWidth() +
                           view()->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16;
        int w = std::max(width(), widest + chrome);
        if (const QScreen* s = screen()) w = std::min(w, s->availableGeometry().width());
        view()->setMinimumWidth(w);
        QComboBox::showPopup();
    }
};

QComboBox* List(QFrame* panel, const char* name, QRect design, const char* hint) {
    auto* c = PutOnPanel(new CatalogList(panel), panel, name, design, hint);
    c->setEditable(false);  // pick-only
    // Every item is one line in one font: the view need not measure each of thousands.
    if (auto* view = qobject_cast<QListView*>(c->view())) view->setUniformItemSizes(true);
    return c;
}

// The catalog lists drop down below their box, a screenful of items at a time, as
// drop-down lists do.  The popup over the box that some styles (Fusion among them) use
// instead is sized to the widest item and to all the items, measured anew at every
// opening: a fifth of a second with ten thousand tyres.
class DropDownStyle final : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ComboBox_Popup) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

ColorBox* Picker(QFrame* panel, const char* name, QRect design, Color color) {
    auto* c = PutOnPanel(new ColorBox(panel), panel, name, design, "Цвет графика");
    c->Select(static_cast<std::int32_t>(color));
    return c;
}

// What a list had selected before it is refilled.
struct Chosen {
    int index = -1;
    QString text;
};

// Selects the first item whose text equals the text, ignoring letter case; no item, no
// selection.  No change event.  The items stand in the lists' sorted order, where texts
// equal but for letter case come together, so a binary search finds the first of them;
// a linear search through ten thousand items for each of six lists slowed start-up.
void SelectText(QComboBox* list, const QStringListModel* items, const std::string& cp1251) {
    const QSignalBlocker quiet(list);
    const QStringList all = items->stringList();
    const QString text = FromCp1251(cp1251);
    const auto at = std::lower_bound(all.begin(), all.end(), text, ListLess);
    const bool found = at != all.end() && !ListLess(text, *at);
    list->setCurrentIndex(found ? static_cast<int>(at - all.begin()) : -1);
}

std::string ShownText(const QComboBox* list) { return ToCp1251Lossy(list->currentText()); }

}  // namespace

template <class F>
void TForm1::Handle(F&& body) {
    RunHandler(std::forward<F>(body));
}

TForm1::TForm1(std::string catalogPath, std::string settingsPath, QWidget* parent)
    : QMainWindow(parent),
      chart_(std::make_unique<ShiftChart>()),
      catalogPath_(std::move(catalogPath)),
      settingsPath_(std::move(settingsPath)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setWindowIcon(ProgramIcon());
    setMinimumSize(kMinWidth, kMinHeight);
    resize(kMinWidth, kMinHeight);

    auto* client = new QWidget(this);
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    BuildPanel(client);
    column->addWidget(Panel2);
    Chart1 = new ChartPanel(*chart_, client);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    column->addWidget(Chart1, 1);
    setCentralWidget(client);
    BuildMenu();
    ConnectHandlers();
    ComboBox2->setFocus();  // the first in the keyboard order has the focus at the start
    WatchControls();
    // The gear table and the acceleration window show the sets as the panel has them also
    // where start-up never draws (a catalog that fails to load): shown or hidden, in their
    // colours, not built.
    gears_ = UnbuiltGears(SE1->Value(), ChosenSet(1), ChosenSet(2));

    FormCreate();
}

TForm1::~TForm1() {
    // The panel watches the series: it goes while they are still there.  So does the
    // acceleration window, which drives the engines and cars kept here.
    delete Chart1;
    Chart1 = nullptr;
    delete DynamicsForm1;
    DynamicsForm1 = nullptr;
}

DynamicsData& TForm1::Dynamics() {
    if (!dynamics_) dynamics_ = std::make_unique<DynamicsData>(LoadDynamics(dynamicsPath_));
    return *dynamics_;
}

void TForm1::BuildPanel(QWidget* client) {
    Panel2 = new QFrame(client);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    // The lists and colour pickers show their items 13 pixels high: they inherit it.
    QFont font13 = font();
    font13.setPixelSize(13);
    Panel2->setFont(font13);
    Panel2->setFrameStyle(QFrame::Box | QFrame::Plain);  // a single line, no bevel
    Panel2->setLineWidth(1);
    Panel2->setFixedHeight(kPanelHeight);

    SE1 = PutOnPanel(new SpinEdit(Panel2), Panel2, "SE1", {8, 24, 65, 30}, "Максимальные обороты");
    SE1->SetRange(0, 100000);
    SE1->SetIncrement(500);
    SE1->SetMaxTyped(5);
    QFont bold = SE1->font();
    bold.setPixelSize(16);
    bold.setBold(true);
    // Narrow figures, so that the engine speed fits beside the spin buttons.
    bold.setStretch(QFont::Condensed);
    SE1->setFont(bold);
    SE1->SetValue(6000);  // before the handler is connected: the design value

    const QIcon showHide = ShowHideIcon();
    const QIcon labels = LabelsIcon();
    CB1 = Toggle(Panel2, "CB1", {80, 8, 45, 25}, "Показать / Спрятать", showHide, true);
    CB3 = Toggle(Panel2, "CB3", {144, 8, 33, 24}, nullptr, labels, false);
    ComboBox1 = List(Panel2, "ComboBox1", {196, 8, 117, 24}, "Ряд");
    ComboBox4 = List(Panel2, "ComboBox4", {322, 8, 57, 24}, "Пара");
    ComboBox7 = List(Panel2, "ComboBox7", {396, 8, 173, 24}, "Резина");
    ColorBox1 = Picker(Panel2, "ColorBox1", {580, 8, 38, 22}, colors::Red);
    CB2 = Toggle(Panel2, "CB2", {80, 48, 45, 25}, "Показать / Спрятать", showHide, false);
    CB4 = Toggle(Panel2, "CB4", {144, 48, 33, 24}, nullptr, labels, false);
    ComboBox2 = List(Panel2, "ComboBox2", {196, 48, 117, 24}, "Ряд");
    ComboBox5 = List(Panel2, "ComboBox5", {322, 48, 57, 24}, "Пара");
    ComboBox8 = List(Panel2, "ComboBox8", {396, 48, 173, 24}, "Резина");
    ColorBox2 = Picker(Panel2, "ColorBox2", {580, 48, 38, 22}, colors::Blue);

    // A new instance of the application's style; made after the lists, as the panel's
    // child, so that it outlives them.
    auto* dropDown = new DropDownStyle(QApplication::style()->name());
    dropDown->setParent(Panel2);
    for (QComboBox* c : {ComboBox1, ComboBox2, ComboBox4, ComboBox5, ComboBox7, ComboBox8})
        c->setStyle(dropDown);

    // Each combo box keeps its own selection over the shared items.
    rowItems_ = new QStringListModel(this);
    pairItems_ = new QStringListModel(this);
    tyreItems_ = new QStringListModel(this);
    for (auto [list, items] : {std::pair{ComboBox1, rowItems_},
                               {ComboBox2, rowItems_},
                               {ComboBox4, pairItems_},
                               {ComboBox5, pairItems_},
                               {ComboBox7, tyreItems_},
                               {ComboBox8, tyreItems_}}) {
        list->setModel(items);
    }

    // The bottom row comes first, then the top row, then the engine speed.
    QWidget* order[] = {ComboBox2, ComboBox5, ComboBox8, ColorBox2, ComboBox1,
                        ComboBox4, ComboBox7, ColorBox1, SE1};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

void TForm1::BuildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    File1 = bar->addMenu(Ru("&Файл"));
    File1->setObjectName(QStringLiteral("File1"));
    SaveAs1 = File1->addAction(Ru("&Сохранить как..."));
    SaveAs1->setObjectName(QStringLiteral("SaveAs1"));
    SaveAs1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    Print1 = File1->addAction(Ru("&Печать..."));
    Print1->setObjectName(QStringLiteral("Print1"));
    Print1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    N2 = File1->addSeparator();
    N2->setObjectName(QStringLiteral("N2"));
    Exit1 = File1->addAction(Ru("Выход"));
    Exit1->setObjectName(QStringLiteral("Exit1"));

    Edit1 = bar->addMenu(Ru("&Правка"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Copy1 = Edit1->addAction(Ru("&Копировать"));
    Copy1->setObjectName(QStringLiteral("Copy1"));
    Copy1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    Table1 = Edit1->addAction(Ru("&Таблица передач..."));
    Table1->setObjectName(QStringLiteral("Table1"));
    Table1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    Razgon1 = Edit1->addAction(Ru("&Динамика разгона..."));
    Razgon1->setObjectName(QStringLiteral("Razgon1"));
    Razgon1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    Dynamics1 = Edit1->addAction(Ru("Двигатели и &автомобили..."));
    Dynamics1->setObjectName(QStringLiteral("Dynamics1"));

    N3 = bar->addAction(Ru("&Настройки..."));
    N3->setObjectName(QStringLiteral("N3"));

    Help1 = bar->addMenu(Ru("&Помощь"));
    Help1->setObjectName(QStringLiteral("Help1"));
    About1 = Help1->addAction(Ru("&О программе..."));
    About1->setObjectName(QStringLiteral("About1"));
}

void TForm1::ConnectHandlers() {
    // Only what the user does reaches these: clicked and activated are never raised by
    // code that sets a toggle or a selection.
    const auto redraw = [this] { Handle([this] { Grafic(); }); };
    for (QToolButton* b : {CB1, CB2, CB3, CB4}) connect(b, &QToolButton::clicked, this, redraw);
    for (QComboBox* c : {ComboBox1, ComboBox2, ComboBox4, ComboBox5, ComboBox7, ComboBox8}) {
        connect(c, &QComboBox::activated, this, redraw);
    }
    for (ColorBox* c : {ColorBox1, ColorBox2}) connect(c, &ColorBox::Picked, this, redraw);
    connect(SE1, &SpinEdit::Changed, this, &TForm1::SE1Change);

    connect(Print1, &QAction::triggered, this, &TForm1::Print1Click);
    connect(Exit1, &QAction::triggered, this, &TForm1::Exit1Click);
    connect(Copy1, &QAction::triggered, this, &TForm1::N1Click);
    connect(SaveAs1, &QAction::triggered, this, &TForm1::SaveAs1Click);
    connect(Table1, &QAction::triggered, this, &TForm1::Table1Click);
    connect(Razgon1, &QAction::triggered, this, &TForm1::Razgon1Click);
    connect(Dynamics1, &QAction::triggered, this, &TForm1::Dynamics1Click);
    connect(N3, &QAction::triggered, this, &TForm1::N3Click);
    connect(About1, &QAction::triggered, this, &TForm1::About1Click);
}

void TForm1::FormCreate() {
    // A catalog that fails to load ends start-up here (its failure is already reported),
    // leaving the window with empty lists and its design settings.
    Handle([this] {
        Catalog& catalog = TheCatalog();
        catalog.ClearCatalog();
        LoadCatalog(catalog, catalogPath_);
        ZapolnenieForm();
        OpenParametrs();
        Grafic();
    });
}

void TForm1::ZapolnenieForm() {
    QComboBox* const lists[] = {ComboBox1, ComboBox2, ComboBox4, ComboBox5, ComboBox7, ComboBox8};
    Chosen remembered[std::size(lists)];
    for (std::size_t i = 0; i < std::size(lists); ++i)
        remembered[i] = {lists[i]->currentIndex(), lists[i]->currentText()};

    // Refilling raises no change event.
    bool wasQuiet[std::size(lists)];
    for (std::size_t i = 0; i < std::size(lists); ++i) wasQuiet[i] = lists[i]->blockSignals(true);

    // One kind at a time, the old items let go before the new are made: a long list's
    // texts then take the memory its predecessor has just left, still in the cache.
    Catalog& catalog = TheCatalog();
    const auto refill = [](QStringListModel* model, std::size_t count, const auto& text) {
        model->setStringList({});
        QStringList items;
        items.reserve(static_cast<qsizetype>(count));
        for (std::size_t i = 0; i < count; ++i) items.push_back(text(i));
        SortLikeAList(items);
        model->setStringList(items);
    };
    refill(rowItems_, catalog.Rows.Count(),
           [&](std::size_t i) { return FromCp1251(catalog.Rows[i].Name); });
    // The texts the lookups compare with, made once for both.
    refill(pairItems_, catalog.Pairs.Count(),
           [&](std::size_t i) { return QString::fromStdString(catalog.PairText(i)); });
    refill(tyreItems_, catalog.Tyres.Count(),
           [&](std::size_t i) { return FromCp1251(catalog.Tyres[i].Name); });

    // The item the user had chosen, found by its text, where it is still there (the
    // catalog editor may have added names before it); otherwise by position, where a
    // remembered position past the new end selects the last item (nothing in an empty list).
    for (std::size_t i = 0; i < std::size(lists); ++i) {
        QComboBox* const list = lists[i];
        int index =
            remembered[i].index < 0
                ? -1
                : list->findText(remembered[i].text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index < 0) {
            const int count = list->count();
            index = remembered[i].index < count ? remembered[i].index : count - 1;
        }
        list->setCurrentIndex(index);
        list->blockSignals(wasQuiet[i]);
    }
}

void TForm1::Ravnenie() {
    PanelWidths w;
    w.SE1 = SE1->width();
    w.CB1 = CB1->width();
    w.CB3 = CB3->width();
    w.ComboBox1 = ComboBox1->width();
    w.ComboBox4 = ComboBox4->width();
    w.ComboBox7 = ComboBox7->width();
    w.CB2 = CB2->width();
    w.CB4 = CB4->width();
    w.ComboBox2 = ComboBox2->width();
    w.ComboBox5 = ComboBox5->width();
    w.ComboBox8 = ComboBox8->width();
    const PanelLefts l = RavnenieLayout(Panel2->width(), Panel2->x(), w);
    const int inset = Panel2->frameWidth();
    const std::pair<QWidget*, int> placed[] = {{SE1, l.SE1},
                                               {CB1, l.CB1},
                                               {CB3, l.CB3},
                                               {ComboBox1, l.ComboBox1},
                                               {ComboBox4, l.ComboBox4},
                                               {ComboBox7, l.ComboBox7},
                                               {ColorBox1, l.ColorBox1},
                                               {CB2, l.CB2},
                                               {CB4, l.CB4},
                                               {ComboBox2, l.ComboBox2},
                                               {ComboBox5, l.ComboBox5},
                                               {ComboBox8, l.ComboBox8},
                                               {ColorBox2, l.ColorBox2}};
    for (const auto& [control, left] : placed) control->move(left + inset, control->y());
}

ComparisonSet TForm1::ChosenSet(int set) const {
    const auto chosen = [](QToolButton* shown, QToolButton* labels, const ColorBox* color,
                           const QComboBox* row, const QComboBox* pair, const QComboBox* tyre) {
        return ComparisonSet{shown->isChecked(), labels->isChecked(), color->Selected(),
                             ShownText(row),     ShownText(pair),     ShownText(tyre)};
    };
    return set == 1 ? chosen(CB1, CB3, ColorBox1, ComboBox1, ComboBox4, ComboBox7)
                    : chosen(CB2, CB4, ColorBox2, ComboBox2, ComboBox5, ComboBox8);
}

void TForm1::Grafic() {
    // The gear table and the acceleration window follow every run, also one that stops at
    // an error (which the caller reports, once).
    const auto follow = qScopeGuard([this] {
        if (GearTable1 && GearTable1->isVisible()) GearTable1->SetGears(gears_);
        if (DynamicsForm1 && DynamicsForm1->isVisible()) DynamicsForm1->SetGears(gears_);
    });
    kelm::Grafic(SE1->Value(), ChosenSet(1), ChosenSet(2), TheCatalog(), *chart_, &gears_);
}

void TForm1::OpenParametrs() {
    const WindowSettings s = ReadWindowSettings(settingsPath_);
    if (s.FormMax) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        resize(std::max(s.FormWidth, kMinWidth), std::max(s.FormHeight, kMinHeight));
    }
    SE1->SetValue(s.SE1);  // a changed text draws at once, through SE1Change
    for (auto [button, down] : {std::pair{CB1, s.CB1}, {CB2, s.CB2}, {CB3, s.CB3}, {CB4, s.CB4}}) {
        button->setChecked(down);
    }
    SelectText(ComboBox1, rowItems_, s.ComboBox1);
    SelectText(ComboBox2, rowItems_, s.ComboBox2);
    SelectText(ComboBox4, pairItems_, s.ComboBox4);
    SelectText(ComboBox5, pairItems_, s.ComboBox5);
    SelectText(ComboBox7, tyreItems_, s.ComboBox7);
    SelectText(ComboBox8, tyreItems_, s.ComboBox8);
    ColorBox1->Select(s.ColorBox1);
    ColorBox2->Select(s.ColorBox2);
}

WindowSettings TForm1::CurrentSettings() const {
    WindowSettings s;
    const Qt::WindowStates state = windowState();
    s.FormMax = (state & Qt::WindowMaximized) && !(state & Qt::WindowMinimized);
    s.FormHeight = height();
    s.FormWidth = width();
    s.SE1 = SE1->Value();
    s.CB1 = CB1->isChecked();
    s.CB2 = CB2->isChecked();
    s.CB3 = CB3->isChecked();
    s.CB4 = CB4->isChecked();
    s.ComboBox1 = ShownText(ComboBox1);
    s.ComboBox2 = ShownText(ComboBox2);
    s.ComboBox4 = ShownText(ComboBox4);
    s.ComboBox5 = ShownText(ComboBox5);
    s.ComboBox7 = ShownText(ComboBox7);
    s.ComboBox8 = ShownText(ComboBox8);
    s.ColorBox1 = ColorBox1->Value();
    s.ColorBox2 = ColorBox2->Value();
    return s;
}

void TForm1::SaveParametrs() { SaveWindowSettings(settingsPath_, CurrentSettings()); }

void TForm1::SE1Change() {
    Handle([this] {
        // An empty text becomes 0; a lone "-" reads as 0 and stays, so the user can go on
        // typing.  Setting the value re-enters this handler, which draws; then we draw again.
        if (SE1->Text().isEmpty() || SE1->Value() < 0) SE1->SetValue(0);
        if (SE1->Value() > SE1->MaxValue()) SE1->SetValue(SE1->MaxValue());
        Grafic();
    });
}

void TForm1::N3Click() {
    Handle([this] {
        {
            // Runs modally and writes the catalog file when the user closes it.
            TForm2 editor(TheCatalog(), catalogPath_, this);
            editor.FormCreate();
        }
        ZapolnenieForm();
        // The records behind the curves may have changed or gone: draw what is chosen now.
        Grafic();
    });
}

void TForm1::About1Click() {
    Handle([this] {
        TAboutBox box(this);
        box.FormCreate();
    });
}

void TForm1::Exit1Click() { close(); }

void TForm1::N1Click() {
    Handle([this] { Chart1->N1Click(); });
}

void TForm1::Print1Click() {
    Handle([this] { Chart1->Print1Click(); });
}

void TForm1::SaveAs1Click() {
    Handle([this] { Chart1->SaveAs1Click(); });
}

// Shows a window that follows this one and brings it to the front.  Opened for the first
// time, it goes beside this one, so that both are read at once, or where it covers the least
// of this one; after that it opens where the user left it.
void TForm1::ShowFollowing(QWidget* window, bool first) const {
    const QScreen* s = screen();
    if (first && s) {
        // Not shown yet, the window has no frame: it will get one like this window's.
        const QRect outer = OuterGeometry(frameGeometry(), geometry());
        const QSize frame = outer.size() - geometry().size();
        window->move(PlaceFollowingWindow(s->availableGeometry(), outer, window->size() + frame));
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void TForm1::Table1Click() {
    Handle([this] {
        // A closed table is not refilled: it gets the last numbers when it opens again.
        const bool first = !GearTable1;
        if (first) GearTable1 = new GearTableWindow(this);
        GearTable1->SetGears(gears_);
        ShowFollowing(GearTable1, first);
    });
}

void TForm1::Razgon1Click() {
    Handle([this] {
        // As the gear table: driven again when it opens, placed once.
        const bool first = !DynamicsForm1;
        if (first) {
            DynamicsForm1 = new DynamicsWindow(TheCatalog(), Dynamics(), dynamicsPath_, this);
            DynamicsForm1->SetAddPair([this](int set, MainPair pair) { AddPairToSet(set, pair); });
        }
        DynamicsForm1->SetGears(gears_);
        ShowFollowing(DynamicsForm1, first);
    });
}

void TForm1::Dynamics1Click() {
    // Runs modally and writes the dynamics file when the user closes it; the acceleration
    // window then shows what became of its engines and cars.
    Handle([this] {
        RunDynamicsEditor(this, Dynamics(), dynamicsPath_);
        if (DynamicsForm1) DynamicsForm1->DataChanged();
    });
}

void TForm1::AddPairToSet(int set, MainPair pair) {
    Handle([&] {
        Catalog& catalog = TheCatalog();
        switch (AddPairOnce(catalog, pair)) {
            case PairAdd::Refused:
                return;
            case PairAdd::Present:  // nothing to write; the set takes the pair all the same
                break;
            case PairAdd::Added:
                // Written at once, as the editor writes it when it closes: the one writer of
                // the file, with its backup where another program changed the file.
                SaveCatalog(catalog, catalogPath_);
                ZapolnenieForm();
                break;
        }
        SelectText(set == 1 ? ComboBox4 : ComboBox5, pairItems_, FloatToStr(pair));
        Grafic();
    });
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!placed_) {
        placed_ = true;
        // Centred on the desktop when first shown; the position is never stored.
        if (!(windowState() & Qt::WindowMaximized)) {
            if (const QScreen* s = screen()) {
                QRect frame = frameGeometry();
                frame.moveCenter(s->availableGeometry().center());
                move(frame.topLeft());
            }
        }
    }
    Ravnenie();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Ravnenie();
}

void TForm1::WatchControls() {
    // Before a key goes to the control with the focus, the control is asked whether it
    // wants it for itself; a text field says yes to Ctrl+C, and so does the control it is
    // part of (the spin edit), which passes the question on to it.  The other controls
    // leave the keys to the menus.
    for (QLineEdit* field : findChildren<QLineEdit*>()) {
        field->installEventFilter(this);
        field->parentWidget()->installEventFilter(this);
    }
    Panel2->installEventFilter(this);
}

bool TForm1::IsWindowShortcut(QEvent* event) const {
    const QKeySequence keys(static_cast<QKeyEvent*>(event)->keyCombination());
    return keys == Copy1->shortcut() || keys == Print1->shortcut();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // Both menus run the copy and print commands on their keys whatever has the focus, so
    // a text field's claim on them is answered "no" here.
    if (event->type() == QEvent::ShortcutOverride && IsWindowShortcut(event)) {
        event->ignore();
        return true;
    }
    // The panel follows the window's width through the layout, which may settle after the
    // window's own resize; lay the rows out again once it has.
    if (watched == Panel2 && event->type() == QEvent::Resize) Ravnenie();
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::FormClose() {
    Handle([this] { SaveParametrs(); });
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A settings file that cannot be written is reported, but it never keeps the user in
    // the program: the window closes all the same.  The catalog is not touched here; the
    // acceleration window's last choices are written.
    if (DynamicsForm1) Handle([this] { DynamicsForm1->SaveRun(); });
    FormClose();
    event->accept();
}

}  // namespace kelm
