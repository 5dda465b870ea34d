#include "dynamicsui/pairpage.h"

#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "catalog/catalogfile.h"
#include "dynamics/dynamicsfile.h"
#include "dynamicswindow_fixture.h"

namespace kelm::testing {
namespace {

using namespace std::chrono_literals;

// A sweep that holds until the test lets it go (or it is stopped), and tells what it was asked.
class GatedSweep {
  public:
    PairPage::Sweep Sweep() {
        return [this](const AccelerationInput& in, double from, double to, std::stop_token stop,
                      const std::function<void(std::size_t, std::size_t)>& progress)
                   -> std::optional<PairSweep> {
            {
                std::unique_lock lock(m_);
                inputs_.push_back(in);
                changed_.notify_all();
                changed_.wait(lock, stop, [&] { return open_; });
                if (stop.stop_requested()) {
                    ++stopped_;
                    return std::nullopt;
                }
            }
            return SweepMainPairs(in, from, to, stop, progress);
        };
    }
    // Waits (a while at most) until `n` sweeps have begun; the inputs they were given.
    std::vector<AccelerationInput> Begun(std::size_t n) {
        std::unique_lock lock(m_);
        changed_.wait_for(lock, 10s, [&] { return inputs_.size() >= n; });
        return inputs_;
    }
    int Stopped() {
        std::lock_guard lock(m_);
        return stopped_;
    }
    void Open() {
        std::lock_guard lock(m_);
        open_ = true;
        changed_.notify_all();
    }

  private:
    std::mutex m_;
    std::condition_variable_any changed_;
    std::vector<AccelerationInput> inputs_;
    int stopped_ = 0;
    bool open_ = false;
};

class PairPageTest : public DynamicsWindowTest {
  protected:
    // The window of example A, its pair tab given the sweep (the real one by default).
    RazgonForm OpenPairs(const Form1& f, PairPage::Sweep sweep = {}) {
        RazgonForm d = OpenActive(f);
        if (!d) return d;
        page_ = d->Pairs();
        grid_ = d->findChild<QTableWidget*>(QStringLiteral("Grid2"));
        add_ = d->findChild<QPushButton*>(QStringLiteral("AddPairButton"));
        if (sweep) page_->SetSweep(std::move(sweep));
        return d;
    }
    void ShowPairs(const RazgonForm& d) { d.Tabs1->setCurrentWidget(page_); }
    // The window on the pair tab, its first sweep held at the gate.
    RazgonForm OpenHeld(const Form1& f) {
        RazgonForm d = OpenPairs(f, gate_.Sweep());
        if (!d) return d;
        ShowPairs(d);
        EXPECT_EQ(gate_.Begun(1).size(), 1u);
        return d;
    }
    bool Swept() {
        return QTest::qWaitFor([&] { return !page_->Sweeping() && page_->ShownSweep(1); }, 10000);
    }
    // The window on the pair tab, its first sweep shown (a false one where it never came).
    RazgonForm OpenSwept(const Form1& f, PairPage::Sweep sweep = {}) {
        RazgonForm d = OpenPairs(f, std::move(sweep));
        if (d) ShowPairs(d);
        if (d && !Swept()) {
            ADD_FAILURE() << "the first sweep was not shown";
            d.form = nullptr;
        }
        return d;
    }

    // A row of the pair table: the row of that caption under set 1's or set 2's heading.
    int Row(int set, const char* caption) const {
        int under = 0;
        for (int r = 0; r < grid_->rowCount(); ++r) {
            const QString text = grid_->item(r, 0) ? grid_->item(r, 0)->text() : QString();
            if (grid_->columnSpan(r, 0) > 1 && text.startsWith(Ru("Набор ")))
                under = text.mid(6, 1).toInt();
            if (under == set && text == Ru(caption)) return r;
        }
        ADD_FAILURE() << "no row " << caption << " of set " << set;
        return -1;
    }
    QStringList RowTexts(int set, const char* caption) const {
        QStringList texts;
        const int r = Row(set, caption);
        for (int c = 0; r >= 0 && c < grid_->columnCount(); ++c)
            texts << (grid_->item(r, c) ? grid_->item(r, c)->text() : QString());
        return texts;
    }
    // Chooses a row as the user does, with a click.
    void Choose(int set, const char* caption) {
        const int r = Row(set, caption);
        ASSERT_GE(r, 0);
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {},
                          grid_->visualRect(grid_->model()->index(r, 2)).center());
    }
    QString Status() const { return page_->findChild<QLabel*>("PairStatus")->text(); }

