#include "editor/controls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <algorithm>
#include <limits>

#include "base/numtext.h"
#include "widgets/listorder.h"

namespace kelm {

namespace {

// Printable text typed without Ctrl, Alt or Meta.
bool IsTypedText(const QKeyEvent* event) {
    const QString text = event->text();
    if (text.isEmpty()) return false;
    const auto mods = event->modifiers();
    if (mods & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier)) return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
}

// The first item that begins with the text, letter case ignored; -1 when none does.
int FirstItemStartingWith(const QComboBox* list, const QString& text) {
    for (int i = 0; i < list->count(); ++i) {
        if (list->itemText(i).startsWith(text, Qt::CaseInsensitive)) return i;
    }
    return -1;
}

}  // namespace

int InsertSortedItem(QComboBox* list, const QString& text) {
    // Upper bound by binary search: the list is sorted, and a new item goes after the
    // items equal to it, so a fill keeps the catalog's order among equal names.
    int lo = 0, hi = list->count();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (ListLess(text, list->itemText(mid)))
            hi = mid;
        else
            lo = mid + 1;
    }
    const int before = list->currentIndex();
    const QString editText = list->isEditable() ? list->currentText() : QString();
    list->insertItem(lo, text);
    // Qt selects the first item put into an empty list; leave the selection as it was.
    if (before < 0 && list->currentIndex() >= 0) {
        list->setCurrentIndex(-1);
        if (list->isEditable()) list->setEditText(editText);
    }
    return lo;
}

void AddSortedItems(QComboBox* list, QStringList texts) {
    if (list->count() > 0) {
        for (const QString& text : texts) InsertSortedItem(list, text);
        return;
    }
    // A stable sort keeps equal texts in the order given, as inserting after them would.
    std::stable_sort(texts.begin(), texts.end(), ListLess);
    const QString editText = list->isEditable() ? list->currentText() : QString();
    list->addItems(texts);
    list->setCurrentIndex(-1);
    if (list->isEditable()) list->setEditText(editText);
}

// ---------------------------------------------------------------------------------------
// MaskEdit

QValidator::State MaskEdit::FormValidator::validate(QString& input, int&) const {
    return mask_.IsWellFormed(input.toStdString()) ? Acceptable : Invalid;
}

MaskEdit::MaskEdit(QWidget* parent) : QLineEdit(parent), mask_(DecimalSeparator()) {
    setMaxLength(NumberMask::kLength);
    setValidator(new FormValidator(mask_, this));
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setText(QString::fromStdString(mask_.Blank()));
}

std::string MaskEdit::Text() const { return text().toStdString(); }

void MaskEdit::SetNumberText(const std::string& numberText) {
    setText(QString::fromStdString(mask_.Format(numberText)));
}

double MaskEdit::Value() const { return StrToFloat(Text(), mask_.Separator()); }

NumberMask::State MaskEdit::Current() const {
    NumberMask::State s;
    s.text = Text();
    if (!mask_.IsWellFormed(s.text)) s.text = mask_.Blank();
    s.cursor = cursorPosition();
    if (hasSelectedText()) {
        s.selStart = selectionStart();
        s.selLength = selectionLength();
    }
    return s;
}

void MaskEdit::Show(const NumberMask::State& s) {
    if (text().toStdString() != s.text) setText(QString::fromStdString(s.text));
    if (s.selLength > 0)
        setSelection(s.selStart, s.selLength);
    else
        setCursorPosition(s.cursor);
}

bool MaskEdit::TypeText(const QString& typed) {
    NumberMask::State s = Current();
    bool all = true;
    for (QChar c : typed) {
        if (c.unicode() > 0x7F || !mask_.Type(s, static_cast<char>(c.unicode()))) all = false;
    }
    Show(s);
    return all;
}

void MaskEdit::BlankSelectedPositions() {
    NumberMask::State s = Current();
    mask_.BlankSelection(s);
    Show(s);
}

void MaskEdit::CutSelection() {
    if (!hasSelectedText()) return;
    copy();
    BlankSelectedPositions();
}

void MaskEdit::PasteClipboard() {
    if (!TypeText(QApplication::clipboard()->text())) QApplication::beep();
}

void MaskEdit::keyPressEvent(QKeyEvent* event) {
    if (isReadOnly()) return QLineEdit::keyPressEvent(event);
    if (event == QKeySequence::Paste) {
        PasteClipboard();
    } else if (event == QKeySequence::Cut) {
        CutSelection();
    } else if (event == QKeySequence::Undo || event == QKeySequence::Redo) {
        // The field keeps no history of its own; every key already rewrote it whole.
    } else if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) {
        NumberMask::State s = Current();
        const bool changed =
            event->key() == Qt::Key_Backspace ? mask_.Backspace(s) : mask_.Delete(s);
        if (changed) Show(s);
    } else if (IsTypedText(event)) {
        if (!TypeText(event->text())) QApplication::beep();
    } else {
        // Moving, selecting, copying, Enter and Escape: the line edit's own handling.  What
        // would change the text is refused by the validator.
        return QLineEdit::keyPressEvent(event);
    }
    event->accept();
}

