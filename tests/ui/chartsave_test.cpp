// Saving the chart to a file through the main window's "Сохранить как..." command and the
// chart panel's save dialog, answered in code.

#include <unistd.h>

#include <QImage>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <filesystem>

#include "chart/chartpanel.h"
#include "mainwindow_fixture.h"

namespace kelm::testing {
namespace {

// Answers the save dialog from the test.
class FakeSaveDialog : public SaveFileDialog {
  public:
    QString Exec(QWidget*, const QString& caption, const QString& start, const QStringList& filters,
                 QString& filter) override {
        ++calls;
        lastCaption = caption;
        offered = filters;
        starts << start;
        if (!chosenFilter.isEmpty()) filter = chosenFilter;
        if (!answers.empty()) return answers.takeFirst();
        return answer;
    }
    QString answer, chosenFilter, lastCaption;
    QStringList answers;  // one for each opening, before `answer`
    QStringList offered, starts;
    int calls = 0;
};

// The main window over the sample catalog, its chart's save dialog answered by `dialog`.
class ChartSaveTest : public MainWindowTest {
  protected:
    Form1 OpenWithDialog() {
        WriteCatalog(SampleCatalogFile(','));
        Form1 f = Open();
        f.Chart1->SetSaveFileDialog(&dialog);
        return f;
    }
    FakeSaveDialog dialog;  // outlives the window, which TearDown closes
};

TEST_F(ChartSaveTest, SavesPngSvgAndPdfThatOpen) {
    Form1 f = OpenWithDialog();
    const QSize panel = f.Chart1->size();

    // PNG by Ctrl+S, at the panel's size times the screen's pixel ratio.
    dialog.answer = QString::fromStdString(dir_ / "chart.png");
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.form));
    QTest::keyClick(f.ComboBox2, Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(dialog.calls, 1);
    ASSERT_EQ(dialog.offered.size(), 3);
    EXPECT_TRUE(dialog.offered[0].contains("*.png"));
    EXPECT_TRUE(dialog.offered[1].contains("*.svg"));
    EXPECT_TRUE(dialog.offered[2].contains("*.pdf"));
    const QImage png(dialog.answer);
    ASSERT_FALSE(png.isNull());
    const qreal ratio = f.Chart1->devicePixelRatioF();
    EXPECT_EQ(png.size(), QSize(qRound(panel.width() * ratio), qRound(panel.height() * ratio)));
    EXPECT_LT(png.pixelColor(png.width() / 2, 2).blue(), 200);  // the light yellow top

    // SVG chosen by the filter: the extension is added.
    dialog.answer = QString::fromStdString(dir_ / "chart");
    dialog.chosenFilter = dialog.offered[1];
    f.SaveAs1->trigger();
    const QSvgRenderer svg(QString::fromStdString(dir_ / "chart.svg"));
    EXPECT_TRUE(svg.isValid());
    // Its drawing is the panel's size in pixels (its size in millimetres Qt reads at
    // 90 dots per inch, where the picture says 96).
    EXPECT_EQ(svg.viewBox(), QRect(QPoint(0, 0), panel));

    // PDF by the extension typed, whatever the filter: one landscape page.
    dialog.answer = QString::fromStdString(dir_ / "chart.PDF");
    dialog.chosenFilter = dialog.offered[0];
    f.SaveAs1->trigger();
    const std::string pdf = ReadBytes(dir_ / "chart.PDF");
    EXPECT_EQ(pdf.rfind("%PDF", 0), 0u);
    const QRegularExpressionMatch box =
        QRegularExpression(R"(/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\])")
            .match(QString::fromLatin1(pdf.data(), static_cast<qsizetype>(pdf.size())));
    ASSERT_TRUE(box.hasMatch());
    EXPECT_GT(box.captured(1).toDouble(), box.captured(2).toDouble());

    // Cancelled: nothing written.
    const auto before = dir_.Names();
    dialog.answer.clear();
    f.SaveAs1->trigger();
    EXPECT_EQ(dialog.calls, 4);
    EXPECT_EQ(dir_.Names(), before);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(ChartSaveTest, SaveIntoAFolderThatCannotBeWrittenLeavesNothing) {
    Form1 f = OpenWithDialog();

    // A "folder" that is a file cannot be written into, not even by root.
    WriteBytes(dir_ / "notafolder", "x");
    const auto before = dir_.Names();
    dialog.answer = QString::fromStdString(dir_ / "notafolder" + "/chart.png");
    f.SaveAs1->trigger();
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].icon, MessageIcon::Error);
    // The reason is told in Russian, as every text of the program.
    EXPECT_EQ(messages_.shown[0].text, "Не удалось сохранить файл «" + (dir_ / "notafolder") +
                                           "/chart.png»: «" + (dir_ / "notafolder") +
                                           "» — не папка.")
        << messages_.shown[0].text;
    EXPECT_EQ(dir_.Names(), before);
    EXPECT_EQ(ReadBytes(dir_ / "notafolder"), "x");