    PairPage* page_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QPushButton* add_ = nullptr;
    GatedSweep gate_;  // outlives the window (TearDown), whose thread may hold it
};

TEST_F(PairPageTest, ExampleAsBestPairsOnTheTabAndOnTheClipboard) {
    Form1 f = OpenExample();
    RazgonForm d = OpenPairs(f);
    ASSERT_TRUE(d);
    EXPECT_EQ(d.Tabs1->tabText(2), Ru("Главная пара"));
    EXPECT_EQ(d.PairFromEdit->Text(), Ru("2,50"));
    EXPECT_EQ(d.PairToEdit->Text(), Ru("6,00"));
    EXPECT_EQ(page_->ShownSweep(1), nullptr);  // nothing swept while the tab is not shown
    ShowPairs(d);
    EXPECT_FALSE(d.Grid1->isVisible());  // the results table makes room for the pair table
    ASSERT_TRUE(Swept());
    EXPECT_EQ(page_->ShownSweep(2), nullptr);  // set 2 is hidden

    // The table's rows as the core lays them out (its tests check each figure), the edge note
    // in its column.
    EXPECT_EQ(RowTexts(1, "Лучшая для 0–100"),
              QStringList({Ru("Лучшая для 0–100"), "6,00", "15,68", "20,78", "108,42", Ru("—"),
                           Ru("на краю диапазона")}));

    // Ctrl+C in a text field of this tab copies its table, plain numbers; elsewhere the
    // results.
    QGuiApplication::clipboard()->setText("before");
    d.PairFromEdit->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    const QStringList lines = mime->text().split(QStringLiteral("\r\n"));
    for (const char* line :
         {"Сейчас\t3,90\t16,77\t21,03\t159,35\t3957\t",
          "Лучшая для 0–100\t6,00\t15,68\t20,78\t108,42\t—\tна краю диапазона",
          "Лучшая для 400 м\t5,72\t15,86\t20,73\t113,73\t5803\t",
          "Лучшая для максимальной скорости\t3,96\t16,69\t21,02\t159,37\t4018\t"})
        EXPECT_TRUE(lines.contains(Ru(line))) << line;
    EXPECT_TRUE(mime->html().contains(Ru("<td align=\"right\">159,37</td>")));
    // Ctrl+S and Ctrl+P take this tab's chart.
    CancellingPrinterSetup printer;
    CountingSaveDialog save;
    page_->Chart()->SetPrinterSetup(&printer);
    page_->Chart()->SetSaveFileDialog(&save);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(save.calls, 1);
    EXPECT_EQ(printer.calls, 1);
    page_->Chart()->SetPrinterSetup(nullptr);
    page_->Chart()->SetSaveFileDialog(nullptr);
    d.Tabs1->setCurrentIndex(0);
    QTest::keyClick(d.EngineBox1, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(Ru("Разгон 0–60 км/ч, с\t7,9")));
    EXPECT_TRUE(d.Grid1->isVisible());
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(PairPageTest, AddingABestPairChoosesItInItsSetAndTheCatalogHoldsItOnce) {
    Form1 f = OpenExample();
    int sweeps = 0;
    RazgonForm d = OpenSwept(f, [&](const AccelerationInput& in, double from, double to,
                                    std::stop_token stop, const auto& progress) {
        ++sweeps;  // on the page's thread, while the test waits for it
        return SweepMainPairs(in, from, to, stop, progress);
    });
    ASSERT_TRUE(d);
    ASSERT_EQ(sweeps, 1);
    EXPECT_FALSE(add_->isEnabled());  // no row chosen

    // The best top speed's pair, 3.96, is not in the catalog.
    const MainPair best = page_->ShownSweep(1)->bestTop->pair;
    const QString text = QString::fromStdString(FloatToStr(best));
    Choose(1, "Лучшая для максимальной скорости");
    ASSERT_TRUE(add_->isEnabled()) << Status().toStdString();
    EXPECT_TRUE(Status().contains(Ru("выбрана в наборе 1")));
    // Nothing is added from a table about to change: a Grafic that sweeps again (the engine
    // speed is no limit to example A's top speed, which stays best at the same pair).
    f.SE1->SetValue(6100);
    EXPECT_FALSE(add_->isEnabled());
    ASSERT_TRUE(Swept());
    ASSERT_EQ(sweeps, 2);
    ASSERT_TRUE(add_->isEnabled());  // the row chosen stays chosen

    // Meanwhile another program has changed the catalog: the save keeps its version aside.
    std::string other = ExampleCatalog(',');
    other.replace(other.find("4,1"), 3, "4,3");
    WriteCatalog(other);
    QTest::mouseClick(add_, Qt::LeftButton);

    EXPECT_EQ(f.ComboBox4->currentText(), text);
    EXPECT_TRUE(Heading(d.Grid1, 1).contains(QStringLiteral(" · ") + text + QStringLiteral(" · ")));
    EXPECT_EQ(RowTexts(1, "Сейчас").at(1), Ru("3,96"));
    EXPECT_EQ(sweeps, 2);  // the set's own pair is no part of its sweep
    EXPECT_FALSE(add_->isEnabled());
    EXPECT_EQ(Status(), Ru("Пара 3,96 уже есть в каталоге."));
    EXPECT_EQ(ReadBytes(CatalogPath() + ".bak"), other);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_NE(messages_.shown[0].text.find("изменён другой программой"), std::string::npos);

    const auto heldOnce = [&] {
        Catalog stored;
        LoadCatalog(stored, CatalogPath());
        int held = 0;
        for (std::size_t i = 0; i < stored.Pairs.Count(); ++i)
            held += stored.PairText(i) == text.toStdString();
        return held == 1 && stored.Pairs.Count() == 3;  // 3.9, 4.1 and the new one
    };
    EXPECT_TRUE(heldOnce());
    // A second add of the same pair adds nothing and writes nothing; set 2 takes it all the same.
    const std::string saved = ReadBytes(CatalogPath());
    f->AddPairToSet(1, best);
    f->AddPairToSet(2, best);
    EXPECT_EQ(ReadBytes(CatalogPath()), saved);
    EXPECT_TRUE(heldOnce());
    EXPECT_EQ(f.ComboBox5->currentText(), text);
    EXPECT_EQ(messages_.shown.size(), 1u);
}

// The tab as it reads: the captions wrap between their words and cut none at the window's
// first (and least) width, and Tab walks it from the range above the chart down to the table
// and its button, then on to the window's commands.
TEST_F(PairPageTest, CaptionsAreWholeAndTabWalksTheTabTopToBottom) {
    Form1 f = OpenExample();
    RazgonForm d = OpenSwept(f);
    ASSERT_TRUE(d);
    QFont bold = grid_->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const int margins = 2 * (grid_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    for (int c = 1; c < grid_->columnCount(); ++c) {
        for (const QString& word : grid_->item(0, c)->text().split(' '))
            EXPECT_LE(metrics.horizontalAdvance(word) + margins, grid_->columnWidth(c))
                << word.toStdString();
    }

    Choose(1, "Лучшая для максимальной скорости");
    ASSERT_TRUE(add_->isEnabled());
    d.Tabs1->tabBar()->setFocus();
    QStringList walked;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(walked.join(' ').toStdString(),
              "PairFromEdit PairToEdit Grid2 AddPairButton CopyButton1");
}

// On a low screen (1024 × 600, 800 × 600, 1920 × 1080 at twice the scale) the table stands
// beside the chart, as high as it, rather than below it with a row or two; on a higher one below.
TEST_F(PairPageTest, OnALowWindowTheTableStandsBesideTheChart) {
    Form1 f = OpenExample();
    QTest::mouseClick(f.CB2, Qt::LeftButton);  // both sets: the table at its highest
    RazgonForm d = OpenSwept(f);
    ASSERT_TRUE(d);
    const auto* chart = d->findChild<QWidget*>(QStringLiteral("ChartPara"));
    const struct {
        QSize size;
        bool beside;
    } sizes[] = {{{976, 552}, true},
                 {{912, 492}, true},
                 {{752, 552}, true},
                 {{1232, 752}, false},
                 {{920, 960}, false}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(s.size.height());
        d->resize(s.size);
        QApplication::processEvents();
        const int tableTop = grid_->mapTo(d.form, QPoint()).y();
        EXPECT_EQ(tableTop == chart->mapTo(d.form, QPoint()).y(), s.beside);
        if (s.beside) {
            EXPECT_EQ(grid_->height(), chart->height());
        } else {
            EXPECT_GE(chart->height(), 240);
        }
    }
}

TEST_F(PairPageTest, LeavingTheTabStopsTheSweepAndComingBackStartsIt) {
    Form1 f = OpenExample();
    RazgonForm d = OpenHeld(f);
    ASSERT_TRUE(d);
    EXPECT_TRUE(page_->Sweeping());

    d.Tabs1->setCurrentIndex(1);
    EXPECT_FALSE(page_->Sweeping());  // stopped, and its thread gone
    EXPECT_EQ(gate_.Stopped(), 1);
    f.SE1->SetValue(5000);  // a Grafic while the tab is away computes nothing for it
    EXPECT_EQ(gate_.Begun(1).size(), 1u);
    EXPECT_EQ(page_->ShownSweep(1), nullptr);

    gate_.Open();
    ShowPairs(d);
    const std::vector<AccelerationInput> inputs = gate_.Begun(2);
    ASSERT_EQ(inputs.size(), 2u);
    EXPECT_EQ(inputs[1].maxRpm, 5000);
    ASSERT_TRUE(Swept());
    EXPECT_EQ(page_->ShownSweep(1)->points.size(), 351u);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(PairPageTest, AChangeDuringASweepRestartsItWithTheRightInput) {
    Form1 f = OpenExample();
    RazgonForm d = OpenHeld(f);
    ASSERT_TRUE(d);

    // After a moment the sweep shows how far it is; nothing is added meanwhile.
    QTest::qWait(PairPage::kProgressDelayMs + 200);
    EXPECT_TRUE(page_->findChild<QProgressBar*>("PairProgress")->isVisible());
    EXPECT_FALSE(add_->isEnabled());

    // Each change starts the sweep that is now right; the one under way stops.
    TypeOver(d.LaunchEdit, "3000");  // driven at "3", "30", "300", "3000"
    f.SE1->SetValue(5500);           // a Grafic
    // The launch field left (written, not driven again), the range made 2.50 to 5.00.
    TypeOver(d.PairToEdit, "5");
    const std::size_t begun = gate_.Begun(7).size();
    ASSERT_EQ(begun, 7u);
    EXPECT_EQ(gate_.Stopped(), 6);
    EXPECT_TRUE(page_->Sweeping());

    gate_.Open();
    ASSERT_TRUE(Swept());
    const AccelerationInput last = gate_.Begun(7).back();
    EXPECT_EQ(last.launch, 3000);
    EXPECT_EQ(last.maxRpm, 5500);
    AccelerationInput expected = *d->Sets()[0].input;
    const PairSweep& shown = *page_->ShownSweep(1);
    ASSERT_EQ(shown.points.size(), 251u);
    EXPECT_EQ(shown.points.back().pair, 5.0);
    expected.mainPair = 4.5;
    EXPECT_EQ(shown.points[200].to100, RunAcceleration(expected).to100);
    EXPECT_FALSE(page_->findChild<QProgressBar*>("PairProgress")->isVisible());
    EXPECT_EQ(gate_.Begun(7).size(), begun);  // nothing more
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(PairPageTest, TheRangeStaysTheRightWayUpAndIsKeptInTheRun) {
    Form1 f = OpenExample();
    RazgonForm d = OpenSwept(f);
    ASSERT_TRUE(d);
    const auto stored = [&] { return LoadDynamics(DynamicsPath()).Run; };
    const auto range = [&] {
        const PairSweep* s = page_->ShownSweep(1);
        return s && !s->points.empty() ? std::pair(s->points.front().pair, s->points.back().pair)
                                       : std::pair(0.0, 0.0);
    };

    // "от" typed above "до" is not yet a range; left, "до" follows it.
    TypeOver(d.PairFromEdit, "7");
    EXPECT_EQ(f->Dynamics().Run.PairFrom, 2.5);
    d.PairToEdit->setFocus();
    EXPECT_EQ(d.PairToEdit->Text(), Ru("7,00"));
    ASSERT_TRUE(Swept());
    EXPECT_EQ(range(), std::pair(7.0, 7.0));
    EXPECT_EQ(stored().PairFrom, 7);
    EXPECT_EQ(stored().PairTo, 7);

    // "до" stepped below "от" takes "от" with it at once.
    QTest::keyClick(d.PairToEdit, Qt::Key_Down);
    EXPECT_EQ(d.PairFromEdit->Text(), Ru("6,99"));
    ASSERT_TRUE(Swept());
    EXPECT_EQ(range(), std::pair(6.99, 6.99));

    // A value out of the allowed range is refused when the field is left.
    TypeOver(d.PairToEdit, "12");
    d.PairFromEdit->setFocus();
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "Пары до: 12 — вне пределов от 1 до 10.");
    EXPECT_EQ(d.PairToEdit->Text(), Ru("6,99"));
    d->close();  // what was stepped is written as the window closes
    EXPECT_EQ(stored().PairFrom, 6.99);
    EXPECT_EQ(stored().PairTo, 6.99);
}

TEST_F(PairPageTest, ClosingDuringASweepNeitherHangsNorCrashes) {
    Form1 f = OpenExample();
    RazgonForm d = OpenHeld(f);
    ASSERT_TRUE(d);
    d->close();  // the window: the sweep stops
    EXPECT_FALSE(page_->Sweeping());
    EXPECT_EQ(gate_.Stopped(), 1);

    f->Razgon1Click();  // open again, on the pair tab: the sweep starts again
    ASSERT_EQ(gate_.Begun(2).size(), 2u);
    form_.reset();  // the program, with the sweep under way (the gate opens only on a stop)
    EXPECT_EQ(gate_.Stopped(), 2);
}

}  // namespace
}  // namespace kelm::testing