void MaskEdit::contextMenuEvent(QContextMenuEvent* event) {
    // Our own menu, so that every edit goes through the mask.
    QMenu menu(this);
    const bool selected = hasSelectedText();
    menu.addAction(QStringLiteral("Вырезать"), this, &MaskEdit::CutSelection)
        ->setEnabled(selected && !isReadOnly());
    menu.addAction(QStringLiteral("Копировать"), this, &QLineEdit::copy)->setEnabled(selected);
    menu.addAction(QStringLiteral("Вставить"), this, &MaskEdit::PasteClipboard)
        ->setEnabled(!isReadOnly() && !QApplication::clipboard()->text().isEmpty());
    menu.addAction(QStringLiteral("Удалить"), this, &MaskEdit::BlankSelectedPositions)
        ->setEnabled(selected && !isReadOnly());
    menu.addSeparator();
    menu.addAction(QStringLiteral("Выделить всё"), this, &QLineEdit::selectAll);
    menu.exec(event->globalPos());
}

// ---------------------------------------------------------------------------------------
// NameComboBox

bool NameComboBox::NameEdit::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress: {
            // Undo and redo only bring back texts the field has held, a long one included.
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo))
                return QLineEdit::event(event);
            break;
        }
        case QEvent::InputMethod:
        case QEvent::Drop:
        case QEvent::ContextMenu:         // its menu's paste
        case QEvent::MouseButtonRelease:  // pasting the selection with the middle button
            break;
        default:
            return QLineEdit::event(event);
    }
    ++userEditing_;
    struct Done {
        int& count;
        ~Done() { --count; }
    } done{userEditing_};
    return QLineEdit::event(event);
}

QValidator::State NameComboBox::TypedLengthValidator::validate(QString& input, int& pos) const {
    const NameEdit* edit = list_.edit_;
    const QString& before = edit->Before();
    const qsizetype limit = std::max<qsizetype>(list_.MaxTyped(), before.size());
    if (!edit->UserEditing() || input.size() <= limit) return Acceptable;
    // The change is what lies between the parts the old and the new text share at their
    // ends; only its inserted part is cut.
    const qsizetype shorter = std::min(input.size(), before.size());
    qsizetype prefix = 0;
    while (prefix < shorter && input[prefix] == before[prefix]) ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           input[input.size() - 1 - suffix] == before[before.size() - 1 - suffix])
        ++suffix;
    const qsizetype keep = limit - prefix - suffix;
    // Nothing of it fits: refused as a whole, like a key at a full field.
    if (keep == 0 && prefix + suffix == before.size()) return Invalid;
    input = input.left(prefix) + input.mid(prefix, keep) + input.right(suffix);
    pos = int(prefix + keep);
    return Acceptable;
}

NameComboBox::NameComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    edit_ = new NameEdit(this);
    setLineEdit(edit_);
    // No length limit of the line edit itself: it would cut a long name shown from the
    // catalog; what the user types is held by the validator instead.
    edit_->setMaxLength(std::numeric_limits<int>::max());
    edit_->setValidator(new TypedLengthValidator(*this, edit_));
    // Read back from the edit rather than taken from the signal: a completion changes the
    // text again before the signal of the typed text has reached everyone.
    connect(edit_, &QLineEdit::textChanged, edit_,
            [edit = edit_] { edit->NoteText(edit->text()); });
    setCompleter(nullptr);  // our own completion, to the item's exact text
    setInsertPolicy(QComboBox::NoInsert);
    edit_->installEventFilter(this);
    connect(edit_, &QLineEdit::textEdited, this, &NameComboBox::OnTextEdited);
    connect(this, &QComboBox::activated, this, &NameComboBox::UserChanged);
}

void NameComboBox::keyPressEvent(QKeyEvent* event) {
    typing_ = IsTypedText(event);
    QComboBox::keyPressEvent(event);
    typing_ = false;
}

bool NameComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        typing_ = IsTypedText(static_cast<QKeyEvent*>(event));
    } else if (watched == lineEdit() && event->type() == QEvent::KeyRelease) {
        typing_ = false;
    }
    return QComboBox::eventFilter(watched, event);
}

void NameComboBox::OnTextEdited(const QString& text) {
    const bool typed = typing_;
    typing_ = false;
    QLineEdit* edit = lineEdit();
    if (typed && !text.isEmpty() && edit->cursorPosition() == text.size()) {
        const int i = FirstItemStartingWith(this, text);
        if (i >= 0) {
            const QString item = itemText(i);
            const NameEdit::ProgramChange completing(edit_);
            edit->setText(item);
            edit->setSelection(int(item.size()), int(text.size() - item.size()));
        }
    }
    emit UserChanged();
}

// ---------------------------------------------------------------------------------------
// PickComboBox

PickComboBox::PickComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    view()->installEventFilter(this);
    connect(this, &QComboBox::activated, this, &PickComboBox::UserChanged);
}

int PickComboBox::TypeAhead(const QString& typed) {
    if (!sinceLastKey_.isValid() || sinceLastKey_.elapsed() >= kTypeAheadMs) search_.clear();
    sinceLastKey_.start();
    search_ += typed;
    return FirstItemStartingWith(this, search_);
}

void PickComboBox::keyPressEvent(QKeyEvent* event) {
    if (!IsTypedText(event) || event->text() == QStringLiteral(" "))
        return QComboBox::keyPressEvent(event);
    const int i = TypeAhead(event->text());
    if (i >= 0 && i != currentIndex()) {
        setCurrentIndex(i);
        emit UserChanged();
    }
    event->accept();
}

bool PickComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (IsTypedText(key) && key->text() != QStringLiteral(" ")) {
            const int i = TypeAhead(key->text());
            if (i >= 0) view()->setCurrentIndex(model()->index(i, modelColumn(), rootModelIndex()));
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

}  // namespace kelm
