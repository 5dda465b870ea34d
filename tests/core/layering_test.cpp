// The includes of the program's sources go one way only: the program entry, the main window,
// then the windows of engines, cars and acceleration, then the catalog editor and the chart
// panel, then the widgets the windows share, then the Qt-free core.  This reads every source file
// and fails on an include that goes up or sideways, so the layering stays readable from the
// folders.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kSrc = fs::path(KELM_SOURCE_DIR) / "src";

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The files each folder's CMakeLists puts into kelm_core, by their name without extension
// ("catalog/catalogfile"); their headers belong to the core too.
std::set<std::string> CoreUnits() {
    std::set<std::string> units;
    const std::regex block(R"(target_sources\(\s*kelm_core\s+PRIVATE([^)]*)\))");
    const std::regex source(R"(([A-Za-z0-9_]+)\.cpp)");
    for (const auto& dir : fs::directory_iterator(kSrc)) {
        if (!dir.is_directory()) continue;
        const std::string lists = ReadAll(dir.path() / "CMakeLists.txt");
        for (std::sregex_iterator b(lists.begin(), lists.end(), block), end; b != end; ++b) {
            const std::string names = (*b)[1];
            for (std::sregex_iterator s(names.begin(), names.end(), source); s != end; ++s)
                units.insert(dir.path().filename().string() + "/" + (*s)[1].str());
        }
    }
    return units;
}

// How far from the core a widget folder stands; a file may include only what stands
// closer to the core, or its own folder.
const std::map<std::string, int> kWidgetRank = {
    {"widgets", 1}, {"chart", 2}, {"editor", 2}, {"dynamicsui", 3}, {"mainwindow", 4}, {"app", 5},
};

struct Source {
    std::string folder;  // "editor"
    std::string unit;    // "editor/editor"
    fs::path path;
};

std::vector<Source> AllSources() {
    std::vector<Source> all;
    for (const auto& entry : fs::recursive_directory_iterator(kSrc)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".h" && ext != ".cpp") continue;
        const fs::path rel = fs::relative(entry.path(), kSrc);
        all.push_back(
            {rel.begin()->string(), (rel.parent_path() / rel.stem()).string(), entry.path()});
    }
    return all;
}

// Why `from` may not include `to`, or nothing when it may.
std::string Violation(const std::set<std::string>& core, const std::string& fromFolder,
                      const std::string& fromUnit, const std::string& toUnit) {
    const bool fromCore = core.count(fromUnit) > 0;
    const bool toCore = core.count(toUnit) > 0;
    if (toCore) return {};
    if (fromCore) return "the core includes a widget";
    const std::string toFolder = toUnit.substr(0, toUnit.find('/'));
    if (toFolder == fromFolder) return {};
    const auto from = kWidgetRank.find(fromFolder);
    const auto to = kWidgetRank.find(toFolder);
    if (from == kWidgetRank.end() || to == kWidgetRank.end()) return "an unknown folder";
    if (to->second > from->second) return "an include upward";
    if (to->second == from->second) return "an include sideways";
    return {};
}

TEST(Layering, TheRuleItselfTellsUpSidewaysAndDown) {
    const std::set<std::string> core = {"base/numtext", "chart/series"};
    EXPECT_EQ(Violation(core, "editor", "editor/editor", "base/numtext"), "");
    EXPECT_EQ(Violation(core, "editor", "editor/editor", "widgets/spinedit"), "");
    EXPECT_EQ(Violation(core, "editor", "editor/editor", "editor/controls"), "");
    EXPECT_EQ(Violation(core, "mainwindow", "mainwindow/mainwindow", "chart/chartpanel"), "");
    EXPECT_EQ(Violation(core, "widgets", "widgets/placement", "mainwindow/mainwindow"),
              "an include upward");
    EXPECT_EQ(Violation(core, "editor", "editor/editor", "chart/chartpanel"),
              "an include sideways");
    EXPECT_EQ(Violation(core, "chart", "chart/series", "chart/chartpanel"),
              "the core includes a widget");
}

TEST(Layering, EveryIncludeOfTheSourcesGoesTowardsTheCore) {
    const std::set<std::string> core = CoreUnits();
    ASSERT_TRUE(core.count("base/numtext")) << "the core's file lists were not read";
    ASSERT_TRUE(core.count("catalog/catalogfile"));

    const std::regex projectInclude(R"(#include\s+"([a-z]+/[A-Za-z0-9_]+)\.h")");
    const std::regex qtInclude(R"(#include\s+<Q)");
    int includes = 0;
    for (const Source& s : AllSources()) {
        const std::string text = ReadAll(s.path);
        if (core.count(s.unit)) {
            EXPECT_FALSE(std::regex_search(text, qtInclude))
                << s.path << ": the core is Qt-free, yet this file includes Qt";
        }
        for (std::sregex_iterator i(text.begin(), text.end(), projectInclude), end; i != end; ++i) {
            ++includes;
            const std::string why = Violation(core, s.folder, s.unit, (*i)[1]);
            EXPECT_EQ(why, "") << s.path << " includes " << (*i)[1] << ".h";
        }
    }
    EXPECT_GT(includes, 50) << "the includes were not found";
}

}  // namespace
