// Saving the chart to a file: the "Сохранить как..." command of the chart panel.

#include <sys/stat.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>
#include <string_view>

#include "base/errors.h"
#include "base/messages.h"
#include "base/posixio.h"
#include "base/safefile.h"
#include "chart/chartpanel.h"

namespace kelm {

namespace {

struct Kind {
    PictureFormat format;
    const char* extension;
};
constexpr Kind kKinds[] = {
    {PictureFormat::Png, "png"}, {PictureFormat::Svg, "svg"}, {PictureFormat::Pdf, "pdf"}};

[[noreturn]] void SaveFailed(const QString& path, const QString& reason) {
    throw KelmError(QStringLiteral("Не удалось сохранить файл «%1»: %2")
                        .arg(QDir::toNativeSeparators(path), reason)
                        .toStdString());
}

// The kind a filter of PictureFilters stands for (the first for any other text).
const Kind& KindOf(const QString& filter) {
    return kKinds[std::max<qsizetype>(0, ChartPanel::PictureFilters().indexOf(filter))];
}

// Asks before a file is replaced (a link that leads nowhere yet counts: its file would be
// made), naming it as the user sees it in the folder.  A folder of that name is not asked
// about: it is never replaced, and the save says so.
bool MayReplace(const QString& path) {
    const std::string file = QFile::encodeName(path).toStdString();
    struct stat st {};
    if (::lstat(file.c_str(), &st) != 0) return true;
    if (posixio::IsFolder(file)) return true;
    return AppMessages().AskYesNo(
        "Файл «" + posixio::SplitPath(file).name + "» уже существует.\nЗаменить его?",
        "Сохранить график");
}

}  // namespace

QString QtSaveFileDialog::Exec(QWidget* parent, const QString& caption, const QString& directory,
                               const QStringList& filters, QString& filter) {
    QFileDialog dialog(parent, caption, directory, filters.join(QStringLiteral(";;")));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without an extension gets the chosen filter's.  The panel asks before it
    // replaces a file, under the name it really writes, so the dialog does not ask too.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const auto follow = [&dialog](const QString& chosen) {
        dialog.setDefaultSuffix(QLatin1String(KindOf(chosen).extension));
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, follow);
    dialog.selectNameFilter(filter);
    follow(filter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    filter = dialog.selectedNameFilter();
    return dialog.selectedFiles().front();
}

QStringList ChartPanel::PictureFilters() {
    return {QStringLiteral("Рисунок PNG (*.png)"), QStringLiteral("Рисунок SVG (*.svg)"),
            QStringLiteral("Документ PDF (*.pdf)")};
}

std::pair<QString, PictureFormat> ChartPanel::PictureTarget(const QString& typed,
                                                            const QString& filter) {
    const QString suffix = QFileInfo(typed).suffix().toLower();
    for (const Kind& k : kKinds) {
        if (suffix == QLatin1String(k.extension)) return {typed, k.format};
    }
    const Kind& k = KindOf(filter);
    return {typed + QLatin1Char('.') + QLatin1String(k.extension), k.format};
}

void ChartPanel::SaveAs1Click() {
    RunHandler([&] {
        QtSaveFileDialog real;
        SaveFileDialog& dialog = saveDialog_ ? *saveDialog_ : real;
        const QStringList filters = PictureFilters();
        // The last file's kind is offered first again (the filters stand in the order of
        // the formats).
        QString filter = filters.front();
        if (!lastSaved_.isEmpty())
            filter = filters[static_cast<qsizetype>(PictureTarget(lastSaved_, filter).second)];
        // Asked here, after the extension is added: the dialog saw another name, or none
        // that exists.  "No" goes back to the dialog, with the name in it.
        QString start = lastSaved_;
        for (;;) {
            const QString typed =
                dialog.Exec(this, QStringLiteral("Сохранить график"), start, filters, filter);
            if (typed.isEmpty()) return;
            const auto [path, format] = PictureTarget(typed, filter);
            if (MayReplace(path)) {
                SavePicture(path, format);
                lastSaved_ = path;
                return;
            }
            start = path;
        }
    });
}

void ChartPanel::SavePicture(const QString& path, PictureFormat format) {
    const int w = std::max(1, width()), h = std::max(1, height());
    QByteArray bytes;
    switch (format) {
        case PictureFormat::Png: {
            // As many pixels as the screen shows the panel with, so the picture is as sharp
            // as the chart on a high-density screen.
            const qreal ratio = devicePixelRatioF();
            QImage image(static_cast<int>(std::ceil(w * ratio)),
                         static_cast<int>(std::ceil(h * ratio)), QImage::Format_RGB32);
            image.setDevicePixelRatio(ratio);
            {
                QPainter painter(&image);
                Paint(painter, QRectF(0, 0, w, h));
            }
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            if (!image.save(&buffer, "PNG")) SaveFailed(path, QStringLiteral("ошибка PNG"));
            break;
        }
        case PictureFormat::Svg:
            bytes = SvgPicture(QSize(w, h));
            break;
        case PictureFormat::Pdf: {
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter writer(&buffer);
            writer.setPageOrientation(QPageLayout::Landscape);
            writer.setTitle(objectName());
            writer.setCreator(QStringLiteral("Kelm"));
            QPainter painter;
            if (!painter.begin(&writer)) SaveFailed(path, QStringLiteral("ошибка PDF"));
            PaintPage(painter, QSize(writer.width(), writer.height()));
            if (!painter.end()) SaveFailed(path, QStringLiteral("ошибка PDF"));
            break;
        }
    }

    // Through the program's one safe replacement, as every file it writes: a failure leaves
    // neither a half-written file nor a damaged old one, a file marked read-only is refused
    // (for root too), and a replaced file keeps its owner and mode.
    FileReplacement file(
        QFile::encodeName(path).toStdString(),
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (file.Commit() != 0) SaveFailed(path, QString::fromStdString(FailureReason(file)));
}

}  // namespace kelm
