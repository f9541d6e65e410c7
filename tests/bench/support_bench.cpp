// Cost of the calls every module makes: the level-tested log, word matching,
// hashing, the hash table and the random generator.
#include "support/debug_log.h"
#include "support/hash_table.h"
#include "support/random.h"
#include "support/util.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <deque>
#include <string>

#include <unistd.h>

namespace {

void BM_DisabledLogLine(benchmark::State& state)
{
    int saved = tarv_debug_level;
    tarv_debug_level = 1;
    int value = 0;
    for (auto _ : state) {
        TARV_LOG(2, "DEBUG - value %d\n", value);
        benchmark::DoNotOptimize(++value);
    }
    tarv_debug_level = saved;
}
BENCHMARK(BM_DisabledLogLine);

void BM_WrittenLogLine(benchmark::State& state)
{
    std::string path = "/tmp/tessel-bench-log-" + std::to_string(getpid()) + ".txt";
    if (tarv_client_debug_logfile_is_open()) tarv_client_debug_logfile_close();
    tarv_client_set_debug_logfile_name(path.c_str());
    int value = 0;
    for (auto _ : state) TARV_LOG(1, "Warning in bench::run(), value %d.\n", ++value);
    tarv_client_debug_logfile_close();
    std::remove(path.c_str());
}
BENCHMARK(BM_WrittenLogLine);

void BM_WordAbbrev(benchmark::State& state)
{
    const char* words[] = {"sc", "score", "look", "inventory", "scores"};
    for (auto _ : state)
        for (const char* w : words) benchmark::DoNotOptimize(word_abbrev(w, "score now", 3));
}
BENCHMARK(BM_WordAbbrev);

void BM_HashText(benchmark::State& state)
{
    std::string text(static_cast<std::size_t>(state.range(0)), 'k');
    for (auto _ : state) benchmark::DoNotOptimize(tarv_hash_text(text.c_str()));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_HashText)->Arg(16)->Arg(256);

struct named {
    std::string name;
};

std::uint32_t hash_record(const void* r)
{
    return tarv_hash_text(static_cast<const named*>(r)->name.c_str());
}
std::uint32_t hash_key(const void* k)
{
    return tarv_hash_text(static_cast<const char*>(k));
}
int match(const void* r, const void* k)
{
    return static_cast<const named*>(r)->name == static_cast<const char*>(k);
}

void BM_HashTableFind(benchmark::State& state)
{
    std::deque<named> records;
    VoidPointerHashTable table(hash_record, hash_key, match);
    for (int i = 0; i < state.range(0); ++i) {
        records.push_back({"soundpack/effect" + std::to_string(i) + ".ogg"});
        table.add(&records.back());
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.find(records[i].name.c_str()));
        i = (i + 1) % records.size();
    }
}
BENCHMARK(BM_HashTableFind)->Arg(1000)->Arg(20000);

void BM_RandomNext(benchmark::State& state)
{
    tarv_random generator;
    for (auto _ : state) benchmark::DoNotOptimize(generator.next());
}
BENCHMARK(BM_RandomNext);

}  // namespace
