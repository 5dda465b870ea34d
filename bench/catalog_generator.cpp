#include "catalog_generator.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

#include "base/cp1251.h"
#include "base/numtext.h"

namespace kelm::bench {

namespace {

std::string Cp(const char* utf8) { return *Utf8ToCp1251(utf8); }

double Round3(double v) {
    return static_cast<double>(static_cast<long long>(v * 1000 + 0.5)) / 1000;
}

}  // namespace

void WriteLargeCatalog(const std::string& path, const CatalogSize& size, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> first(2.9, 4.3);
    std::uniform_real_distribution<double> step(0.62, 0.78);
    std::uniform_real_distribution<double> pairValue(2.9, 5.2);
    std::uniform_int_distribution<int> perimeter(1650, 2250);
    std::uniform_int_distribution<int> width(145, 285);
    std::uniform_int_distribution<int> profile(35, 80);
    std::uniform_int_distribution<int> rim(13, 20);

    const std::string makers[] = {Cp("Заводская"), Cp("Спортивная"), Cp("Тяговая"),
                                  Cp("Городская"), Cp("Трековая"),   Cp("Экономичная"),
                                  Cp("Раллийная")};
    const std::string box = Cp("КПП");
    const std::string speeds = Cp("-ступ. вариант №");
    const std::string tyreWord[] = {Cp("Летняя"), Cp("Зимняя"), Cp("Всесезонная")};

    std::string out;
    out.reserve(size.rows * 60 + size.tyres * 40 + size.pairs * 10);
    const auto line = [&out](const std::string& s) {
        out += s;
        out += "\r\n";
    };

    line("Riads");
    for (std::size_t i = 0; i < size.rows; ++i) {
        const int gears = (i % 3 == 0) ? 6 : 5;
        line("_");
        line(box + " " + makers[i % std::size(makers)] + " " + std::to_string(gears) + speeds +
             std::to_string(i + 1));
        double r = Round3(first(rng));
        for (int g = 0; g < 6; ++g) {
            line(g < gears ? FloatToStr(r) : "0");
            r = std::max(0.5, Round3(r * step(rng)));
        }
    }
    line("Paras");
    for (std::size_t i = 0; i < size.pairs; ++i) {
        line("_");
        line(FloatToStr(Round3(pairValue(rng))));
    }
    line("Koless");
    for (std::size_t i = 0; i < size.tyres; ++i) {
        line("_");
        line(tyreWord[i % 3] + " " + std::to_string(width(rng)) + "/" +
             std::to_string(profile(rng)) + " R" + std::to_string(rim(rng)) + " " + Cp("№") +
             std::to_string(i + 1));
        line(std::to_string(perimeter(rng)));
    }

    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
}

}  // namespace kelm::bench
