#include "dynamics/dynamicsjson.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <span>
#include <utility>

#include "dynamics/sample.h"

namespace kelm {

namespace {

// Ordered, so that members this version does not know are written back in their order.
using Json = nlohmann::ordered_json;

constexpr std::string_view kFormat = "Kelm dynamics";

// Nesting deeper than this is no file of ours; it is refused before it can make the
// (recursive) writing and copying of the values this version keeps run deep.
constexpr std::size_t kMaxDepth = 64;

constexpr int kNumberOverflow = 406;  // the library's error number for 1e400
// Beyond this many such numbers the file is no longer read past the last one.
constexpr int kMaxHugeNumbers = 100;

// What tells an object or array apart once the document is built (the container it holds
// on the heap); nothing for a plain value.
const void* Identity(const Json& v) {
    if (v.is_object()) return &v.get_ref<const Json::object_t&>();
    if (v.is_array()) return &v.get_ref<const Json::array_t&>();
    return nullptr;
}

// Builds the document from the parser's events, as the library's own builder does, with
// three differences.  A member given twice is kept twice, in its place, where the library
// keeps only the last: the reader refuses a repeat where it matters, and a later version's
// member is written back as it was.  Where the text stops being JSON, what was read so far
// stays, and the containers still open then are told (a record cut off by the end of a
// truncated file must not pass for a whole one).  And nesting is limited.
class Builder : public nlohmann::json_sax<Json> {
  public:
    Json root;
    bool stopped = false;        // the text did not parse to its end
    std::size_t errorAt = 0;     // where, in bytes, when the parser said
    bool tooDeep = false;        // stopped at kMaxDepth
    std::set<const void*> open;  // containers open when it stopped (by Identity)
    std::string hugeNumber;      // the number beyond a double's range that stopped it

    bool null() override { return Put(Json(nullptr)); }
    bool boolean(bool v) override { return Put(Json(v)); }
    bool number_integer(number_integer_t v) override { return Put(Json(v), true); }
    bool number_unsigned(number_unsigned_t v) override { return Put(Json(v), true); }
    bool number_float(number_float_t value, const string_t& text) override {
        return Put(Json(ReadNumber(value, text)), true);
    }
    bool string(string_t& v) override { return Put(Json(std::move(v))); }
    bool binary(binary_t&) override { return false; }  // not in JSON text
    bool start_object(std::size_t) override { return Open(Json::object()); }
    bool key(string_t& k) override {
        key_ = std::move(k);
        return true;
    }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(Json::array()); }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t position, const std::string& token,
                     const nlohmann::detail::exception& e) override {
        errorAt = position;
        // The library refuses a number beyond a double's range (1e400) as an error.
        if (e.id == kNumberOverflow) hugeNumber = token;
        return false;
    }

    // After a parse that did not reach the end: keeps what was open then, and drops the
    // last number when it was the last thing read, since the end of the text may have cut
    // its digits ("2500" read as "25").
    void Stop() {
        stopped = true;
        for (Json* level : stack_) open.insert(Identity(*level));
        if (lastWasNumber_ && !stack_.empty() && !stack_.back()->empty()) {
            Json& container = *stack_.back();
            if (container.is_array()) {
                container.get_ref<Json::array_t&>().pop_back();
            } else {
                container.get_ref<Json::object_t&>().Container::pop_back();
            }
        }
    }

  private:
    // The library reads a number through the C library, under the process's locale (which
    // Qt sets), with the locale's decimal separator put in place of the point.  It is read
    // again here, locale-free and correctly rounded, from the text the library kept.
    static double ReadNumber(double libraryValue, const std::string& text) {
        std::string s = text;
        for (char& c : s) {
            if (!(c >= '0' && c <= '9') && c != '-' && c != '+' && c != 'e' && c != 'E') c = '.';
        }
        double v = 0;
        const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
        // Below a double's range the library's zero stands.
        return r.ec == std::errc() ? v : libraryValue;
    }

