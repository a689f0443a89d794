// Times of the layout search: a cold search (empty cache) and a cached answer, for the
// fast search and, where it finishes in reasonable time, the exhaustive one it replaced.
// Cold searches also report the peak memory of the process while they ran (peakMB) and
// how far that lies above what it held before (growthMB).
//   marquetrix-layout-bench [--benchmark_filter=...]
#include "layoutsearch.h"
#include "literalsearch.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

using namespace marquetrix::layout;

namespace {

struct NullSink final : LogSink
{
    void log(LogLevel, const std::string &) override {}
};

struct Area
{
    float width;
    float height;
    const char *name;
};

const Area kAreas[] = {{1600, 1000, "1600x1000"},
                       {3000, 400, "3000x400"},
                       {400, 1600, "400x1600"},
                       {5000, 300, "5000x300"}};

SearchInput makeInput(const std::vector<float> &ratios, const Area &area)
{
    SearchInput input;
    for (float ratio : ratios)
        input.videos.push_back({false, ratio, 16, 9, {}});
    input.viewWidth = area.width;
    input.viewHeight = area.height;
    input.layoutAlgorithm = LayoutAlgorithm::Balanced;
    return input;
}

std::vector<float> wide(int n)
{
    return std::vector<float>(std::size_t(n), 16.f / 9);
}

// Cycles through the four common formats.
std::vector<float> mixedSnapped(int n)
{
    static const float formats[] = {16.f / 9, 4.f / 3, 9.f / 16, 2.39f};
    std::vector<float> ratios;
    for (int k = 0; k < n; ++k)
        ratios.push_back(formats[k % 4]);
    return ratios;
}

// Ratios that snap to nothing, all different.
std::vector<float> distinctFree(int n)
{
    std::vector<float> ratios;
    for (int k = 0; k < n; ++k)
        ratios.push_back(0.45f + 0.31f * float(k));
    return ratios;
}

// A field of /proc/self/status in kB ("VmRSS", "VmHWM").
double statusKilobytes(const std::string &field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field + ":"))
            return std::stod(line.substr(field.size() + 1));
    }
    return 0;
}

// Lets the peak resident size start again from the current one.
void resetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

void coldSearch(benchmark::State &state, std::vector<float> ratios, Area area)
{
    const SearchInput input = makeInput(ratios, area);
    NullSink sink;
    SearchReport report;
    resetPeakMemory();
    const double before = statusKilobytes("VmRSS");
    for (auto _ : state) {
        LayoutCache cache;
        benchmark::DoNotOptimize(findLayout(input, cache, sink, &report));
    }
    const double peak = statusKilobytes("VmHWM");
    state.counters["candidates"] = double(report.candidates);
    state.counters["work"] = double(report.work);
    state.counters["bounded"] = report.bounded ? 1 : 0;
    state.counters["peakMB"] = peak / 1024;
    state.counters["growthMB"] = (peak - before) / 1024;
}

void cachedAnswer(benchmark::State &state, std::vector<float> ratios, Area area)
{
    const SearchInput input = makeInput(ratios, area);
    NullSink sink;
    LayoutCache cache;
    findLayout(input, cache, sink);
    for (auto _ : state)
        benchmark::DoNotOptimize(findLayout(input, cache, sink));
    state.counters["cached"] = cache.lastLayout ? 1 : 0;
}

void literalSearch(benchmark::State &state, std::vector<float> ratios, Area area)
{
    const SearchInput input = makeInput(ratios, area);
    NullSink sink;
    for (auto _ : state) {
        LayoutCache cache;
        benchmark::DoNotOptimize(testing::findLayoutLiteral(input, cache, sink));
    }
}

void registerAll()
{
    struct Set
    {
        const char *name;
        std::vector<float> (*make)(int);
        int from;
        int to;
        int literalUpTo;
    };
    const Set sets[] = {{"wide", wide, 1, 10, 8},
                        {"mixed", mixedSnapped, 2, 8, 7},
                        {"distinct", distinctFree, 5, 8, 6},
                        {"wide-many", wide, 11, 16, 0},
                        {"mixed-many", mixedSnapped, 9, 16, 0},
                        {"distinct-many", distinctFree, 9, 16, 0}};
    // Past the full searches: the counts the window allows at most and some on the way.
    const int manyCounts[] = {17, 20, 24, 32, 48, 64};
    const Set capped[] = {{"wide-capped", wide, 0, 0, 0},
                          {"mixed-capped", mixedSnapped, 0, 0, 0},
                          {"distinct-capped", distinctFree, 0, 0, 0}};
    for (const Set &set : capped) {
        for (int n : manyCounts) {
            for (const Area &area : kAreas) {
                const std::string name =
                    std::string(set.name) + "/" + std::to_string(n) + "/" + area.name;
                benchmark::RegisterBenchmark(("cold/" + name).c_str(), coldSearch, set.make(n),
                                             area)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
    for (const Set &set : sets) {
        for (int n = set.from; n <= set.to; ++n) {
            for (const Area &area : kAreas) {
                const std::string name =
                    std::string(set.name) + "/" + std::to_string(n) + "/" + area.name;
                benchmark::RegisterBenchmark(("cold/" + name).c_str(), coldSearch, set.make(n),
                                             area)
                    ->Unit(benchmark::kMillisecond);
                benchmark::RegisterBenchmark(("cached/" + name).c_str(), cachedAnswer, set.make(n),
                                             area)
                    ->Unit(benchmark::kMicrosecond);
                if (n <= set.literalUpTo)
                    benchmark::RegisterBenchmark(("literal/" + name).c_str(), literalSearch,
                                                 set.make(n), area)
                        ->Unit(benchmark::kMillisecond)
                        ->Iterations(1);
            }
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
