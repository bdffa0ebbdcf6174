// Throughput of the registry file writer and reader on a key set shaped like the Wine benchmark's:
// 5,000 keys of ten values each, all four types.
#include <benchmark/benchmark.h>

#include "regeditor/core/regfile.h"

using namespace quintar::tamsk::core;

namespace {

std::string MakeFile() {
  std::string out;
  AppendHeader(out);
  std::vector<std::uint8_t> bin(40);
  for (std::size_t i = 0; i < bin.size(); ++i) bin[i] = static_cast<std::uint8_t>(i * 7);
  std::vector<std::uint8_t> dword = {1, 2, 3, 4};
  std::vector<std::uint8_t> sz = StringData(u"Some string value of moderate length");
  std::vector<std::uint8_t> multi = MultiStringData(u"first");
  for (int k = 0; k < 5000; ++k) {
    std::string n = std::to_string(k);
    AppendKeyLine(out, u"HKEY_CURRENT_USER", u"\\Software\\Bench\\Key" + std::u16string(n.begin(), n.end()));
    for (int v = 0; v < 10; ++v) {
      std::u16string name = u"Value" + std::u16string(1, u'0' + v);
      switch (v % 4) {
        case 0:
          AppendValueLine(out, name, kRegSz, sz);
          break;
        case 1:
          AppendValueLine(out, name, kRegDword, dword);
          break;
        case 2:
          AppendValueLine(out, name, kRegBinary, bin);
          break;
        case 3:
          AppendValueLine(out, name, kRegMultiSz, multi);
          break;
      }
    }
  }
  return out;
}

void BM_Write(benchmark::State& state) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string f = MakeFile();
    bytes += f.size();
    benchmark::DoNotOptimize(f.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_Write)->Unit(benchmark::kMillisecond);

void BM_Read(benchmark::State& state) {
  std::string f = MakeFile();
  for (auto _ : state) {
    ParsedFile p = ParseRegFile(f);
    benchmark::DoNotOptimize(p.keys.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(f.size() * state.iterations()));
}
BENCHMARK(BM_Read)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