    // Places a value where the parser is and returns where it went.  (A pointer into its
    // container, which stays valid while the value is open: the container grows only after.)
    Json* Place(Json&& v) {
        if (stack_.empty()) {
            root = std::move(v);
            return &root;
        }
        Json& top = *stack_.back();
        if (top.is_array()) {
            auto& array = top.get_ref<Json::array_t&>();
            array.push_back(std::move(v));
            return &array.back();
        }
        // Appended as it comes: the map's own insertion would replace a member given before.
        auto& object = top.get_ref<Json::object_t&>();
        object.Container::emplace_back(std::move(key_), std::move(v));
        return &object.back().second;
    }

    bool Put(Json&& v, bool number = false) {
        Place(std::move(v));
        lastWasNumber_ = number;
        return true;
    }

    bool Open(Json&& v) {
        lastWasNumber_ = false;
        if (stack_.size() >= kMaxDepth) {
            tooDeep = true;
            return false;
        }
        stack_.push_back(Place(std::move(v)));
        return true;
    }

    bool Close() {
        lastWasNumber_ = false;
        stack_.pop_back();
        return true;
    }

    std::vector<Json*> stack_;
    std::string key_;  // of the member whose value comes next
    bool lastWasNumber_ = false;
};

// The document of a text, as far as it is JSON.
Json Parse(std::string_view text, Builder& b) {
    if (!Json::sax_parse(text.begin(), text.end(), &b)) b.Stop();
    return std::move(b.root);
}

// Where in the text a byte offset lies, for a person: line and character, from 1.
std::string PlaceText(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    const std::size_t lineStart = text.rfind('\n', offset == 0 ? 0 : offset - 1);
    const std::size_t from = lineStart == std::string_view::npos || offset == 0 ? 0 : lineStart + 1;
    const auto line = 1 + std::count(text.begin(), text.begin() + static_cast<long>(from), '\n');
    std::size_t column = 1;
    for (std::size_t i = from; i < offset; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++column;
    }
    return "строка " + std::to_string(line) + ", знак " + std::to_string(column);
}

// The first byte that is not valid UTF-8, or the text's size.
std::size_t FirstNonUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (!Utf8Length(text.substr(i, length))) return i;
        i += length;
    }
    return text.size();
}

// The problem of the text as JSON, as one line for the message.
std::string SyntaxProblem(std::string_view text, const Builder& b) {
    if (b.tooDeep) {
        return "вложенность глубже " + std::to_string(kMaxDepth) +
               " уровней; дальше файл не прочитан";
    }
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return "файл пуст";
    const std::size_t at = b.errorAt == 0 ? 0 : b.errorAt - 1;
    const std::size_t bad = FirstNonUtf8(text);
    if (bad <= at && bad < text.size()) {
        return PlaceText(text, bad) + ": текст не в кодировке UTF-8; дальше файл не прочитан";
    }
    if (at >= text.size() || b.errorAt > text.size()) {
        return "файл обрывается (" + PlaceText(text, text.size()) + "): он не дописан до конца";
    }
    if (!b.hugeNumber.empty()) {
        const std::size_t number = text.rfind(b.hugeNumber, at);
        return PlaceText(text, number == std::string_view::npos ? at : number) + ": число " +
               b.hugeNumber + " слишком велико; дальше файл не прочитан";
    }
    return PlaceText(text, at) + ": ошибка в записи JSON; дальше файл не прочитан";
}

// Reading the known members of the document into the records.
class Reader {
  public:
    Reader(const Builder& b, DynamicsRead& out) : b_(b), out_(out) {}

