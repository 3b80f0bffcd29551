// What Ctrl+F costs on three years of history: the search reads every month when the word is
// rare. Beside it, the floor: the same files read and searched as raw bytes, case folded.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/cp1251_case.h"
#include "services/history_search.h"

namespace {

constexpr int kMonths = 36;
constexpr int kEntriesPerMonth = 20000;
std::string folder;
long long totalBytes = 0;

std::string Named(const std::string& name, const std::string& text) {
    return "<span OnMouseOver=\"this.className='usernameover'\" OnMouseOut=\"this.className='username'\" "
           "class=\"username\">&lt;" +
           name + "&gt;</span>: " + text;
}

void Prepare() {
    if (!folder.empty()) return;
    char dir[] = "/tmp/zc-history-bench-XXXXXX";
    folder = std::string(mkdtemp(dir));
    for (int m = 0; m < kMonths; ++m) {
        const int year = 2023 + m / 12, month = 1 + m % 12;
        for (const bool isMain : {true, false}) {
            const std::string path = zc::HistoryMonthFile(folder, year, month, isMain);
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
            std::ofstream out(path, std::ios::binary);
            const int entries = isMain ? kEntriesPerMonth : kEntriesPerMonth / 10;
            for (int i = 0; i < entries; ++i) {
                char stamp[32];
                std::snprintf(stamp, sizeof stamp, "[%02d/%02d/%04d] [%02d:%02d:%02d] ", 1 + i % 28, month, year,
                              i / 3600 % 24, i / 60 % 60, i % 60);
                // The one rare word sits in the oldest month.
                const std::string text = m == 0 && isMain && i == 7 ? "the <b>Zanzibar</b> report &amp; more"
                                                          : "lunch at twelve? see www.example.org &amp; bring it";
                out << stamp << Named(i % 2 ? "Bob" : "Alice", text) << "\n<br>";
            }
        }
    }
    for (const auto& f : std::filesystem::recursive_directory_iterator(folder))
        if (f.is_regular_file()) totalBytes += static_cast<long long>(f.file_size());
}

void BM_SearchRareWord(benchmark::State& state) {
    Prepare();
    for (auto _ : state) {
        const auto hits = zc::SearchHistory(folder, "zanzibar");
        if (hits.size() != 1) state.SkipWithError(("found " + std::to_string(hits.size()) + " times").c_str());
        benchmark::DoNotOptimize(hits);
    }
    state.SetBytesProcessed(state.iterations() * totalBytes);
}
BENCHMARK(BM_SearchRareWord)->Unit(benchmark::kMillisecond);

// The floor: every file read whole, folded and searched, nothing parsed.
void BM_RawBytesFloor(benchmark::State& state) {
    Prepare();
    char fold[256];
    for (int c = 0; c < 256; ++c) fold[c] = zc::Cp1251Lower(static_cast<char>(c));
    for (auto _ : state) {
        size_t found = 0;
        for (const auto& f : std::filesystem::recursive_directory_iterator(folder)) {
            if (!f.is_regular_file()) continue;
            std::ifstream in(f.path(), std::ios::binary);
            std::string bytes(f.file_size(), '\0');
            in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            for (char& c : bytes) c = fold[static_cast<unsigned char>(c)];
            if (bytes.find("zanzibar") != std::string::npos) ++found;
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(state.iterations() * totalBytes);
}
BENCHMARK(BM_RawBytesFloor)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
