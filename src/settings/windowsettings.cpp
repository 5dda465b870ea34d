#include "settings/windowsettings.h"

#include "base/cp1251.h"
#include "base/errors.h"
#include "base/numtext.h"
#include "base/posixio.h"
#include "settings/inifile.h"

namespace kelm {

namespace {

std::string Cp1251(std::string_view utf8) { return Utf8ToCp1251(utf8).value_or(std::string()); }

const char* BoolText(bool on) { return on ? "1" : "0"; }

}  // namespace

const std::string& SettingsSection() {
    static const std::string section = Cp1251("Параметры");
    return section;
}

WindowSettings DefaultWindowSettings() {
    WindowSettings s;
    s.ComboBox1 = s.ComboBox2 = Cp1251("Стандартный");
    s.ComboBox4 = FloatToStr(3.9);
    s.ComboBox5 = FloatToStr(4.1);
    s.ComboBox7 = s.ComboBox8 = Cp1251("Бл 85 165/70-13");
    return s;
}

WindowSettings ReadWindowSettings(const std::string& path) {
    const IniFile ini = IniFile::Load(path);
    const std::string& sec = SettingsSection();
    WindowSettings s = DefaultWindowSettings();
    s.FormMax = IniReadBool(ini, sec, "FormMax", s.FormMax);
    s.FormHeight = IniReadInteger(ini, sec, "FormHeight", s.FormHeight);
    s.FormWidth = IniReadInteger(ini, sec, "FormWidth", s.FormWidth);
    s.SE1 = IniReadInteger(ini, sec, "SE1", s.SE1);
    s.CB1 = IniReadBool(ini, sec, "CB1", s.CB1);
    s.CB2 = IniReadBool(ini, sec, "CB2", s.CB2);
    s.CB3 = IniReadBool(ini, sec, "CB3", s.CB3);
    s.CB4 = IniReadBool(ini, sec, "CB4", s.CB4);
    s.ComboBox1 = IniReadString(ini, sec, "ComboBox1", s.ComboBox1);
    s.ComboBox2 = IniReadString(ini, sec, "ComboBox2", s.ComboBox2);
    s.ComboBox4 = IniReadString(ini, sec, "ComboBox4", s.ComboBox4);
    s.ComboBox5 = IniReadString(ini, sec, "ComboBox5", s.ComboBox5);
    s.ComboBox7 = IniReadString(ini, sec, "ComboBox7", s.ComboBox7);
    s.ComboBox8 = IniReadString(ini, sec, "ComboBox8", s.ComboBox8);
    s.ColorBox1 = IniReadInteger(ini, sec, "ColorBox1", s.ColorBox1);
    s.ColorBox2 = IniReadInteger(ini, sec, "ColorBox2", s.ColorBox2);
    return s;
}

bool SettingsFileExists(const std::string& path) { return posixio::IsRegularFile(path); }

void WriteWindowSettings(const std::string& path, const WindowSettings& s) {
    IniFile ini = IniFile::Load(path);
    const std::string& sec = SettingsSection();
    ini.SetValue(sec, "FormMax", BoolText(s.FormMax));
    ini.SetValue(sec, "FormHeight", IntToStr(s.FormHeight));
    ini.SetValue(sec, "FormWidth", IntToStr(s.FormWidth));
    ini.SetValue(sec, "SE1", IntToStr(s.SE1));
    ini.SetValue(sec, "CB1", BoolText(s.CB1));
    ini.SetValue(sec, "CB2", BoolText(s.CB2));
    ini.SetValue(sec, "CB3", BoolText(s.CB3));
    ini.SetValue(sec, "CB4", BoolText(s.CB4));
    ini.SetValue(sec, "ComboBox1", s.ComboBox1);
    ini.SetValue(sec, "ComboBox2", s.ComboBox2);
    ini.SetValue(sec, "ComboBox4", s.ComboBox4);
    ini.SetValue(sec, "ComboBox5", s.ComboBox5);
    ini.SetValue(sec, "ComboBox7", s.ComboBox7);
    ini.SetValue(sec, "ComboBox8", s.ComboBox8);
    ini.SetValue(sec, "ColorBox1", IntToStr(s.ColorBox1));
    ini.SetValue(sec, "ColorBox2", IntToStr(s.ColorBox2));
    ini.Save(path);
}

void SaveWindowSettings(const std::string& path, const WindowSettings& settings) {
    const bool existed = SettingsFileExists(path);
    try {
        WriteWindowSettings(path, settings);
    } catch (const KelmError&) {
        // The code of a file that could not be created, the program's message for that case.
        if (!existed) throw InOutError(103);
        throw;
    }
}

}  // namespace kelm