    void Document(const Json& root) {
        if (!root.is_object()) {
            if (!b_.stopped || !root.is_null()) {
                Problem("в файле нет объекта { … } с двигателями и автомобилями");
            }
            return;
        }
        Json extra = Json::object();
        const Json *engines = nullptr, *cars = nullptr, *run = nullptr;
        bool format = false, version = false;
        std::set<std::string> seen;
        for (const auto& [key, value] : root.items()) {
            if (IsOneOf(key, {"format", "version", "engines", "cars", "run"}) &&
                !seen.insert(key).second) {
                Problem("поле \"" + key + "\" повторяется; прочитано первое");
            } else if (key == "format") {
                format = true;
                if (!value.is_string() || value.get_ref<const std::string&>() != kFormat) {
                    Problem("поле \"format\": нужно \"" + std::string(kFormat) + "\"");
                }
            } else if (key == "version") {
                version = true;
                ReadVersion(value);
            } else if (key == "engines") {
                engines = &value;
            } else if (key == "cars") {
                cars = &value;
            } else if (key == "run") {
                run = &value;
            } else {
                Keep(extra, key, value);
            }
        }
        if (!format && !b_.stopped) Problem("нет поля \"format\"");
        if (!version && !b_.stopped) Problem("нет поля \"version\"");
        List(engines, "engines", false);
        List(cars, "cars", true);
        if (run) Run(*run);
        out_.Data.Extra = ExtraText(extra);
    }

  private:
    void Problem(std::string text) { out_.Problems.push_back(std::move(text)); }

    void ReadVersion(const Json& value) {
        if (value.is_number()) {
            const double v = value.get<double>();
            if (std::isfinite(v) && v >= 1 && v == std::floor(v)) {
                out_.Version = v > 1e9 ? 1000000000 : static_cast<int>(v);
                return;
            }
        }
        Problem("поле \"version\": нужно целое число от 1");
    }

    // A member of an object this version does not know, kept for the save.
    void Keep(Json& extra, const std::string& key, const Json& value) {
        if (b_.open.contains(Identity(value))) return;  // cut off: nothing whole to keep
        extra.get_ref<Json::object_t&>().Container::emplace_back(key, value);
    }

    static std::string ExtraText(const Json& extra) {
        return extra.empty() ? std::string() : extra.dump();
    }

    static bool IsOneOf(std::string_view key, std::initializer_list<std::string_view> keys) {
        return std::find(keys.begin(), keys.end(), key) != keys.end();
    }

    void List(const Json* list, const char* key, bool car) {
        if (!list) {
            if (!b_.stopped) Problem("нет поля \"" + std::string(key) + "\"");
            return;
        }
        if (!list->is_array()) {
            Problem("поле \"" + std::string(key) + "\" должно быть списком [ … ]");
            return;
        }
        std::map<std::string, std::size_t, std::less<>> names;  // name → position
        for (std::size_t i = 0; i < list->size(); ++i) {
            const Json& item = (*list)[i];
            const std::string* name = nullptr;
            if (item.is_object()) {
                const auto n = item.find("name");
                if (n != item.end() && n->is_string()) name = &n->get_ref<const std::string&>();
            }
            const std::string title = RecordTitle(car, i, name ? *name : std::string()) + ": ";
            if (b_.open.contains(Identity(item))) {
                Problem(title + "запись оборвана: на ней чтение файла остановилось");
                continue;
            }
            if (!item.is_object()) {
                Problem(title + "запись должна быть объектом { … }");
                continue;
            }
            const bool added = car ? ReadCar(item, title) : ReadEngine(item, title);
            if (!added) continue;
            const std::string& added_name =
                car ? out_.Data.Cars.back().Name : out_.Data.Engines.back().Name;
            const auto [it, fresh] = names.emplace(added_name, i);
            if (!fresh) {
                Problem(RecordTitle(car, i, {}) + ": поле \"name\": имя «" + added_name +
                        "» уже есть у записи № " + std::to_string(it->second + 1));
                if (car) {
                    out_.Data.Cars.pop_back();
                } else {
                    out_.Data.Engines.pop_back();
                }
            }
        }
    }

    // The members of a record that this version knows, by key, and the others kept; a
    // known member given twice is the record's problem.
    using Known = std::map<std::string_view, const Json*>;
    std::optional<FieldProblem> Members(const Json& item, std::span<const std::string_view> keys,
                                        Known& known, Json& extra) {
        std::optional<FieldProblem> problem;
        for (auto m = item.cbegin(); m != item.cend(); ++m) {
            const auto k = std::find(keys.begin(), keys.end(), m.key());
            if (k == keys.end()) {
                Keep(extra, m.key(), m.value());
            } else if (!known.emplace(*k, &m.value()).second && !problem) {
                problem = FieldProblem{m.key(), "повторяется"};
            }
        }
        return problem;
    }

