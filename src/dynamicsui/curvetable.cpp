#include "dynamicsui/curvetable.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPalette>
#include <QStyle>
#include <algorithm>

#include "base/messages.h"
#include "base/numtext.h"
#include "dynamicsui/curveedit.h"
#include "widgets/coreedge.h"

namespace kelm {

namespace {

// The captions on two lines, so that the columns of short numbers stay narrow.
QString HeaderText(std::string_view caption) {
    QString text = FromUtf8(caption);
    const qsizetype comma = text.indexOf(u',');
    if (comma >= 0) text.replace(comma + 1, 1, u'\n');
    return text;
}

}  // namespace

CurveModel::CurveModel(QObject* parent) : QAbstractTableModel(parent) {}

void CurveModel::SetCurve(std::vector<TorquePoint>* curve) {
    beginResetModel();
    curve_ = curve;
    endResetModel();
}

int CurveModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !curve_ ? 0 : static_cast<int>(curve_->size());
}

int CurveModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant CurveModel::data(const QModelIndex& index, int role) const {
    if (!curve_ || !index.isValid() || index.row() >= rowCount()) return {};
    const TorquePoint& p = (*curve_)[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            switch (index.column()) {
                case kSpeed:
                    return FromUtf8(FloatToStr(p.rpm));
                case kTorque:
                    return FromUtf8(FloatToStr(p.torque));
                case kPowerKw:
                    return FromUtf8(FormatFixed(PowerKw(p), 1, ""));
                default:
                    return FromUtf8(FormatFixed(KwToHp(PowerKw(p)), 1, ""));
            }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::BackgroundRole:
            // The computed columns look like what they are: not for typing into.
            if (index.column() >= kPowerKw) return QApplication::palette().brush(QPalette::Window);
            return {};
        default:
            return {};
    }
}

QVariant CurveModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    }
    static constexpr std::string_view kCaptions[kColumns] = {kSpeedCaption, kTorqueCaption,
                                                             kPowerKwCaption, kPowerHpCaption};
    if (section < 0 || section >= kColumns) return {};
    if (role == Qt::DisplayRole) return HeaderText(kCaptions[section]);
    if (role == Qt::ToolTipRole) {
        switch (section) {
            case kSpeed:
                return QStringLiteral("Обороты коленчатого вала; точки упорядочены по ним");
            case kTorque:
                return QStringLiteral("Момент при полной нагрузке на этих оборотах");
            case kPowerKw:
                return QStringLiteral("Вычисляется: P = M·n / 9549,3");
            default:
                return QStringLiteral("Вычисляется: 1 л.с. = 0,7355 кВт");
        }
    }
    return {};
}

Qt::ItemFlags CurveModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == kSpeed || index.column() == kTorque) f |= Qt::ItemIsEditable;
    return f;
}

void CurveModel::Refuse(const std::string& text) {
    ++refusals_;
    SayRefused(text);
}

bool CurveModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    // (A refusal's message box takes the focus from the cell's editor, whose loss of focus
    // hands the text in again; the view does not commit an editor twice at once.)
    if (!curve_ || role != Qt::EditRole || !index.isValid()) return false;
    const int col = index.column();
    if (col != kSpeed && col != kTorque) return false;
    const auto row = static_cast<std::size_t>(index.row());
    if (row >= curve_->size()) return false;
    const QString text = value.toString().trimmed();
    if (text == data(index, Qt::EditRole).toString()) return false;  // left as it was

    const std::string where = std::string(col == kSpeed ? kSpeedCaption : kTorqueCaption) +
                              " (точка " + std::to_string(row + 1) + "): ";
    const auto number = ReadTypedNumber(text.toStdString());
    if (!number) {
        Refuse(where + NotANumber(text.toStdString(),
                                  col == kSpeed ? Engine::kSpeedRange : Engine::kTorqueRange));
        return false;
    }
    std::vector<TorquePoint>& curve = *curve_;
    std::size_t at = row;  // where the point is once changed
    if (col == kTorque) {
        if (auto p = TorqueProblem(*number)) {
            Refuse(where + *p);
            return false;
        }
        curve[row].torque = *number;
    } else {
        if (auto p = SpeedProblem(curve, row, *number)) {
            Refuse(where + *p);
            return false;
        }
        at = SortedPlace(curve, row, *number);
        curve[row].rpm = *number;
        if (at != row) {
            // Moved rather than reset, so that the current cell follows the point.
            const int to = static_cast<int>(at > row ? at + 1 : at);
            beginMoveRows({}, index.row(), index.row(), {}, to);
            if (at > row)
                std::rotate(curve.begin() + row, curve.begin() + row + 1, curve.begin() + at + 1);
            else
                std::rotate(curve.begin() + at, curve.begin() + row, curve.begin() + row + 1);
            endMoveRows();
        }
    }
    const int changed = static_cast<int>(at);
    emit dataChanged(this->index(changed, 0), this->index(changed, kColumns - 1));
    emit CurveChanged();
    return true;
}

