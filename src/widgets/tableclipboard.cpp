#include "widgets/tableclipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "widgets/coreedge.h"

namespace kelm {

void PutTableOnClipboard(const std::string& html, const std::string& tsv) {
    auto* mime = new QMimeData;
    mime->setHtml(FromUtf8(html));
    mime->setText(FromUtf8(tsv));
    QGuiApplication::clipboard()->setMimeData(mime);
}

}  // namespace kelm