    static std::optional<FieldProblem> Name(const Known& known, std::string& name) {
        const auto it = known.find("name");
        if (it == known.end()) return FieldProblem{"name", "отсутствует"};
        if (!it->second->is_string()) return FieldProblem{"name", "нужна строка"};
        name = it->second->get<std::string>();
        return std::nullopt;
    }

    bool ReadEngine(const Json& item, const std::string& title) {
        static constexpr std::string_view kKeys[] = {"name", "torque"};
        Stored<Engine> engine;
        Known known;
        Json extra = Json::object();
        auto problem = Members(item, kKeys, known, extra);
        if (!problem) problem = Name(known, engine.Name);
        if (!problem) {
            const auto torque = known.find("torque");
            problem = torque == known.end() ? FieldProblem{"torque", "отсутствует"}
                                            : Curve(*torque->second, engine.Torque);
        }
        if (!problem) problem = EngineProblem(engine);
        if (problem) {
            Problem(title + FieldText(*problem));
            return false;
        }
        engine.Extra = ExtraText(extra);
        out_.Data.Engines.push_back(std::move(engine));
        return true;
    }

    bool ReadCar(const Json& item, const std::string& title) {
        std::vector<std::string_view> keys{"name"};
        for (const auto& f : CarFields()) keys.push_back(f.Key);
        Stored<Car> car;
        Known known;
        Json extra = Json::object();
        auto problem = Members(item, keys, known, extra);
        if (!problem) problem = Name(known, car.Name);
        for (std::size_t i = 0; i < CarFields().size() && !problem; ++i) {
            const auto& f = CarFields()[i];
            const auto it = known.find(f.Key);
            if (it == known.end()) {
                // The rotating-mass coefficients may be left out: their defaults stand.
                if (i < kCarRequiredFields)
                    problem = FieldProblem{std::string(f.Key), "отсутствует"};
            } else if (!it->second->is_number()) {
                problem = FieldProblem{std::string(f.Key), "нужно число"};
            } else {
                car.*f.Member = it->second->get<double>();
            }
        }
        if (!problem) problem = CarProblem(car);
        if (problem) {
            Problem(title + FieldText(*problem));
            return false;
        }
        car.Extra = ExtraText(extra);
        out_.Data.Cars.push_back(std::move(car));
        return true;
    }

    // The curve's points as numbers; the rules of the curve are EngineProblem's.
    std::optional<FieldProblem> Curve(const Json& value, std::vector<TorquePoint>& torque) {
        if (!value.is_array())
            return FieldProblem{"torque", "нужен список точек [[обороты, момент], …]"};
        for (std::size_t i = 0; i < value.size(); ++i) {
            const Json& p = value[i];
            const bool pair = p.is_array() && (out_.Newer() ? p.size() >= 2 : p.size() == 2) &&
                              p[0].is_number() && p[1].is_number();
            if (!pair) {
                return FieldProblem{"torque", "точка " + std::to_string(i + 1) +
                                                  ": нужна пара чисел [обороты, момент]"};
            }
            torque.push_back({p[0].get<double>(), p[1].get<double>()});
        }
        return std::nullopt;
    }