std::optional<int> CurveModel::AddPoint(std::optional<int> after) {
    if (!curve_) return std::nullopt;
    std::string problem;
    const auto from =
        after && *after >= 0 ? std::optional<std::size_t>(std::size_t(*after)) : std::nullopt;
    const auto added = PointToAdd(*curve_, from, &problem);
    if (!added) {
        Refuse("Кривая момента: " + problem);
        return std::nullopt;
    }
    const int row = static_cast<int>(added->place);
    beginInsertRows({}, row, row);
    curve_->insert(curve_->begin() + row, added->point);
    endInsertRows();
    emit CurveChanged();
    return row;
}

bool CurveModel::RemovePoints(std::vector<int> rows) {
    if (!curve_) return false;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::erase_if(rows, [this](int r) { return r < 0 || r >= rowCount(); });
    if (rows.empty()) return false;
    if (curve_->size() - rows.size() < Engine::kMinPoints) {
        Refuse("Кривая момента: точек должно остаться не меньше " +
               std::to_string(Engine::kMinPoints) + ", а останется " +
               std::to_string(curve_->size() - rows.size()));
        return false;
    }
    for (auto r = rows.rbegin(); r != rows.rend(); ++r) {
        beginRemoveRows({}, *r, *r);
        curve_->erase(curve_->begin() + *r);
        endRemoveRows();
    }
    emit CurveChanged();
    return true;
}

void CurveModel::Replace(std::vector<TorquePoint> points) {
    if (!curve_) return;
    beginResetModel();
    *curve_ = std::move(points);
    endResetModel();
    emit CurveChanged();
}

CurveTable::CurveTable(CurveModel* model, QWidget* parent) : QTableView(parent), model_(model) {
    setModel(model);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    setWordWrap(false);
    // Tab leaves the table for the next control, as everywhere in a dialog (arrows move
    // between the cells; Tab in a cell being typed still takes it and opens the next one).
    setTabKeyNavigation(false);
    // Each column as wide as its caption and numbers.
    horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);

    const auto action = [this](const char* text, const QKeySequence& keys) {
        auto* a = new QAction(QString::fromUtf8(text), this);
        // The keys only show in the menu; keyPressEvent handles them, so that a cell's
        // editor keeps its own Ctrl+C and Ctrl+V.
        a->setShortcut(keys);
        a->setShortcutContext(Qt::WidgetShortcut);
        return a;
    };
    addPoint_ = action("Добавить точку", QKeySequence(Qt::Key_Insert));
    deletePoint_ = action("Удалить точку", QKeySequence());
    copy_ = action("Копировать таблицу", QKeySequence::Copy);
    paste_ = action("Вставить из буфера обмена (заменить точки)", QKeySequence::Paste);
    connect(addPoint_, &QAction::triggered, this, &CurveTable::AddPointClick);
    connect(deletePoint_, &QAction::triggered, this, &CurveTable::DeletePointClick);
    connect(copy_, &QAction::triggered, this, &CurveTable::CopyClick);
    connect(paste_, &QAction::triggered, this, &CurveTable::PasteClick);
}

QSize CurveTable::sizeHint() const {
    // Every column whole, and a vertical scroll bar for a long curve.
    int columns = 0;
    for (int c = 0; c < CurveModel::kColumns; ++c) {
        columns += std::max(horizontalHeader()->sectionSizeHint(c), sizeHintForColumn(c));
    }
    const int width = 2 * frameWidth() + verticalHeader()->sizeHint().width() + columns +
                      style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return {width, QTableView::sizeHint().height()};
}