    // A folder under the final name is not offered to be replaced; the save says why not.
    std::filesystem::create_directory(dir_ / "dir.png");
    dialog.answer = QString::fromStdString(dir_ / "dir");
    messages_.answers = {true};  // were it asked, and "No" would open the dialog again
    f.SaveAs1->trigger();
    EXPECT_TRUE(messages_.asked.empty());
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(messages_.shown[1].text, "Не удалось сохранить файл «" + (dir_ / "dir.png") +
                                           "»: под этим именем уже есть папка.");

    // A folder without write permission (which binds all but root).
    if (::geteuid() != 0) {
        const std::string locked = dir_ / "locked";
        std::filesystem::create_directory(locked);
        std::filesystem::permissions(
            locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        dialog.answer = QString::fromStdString(locked + "/chart.pdf");
        f.SaveAs1->trigger();
        EXPECT_EQ(messages_.shown.size(), 3u);
        EXPECT_TRUE(std::filesystem::is_empty(locked));
        std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
    }
}

std::string Question(const std::string& name) {
    return "Файл «" + name + "» уже существует.\nЗаменить его?";
}

TEST_F(ChartSaveTest, AnExistingFileIsReplacedOnlyWhenTheUserSaysSoAskedByItsFinalName) {
    Form1 f = OpenWithDialog();
    const QStringList filters = ChartPanel::PictureFilters();
    const QString chart = QString::fromStdString(dir_ / "chart");
    WriteBytes(dir_ / "chart.svg", "mine");

    // "chart" with the SVG filter is chart.svg: asked about; "No" goes back to the dialog,
    // with that name in it, and cancelling there keeps the file.
    dialog.chosenFilter = filters[1];
    dialog.answers = {chart, QString()};
    messages_.answers = {false};
    f.SaveAs1->trigger();
    ASSERT_EQ(messages_.asked.size(), 1u);
    EXPECT_EQ(messages_.asked[0].text, Question("chart.svg"));
    EXPECT_EQ(messages_.asked[0].caption, "Сохранить график");
    EXPECT_EQ(dialog.calls, 2);
    EXPECT_EQ(dialog.starts.last(), chart + ".svg");
    EXPECT_EQ(ReadBytes(dir_ / "chart.svg"), "mine");

    // "Yes" replaces it.
    dialog.answers = {chart};
    messages_.answers = {true};
    f.SaveAs1->trigger();
    EXPECT_EQ(messages_.asked.size(), 2u);
    EXPECT_TRUE(QSvgRenderer(chart + ".svg").isValid());

    // Another extension keeps its place in the name; the filter's is added and the final
    // name asked about.
    WriteBytes(dir_ / "chart.jpg.png", "mine");
    dialog.chosenFilter = filters[0];
    dialog.answers = {chart + ".jpg"};
    messages_.answers = {true};
    f.SaveAs1->trigger();
    ASSERT_EQ(messages_.asked.size(), 3u);
    EXPECT_EQ(messages_.asked[2].text, Question("chart.jpg.png"));
    EXPECT_FALSE(QImage(chart + ".jpg.png").isNull());
    EXPECT_FALSE(std::filesystem::exists(dir_ / "chart.jpg"));

    // A new name is not asked about.
    dialog.answers = {chart + "-2"};
    f.SaveAs1->trigger();
    EXPECT_EQ(messages_.asked.size(), 3u);
    EXPECT_FALSE(QImage(chart + "-2.png").isNull());
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(ChartSaveTest, AReplacedPictureKeepsItsModeAndAReadOnlyOneIsRefusedForRootToo) {
    Form1 f = OpenWithDialog();
    WriteBytes(dir_ / "kept.png", "old");
    std::filesystem::permissions(dir_ / "kept.png", std::filesystem::perms(0640));
    dialog.answer = QString::fromStdString(dir_ / "kept.png");
    messages_.answers = {true};
    f.SaveAs1->trigger();
    EXPECT_FALSE(QImage(dialog.answer).isNull());
    EXPECT_EQ(std::filesystem::status(dir_ / "kept.png").permissions(),
              std::filesystem::perms(0640));

    WriteBytes(dir_ / "ro.png", "old");
    std::filesystem::permissions(dir_ / "ro.png", std::filesystem::perms(0444));
    const auto before = dir_.Names();
    dialog.answer = QString::fromStdString(dir_ / "ro.png");
    messages_.answers = {true};
    f.SaveAs1->trigger();
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text,
              "Не удалось сохранить файл «" + (dir_ / "ro.png") + "»: файл защищён от записи.");
    EXPECT_EQ(messages_.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(ReadBytes(dir_ / "ro.png"), "old");
    EXPECT_EQ(dir_.Names(), before);
}

}  // namespace
}  // namespace kelm::testing