    void Run(const Json& run) {
        const std::string where = "выбор расчёта: ";
        if (!run.is_object()) {
            Problem("поле \"run\" должно быть объектом { … }");
            return;
        }
        Stored<RunSettings>& r = out_.Data.Run;
        Json extra = Json::object();
        static constexpr std::pair<std::string_view, std::string RunSettings::*> kNames[] = {
            {"engine1", &RunSettings::Engine1},
            {"car1", &RunSettings::Car1},
            {"engine2", &RunSettings::Engine2},
            {"car2", &RunSettings::Car2},
        };
        std::set<std::string> seen;
        for (auto member = run.cbegin(); member != run.cend(); ++member) {
            const std::string& key = member.key();
            const Json& value = member.value();
            const auto name = std::find_if(std::begin(kNames), std::end(kNames),
                                           [&](const auto& n) { return n.first == key; });
            const auto number = std::find_if(RunNumberFields().begin(), RunNumberFields().end(),
                                             [&](const auto& f) { return f.Key == key; });
            const bool known =
                name != std::end(kNames) || key == "shift" || number != RunNumberFields().end();
            if (known && !seen.insert(key).second) {
                Problem(where + "поле \"" + key + "\" повторяется; прочитано первое");
            } else if (name != std::end(kNames)) {
                if (value.is_string()) {
                    r.*(name->second) = value.get<std::string>();
                } else {
                    Problem(where + "поле \"" + key + "\": нужна строка с именем");
                }
            } else if (key == "shift") {
                const auto rule = value.is_string()
                                      ? ShiftRuleFromKey(value.get_ref<const std::string&>())
                                      : std::nullopt;
                if (rule) {
                    r.Shift = *rule;
                } else {
                    Problem(where + "поле \"shift\": нужно \"max\" или \"best\"");
                }
            } else if (number != RunNumberFields().end()) {
                const auto& f = *number;
                if (!value.is_number()) {
                    Problem(where + FieldText({std::string(f.Key), "нужно число"}));
                } else if (auto p = NumberProblem(f.Key, value.get<double>(), f.Range)) {
                    Problem(where + FieldText(*p));
                } else {
                    r.*(f.Member) = value.get<double>();
                }
            } else {
                Keep(extra, key, value);
            }
        }
        if (auto p = RunProblem(r)) {
            Problem(where + FieldText(*p));
            const RunSettings defaults;
            r.PairFrom = defaults.PairFrom;
            r.PairTo = defaults.PairTo;
        }
        r.Extra = ExtraText(extra);
    }

    static std::string FieldText(const FieldProblem& p) {
        return "поле \"" + p.Field + "\": " + p.Text;
    }

    const Builder& b_;
    DynamicsRead& out_;
};

// Numbers in the shortest form that reads back to the same double, with a point whatever
// the locale; a whole number without a fraction ("1120").  Minus zero keeps its sign.  A
// person reads and types numbers without an exponent: 100000 and 0.0005, not the shorter
// "1e+05" and "5e-04"; only a number that takes many more digits that way (1.5e-17) keeps
// its exponent.
std::string NumberText(double v) {
    if (!std::isfinite(v)) return "null";  // never in valid data
    if (v == 0 && std::signbit(v)) return "-0.0";
    constexpr std::ptrdiff_t kMoreDigits = 4;  // what the plain form may take beyond the shortest
    char shortest[32], plain[32];
    const auto s = std::to_chars(shortest, shortest + sizeof shortest, v);
    const auto p = std::to_chars(plain, plain + sizeof plain, v, std::chars_format::fixed);
    if (p.ec == std::errc() && p.ptr - plain <= s.ptr - shortest + kMoreDigits)
        return std::string(plain, p.ptr);
    return std::string(shortest, s.ptr);
}

std::string StringText(const std::string& s) {
    return Json(s).dump(-1, ' ', false, Json::error_handler_t::replace);
}

// Writes the document as a person would lay it out: one member a line, a torque point a
// line; values this version keeps without knowing them are pretty-printed in place.
class Writer {
  public:
    std::string text;

    void Open(char bracket) {
        text += bracket;
        text += '\n';
        ++depth_;
        first_ = true;
    }
    void Close(char bracket) {
        text += '\n';
        --depth_;
        Indent();
        text += bracket;
        first_ = false;
    }
    // Starts the next member or element: a comma after the one before, a new line.
    void Next() {
        if (!first_) text += ",\n";
        first_ = false;
        Indent();
    }
    void Key(const std::string& key) {
        Next();
        text += StringText(key);
        text += ": ";
    }
    void Member(const std::string& key, const std::string& valueText) {
        Key(key);
        text += valueText;
    }
    void Extra(const std::string& extra) {
        if (extra.empty()) return;
        Builder b;  // keeps a member given twice, as the library's parse would not
        const Json members = Parse(extra, b);
        if (!members.is_object()) return;
        for (const auto& [key, value] : members.items()) {
            std::string dumped = value.dump(2, ' ', false, Json::error_handler_t::replace);
            std::string indented;
            for (char c : dumped) {
                indented += c;
                if (c == '\n') indented.append(static_cast<std::size_t>(depth_) * 2, ' ');
            }
            Member(key, indented);
        }
    }
    // An empty list or object on one line.
    void Empty(const char* brackets) {
        text += brackets;
        first_ = false;
    }