QSize CurveTable::minimumSizeHint() const {
    // The captions and two rows: enough to see where one is on a small screen.
    return {sizeHint().width(), 2 * frameWidth() + horizontalHeader()->sizeHint().height() +
                                    2 * verticalHeader()->defaultSectionSize()};
}

std::optional<int> CurveTable::CurrentRow() const {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return std::nullopt;
    return current.row();
}

void CurveTable::AddPointClick() {
    RunHandler([this] {
        CommitOpenEditor();
        const int column = currentIndex().isValid() ? currentIndex().column() : 0;
        if (auto row = model_->AddPoint(CurrentRow())) {
            setCurrentIndex(model_->index(*row, column));
            scrollTo(currentIndex());
        }
    });
}

void CurveTable::DeletePointClick() {
    RunHandler([this] {
        CommitOpenEditor();
        std::vector<int> rows;
        for (const QModelIndex& i : selectionModel()->selectedIndexes()) rows.push_back(i.row());
        if (rows.empty() && currentIndex().isValid()) rows.push_back(currentIndex().row());
        if (rows.empty()) return;
        const int first = *std::min_element(rows.begin(), rows.end());
        const int column = currentIndex().isValid() ? currentIndex().column() : 0;
        if (model_->RemovePoints(rows)) {
            clearSelection();
            setCurrentIndex(model_->index(std::min(first, model_->rowCount() - 1), column));
        }
    });
}

void CurveTable::CopyClick() {
    RunHandler([this] {
        if (!model_->HasCurve()) return;
        QApplication::clipboard()->setText(FromUtf8(CurveText(*model_->Points())));
    });
}

void CurveTable::PasteClick() {
    RunHandler([this] { PasteText(QApplication::clipboard()->text()); });
}

bool CurveTable::PasteText(const QString& text) {
    if (!model_->HasCurve()) return false;
    CommitOpenEditor();
    // One number, as a spreadsheet's single cell gives it: into the current cell.
    const QString one = text.trimmed();
    const QModelIndex current = currentIndex();
    if (!one.contains(u'\t') && !one.contains(u'\n') && current.isValid() &&
        (model_->flags(current) & Qt::ItemIsEditable) && ReadPastedNumber(one.toStdString())) {
        return model_->setData(current, one, Qt::EditRole);
    }
    const CurveRead read = ReadCurveText(text.toStdString());
    if (!read.problem.empty()) {
        AppMessages().ShowMessage("Вставить точки из буфера обмена нельзя: " + read.problem +
                                      ".\nНужны два столбца: обороты (об/мин) и момент (Н·м), "
                                      "по точке в строке. Точки кривой не изменены.",
                                  "Вставка", MessageIcon::Error);
        return false;
    }
    const std::string question =
        "Заменить точки кривой (" + PointsText(std::size_t(model_->rowCount())) +
        ") вставленными из буфера обмена (" + PointsText(read.points.size()) + ")?";
    if (!AppMessages().AskYesNo(question, "Вставка")) return false;
    model_->Replace(read.points);
    setCurrentIndex(model_->index(0, 0));
    return true;
}

void CurveTable::CommitOpenEditor() {
    if (state() != QAbstractItemView::EditingState) return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void CurveTable::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        PasteClick();
    } else if (event->matches(QKeySequence::Copy)) {
        CopyClick();
    } else if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
        AddPointClick();
    } else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
               state() != QAbstractItemView::EditingState) {
        // Enter opens the cell, as F2 does; it never reaches the dialog.
        if (currentIndex().isValid() && (model_->flags(currentIndex()) & Qt::ItemIsEditable))
            edit(currentIndex());
    } else {
        QTableView::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CurveTable::contextMenuEvent(QContextMenuEvent* event) {
    const bool curve = model_->HasCurve();
    addPoint_->setEnabled(curve && model_->rowCount() < int(Engine::kMaxPoints));
    deletePoint_->setEnabled(curve && model_->rowCount() > int(Engine::kMinPoints));
    copy_->setEnabled(curve);
    paste_->setEnabled(curve && !QApplication::clipboard()->text().isEmpty());
    QMenu menu(this);
    menu.addAction(addPoint_);
    menu.addAction(deletePoint_);
    menu.addSeparator();
    menu.addAction(copy_);
    menu.addAction(paste_);
    menu.exec(event->globalPos());
}

}  // namespace kelm
