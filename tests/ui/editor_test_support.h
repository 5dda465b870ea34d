#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>

#include "catalog/catalog.h"
#include "core/recording_messages.h"
#include "editor/controls.h"
#include "editor/editor.h"
#include "widgets/spinedit.h"

namespace kelm::testing {

// Types text as from the keyboard, one key per character (Cyrillic included, which
// QTest::keyClicks cannot send).
inline void TypeKeys(QWidget* target, const QString& text) {
    for (QChar c : text) {
        const Qt::Key key = c.unicode() < 0x80 ? QTest::asciiToKey(char(c.unicode()))
                                               : Qt::Key(c.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Press, target, key, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, target, key, QString(c), Qt::NoModifier);
    }
}

// A catalog, a temporary folder for its file, recorded messages and a shown editor.
class EditorFixture : public ::testing::Test {
  protected:
    Catalog catalog;
    QTemporaryDir folder;
    RecordingMessages messages;
    std::unique_ptr<TForm2> dialog;

    std::string DatPath() const { return (folder.path() + "/Kelm.dat").toStdString(); }

    void AddRow(const std::string& cp1251Name, std::array<double, 6> ratios) {
        auto row = std::make_unique<Riad>();
        row->Name = cp1251Name;
        row->Ratios = ratios;
        catalog.AppendRow(std::move(row));
    }
    void AddPair(double value) { catalog.AppendPair(std::make_unique<MainPair>(value)); }
    void AddTyre(const std::string& cp1251Name, std::int32_t perimeter) {
        auto tyre = std::make_unique<Koles>();
        tyre->Name = cp1251Name;
        tyre->Perimeter = perimeter;
        catalog.AppendTyre(std::move(tyre));
    }

    // A new dialog, filled from the catalog and shown (without its modal loop).
    void Open() {
        dialog = std::make_unique<TForm2>(catalog, DatPath());
        dialog->ZapolnenieForm();
        dialog->show();
    }

    template <class W>
    W* Get(const char* name) {
        W* widget = dialog->findChild<W*>(QString::fromLatin1(name));
        if (!widget) ADD_FAILURE() << "no control " << name;
        return widget;
    }
    MaskEdit* Mask(const char* name) { return Get<MaskEdit>(name); }
    SpinEdit* Spin(const char* name) { return Get<SpinEdit>(name); }
    QComboBox* List(const char* name) { return Get<QComboBox>(name); }
    void Click(const char* button) { QTest::mouseClick(Get<QPushButton>(button), Qt::LeftButton); }

    // The user replaces the text of an editable list by typing.
    void TypeName(const char* list, const QString& text) {
        QComboBox* box = List(list);
        box->setFocus();
        box->lineEdit()->selectAll();
        TypeKeys(box, text);
    }
    // The user selects a whole field and types over it.
    void TypeField(const char* field, const QString& text) {
        MaskEdit* edit = Mask(field);
        edit->setFocus();
        edit->selectAll();
        TypeKeys(edit, text);
    }
    void TypeSpin(const char* spin, const QString& text) {
        SpinEdit* edit = Spin(spin);
        edit->setFocus();
        edit->selectAll();
        TypeKeys(edit, text);
    }
    void ClearSpin(const char* spin) {
        TypeSpin(spin, QString());
        QTest::keyClick(Spin(spin), Qt::Key_Backspace);
    }
    std::string Field(const char* field) { return Mask(field)->Text(); }
    std::array<std::string, 6> Ratios() {
        return {Field("ME1"), Field("ME2"), Field("ME3"), Field("ME4"), Field("ME5"), Field("ME6")};
    }
    QStringList Items(const char* list) {
        QStringList items;
        QComboBox* box = List(list);
        for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
        return items;
    }
    std::vector<std::string> Asked() const {
        std::vector<std::string> texts;
        for (const auto& a : messages.asked) texts.push_back(a.text);
        return texts;
    }
};

}  // namespace kelm::testing