  private:
    void Indent() { text.append(static_cast<std::size_t>(depth_) * 2, ' '); }
    int depth_ = 0;
    bool first_ = true;
};

}  // namespace

DynamicsRead ReadDynamicsText(std::string_view text) {
    DynamicsRead out;
    // A number beyond a double's range (1e400) stops the library's parse.  It is said, and
    // read again as a null in its place, so that only the record holding it is left out and
    // the records after it are read.
    std::string patched;
    std::string_view current = text;
    auto b = std::make_unique<Builder>();
    Json root = Parse(current, *b);
    for (int i = 0; b->stopped && !b->hugeNumber.empty() && i < kMaxHugeNumbers; ++i) {
        const std::size_t number = current.rfind(b->hugeNumber, b->errorAt);
        if (number == std::string_view::npos || b->hugeNumber.size() < 4) break;
        out.Problems.push_back(PlaceText(current, number) + ": число " + b->hugeNumber +
                               " слишком велико");
        if (patched.empty()) patched = text;
        // Padded to the number's length, so that every later place in a message is the file's.
        std::string null = "null";
        null.resize(b->hugeNumber.size(), ' ');
        patched.replace(number, null.size(), null);
        current = patched;
        b = std::make_unique<Builder>();
        root = Parse(current, *b);
    }
    if (b->stopped) out.Problems.push_back(SyntaxProblem(current, *b));
    Reader(*b, out).Document(root);
    return out;
}

std::string DynamicsText(const DynamicsData& data) {
    Writer w;
    w.Open('{');
    w.Member("format", StringText(std::string(kFormat)));
    w.Member("version", std::to_string(kDynamicsFileVersion));

    w.Key("engines");
    if (data.Engines.empty()) {
        w.Empty("[]");
    } else {
        w.Open('[');
        for (const Stored<Engine>& e : data.Engines) {
            w.Next();
            w.Open('{');
            w.Member("name", StringText(e.Name));
            w.Key("torque");
            w.Open('[');
            for (const TorquePoint& p : e.Torque) {
                w.Next();
                w.text += "[" + NumberText(p.rpm) + ", " + NumberText(p.torque) + "]";
            }
            w.Close(']');
            w.Extra(e.Extra);
            w.Close('}');
        }
        w.Close(']');
    }

    w.Key("cars");
    if (data.Cars.empty()) {
        w.Empty("[]");
    } else {
        w.Open('[');
        for (const Stored<Car>& c : data.Cars) {
            w.Next();
            w.Open('{');
            w.Member("name", StringText(c.Name));
            for (const auto& f : CarFields()) w.Member(std::string(f.Key), NumberText(c.*f.Member));
            w.Extra(c.Extra);
            w.Close('}');
        }
        w.Close(']');
    }

    const Stored<RunSettings>& r = data.Run;
    w.Key("run");
    w.Open('{');
    w.Member("engine1", StringText(r.Engine1));
    w.Member("car1", StringText(r.Car1));
    w.Member("engine2", StringText(r.Engine2));
    w.Member("car2", StringText(r.Car2));
    w.Member("shift", StringText(std::string(ShiftRuleKey(r.Shift))));
    for (const auto& f : RunNumberFields()) w.Member(std::string(f.Key), NumberText(r.*f.Member));
    w.Extra(r.Extra);
    w.Close('}');

    w.Extra(data.Extra);
    w.Close('}');
    w.text += '\n';
    return std::move(w.text);
}

DynamicsData SampleDynamics() { return ReadDynamicsText(SampleDynamicsText()).Data; }

}  // namespace kelm
