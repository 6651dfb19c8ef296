// Text order by code point (textorder::Compare) against plain byte order,
// sorting 100,000 keys: ASCII codes sharing a long prefix, where both read
// the same bytes, and Japanese names, where the code point order decodes
// the first differing characters.
// Run: build/bench/bench_text_order
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "text/Encoding.h"
#include "text/TextOrder.h"

namespace {

constexpr int kKeys = 100000;

std::vector<std::string> AsciiKeys() {
    std::vector<std::string> keys;
    std::mt19937 random(7);
    for (int k = 0; k < kKeys; ++k)
        keys.push_back("CUSTOMER-ACCOUNT-" + std::to_string(random() % 1000000000));
    return keys;
}

std::vector<std::string> JapaneseKeys() {
    const char* family[] = {"佐藤", "鈴木", "高橋", "田中", "伊藤", "渡辺", "山本", "中村", "小林", "加藤"};
    const char* given[] = {"太郎", "花子", "一郎", "美咲", "ｱｷﾗ", "ＡＢ", "健", "さくら"};
    std::vector<std::string> keys;
    std::mt19937 random(7);
    for (int k = 0; k < kKeys; ++k)
        keys.push_back(encoding::Utf8ToCp932(std::string(family[random() % 10]) + given[random() % 8]) +
                       std::to_string(random() % 1000));
    return keys;
}

template <typename Less>
void SortKeys(benchmark::State& state, const std::vector<std::string>& keys, Less less) {
    for (auto _ : state) {
        std::vector<std::string> copy = keys;
        std::sort(copy.begin(), copy.end(), less);
        benchmark::DoNotOptimize(copy.data());
    }
}

void BM_AsciiBytes(benchmark::State& state) { SortKeys(state, AsciiKeys(), std::less<std::string>()); }
void BM_AsciiCodePoints(benchmark::State& state) {
    SortKeys(state, AsciiKeys(),
             [](const std::string& a, const std::string& b) { return textorder::Less(a, b); });
}
void BM_JapaneseBytes(benchmark::State& state) { SortKeys(state, JapaneseKeys(), std::less<std::string>()); }
void BM_JapaneseCodePoints(benchmark::State& state) {
    SortKeys(state, JapaneseKeys(),
             [](const std::string& a, const std::string& b) { return textorder::Less(a, b); });
}

}  // namespace

BENCHMARK(BM_AsciiBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AsciiCodePoints)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JapaneseBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JapaneseCodePoints)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
