// Saving the chart to a file: the "Сохранить как..." command of the chart panel.

#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <cmath>

#include "base/errors.h"
#include "base/messages.h"
#include "chart/chartpanel.h"

namespace kelm {

QString QtSaveFileDialog::Exec(QWidget* parent, const QString& caption, const QString& directory,
                               const QStringList& filters, QString& filter) {
    return QFileDialog::getSaveFileName(parent, caption, directory,
                                        filters.join(QStringLiteral(";;")), &filter);
}

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

// Why a file could not be written, in the user's language: Qt's own reasons are the
// system's English texts.
QString SaveFailureReason(const QSaveFile& file, const QString& path) {
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.exists()) return QStringLiteral("папка «%1» не найдена").arg(folder.filePath());
    if (!folder.isDir()) return QStringLiteral("«%1» — не папка").arg(folder.filePath());
    if (QFileInfo(path).isDir()) return QStringLiteral("под этим именем уже есть папка");
    switch (file.error()) {
        case QFileDevice::ResourceError:
            return QStringLiteral("на диске недостаточно места");
        case QFileDevice::PermissionsError:
        case QFileDevice::OpenError:
            return QStringLiteral("нет прав на запись в папку «%1»").arg(folder.filePath());
        default:
            return QStringLiteral("ошибка записи на диск");
    }
}

}  // namespace

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
    const QStringList filters = PictureFilters();
    const qsizetype chosen = std::max<qsizetype>(0, filters.indexOf(filter));
    const Kind& k = kKinds[chosen];
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
        const QString typed =
            dialog.Exec(this, QStringLiteral("Сохранить график"), lastSaved_, filters, filter);
        if (typed.isEmpty()) return;
        const auto [path, format] = PictureTarget(typed, filter);
        SavePicture(path, format);
        lastSaved_ = path;
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

    // Written beside the file under another name and renamed over it at the end, so a
    // failure leaves neither a half-written file nor a damaged old one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) SaveFailed(path, SaveFailureReason(file, path));
    if (file.write(bytes) != bytes.size()) {
        const QString reason = SaveFailureReason(file, path);
        file.cancelWriting();
        SaveFailed(path, reason);
    }
    if (!file.commit()) SaveFailed(path, SaveFailureReason(file, path));
}

}  // namespace kelm
