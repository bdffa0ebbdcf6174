// Reading a dialog's layout on every WM_SIZE must cost about as little as touching its bytes:
// the anchor copies the same template, the subject parses it.
#include <benchmark/benchmark.h>

#include <vector>

#include "dialogs/dialog_template.h"
#include "dialogs/tests/template_writer.h"
#include "testsupport/bench_ratio.h"

namespace {

using namespace quintar::dialogs;

// A busy page: forty controls, as the larger option pages have.
std::vector<std::byte> BusyTemplate() {
  std::vector<fixtures::Item> items;
  for (int i = 0; i < 40; ++i)
    items.push_back({static_cast<std::uint32_t>(1000 + i), static_cast<std::int16_t>(4 + i % 3 * 50),
                     static_cast<std::int16_t>(4 + i * 12), 46, 10});
  return fixtures::Extended(items);
}

void BM_CopyTemplate(benchmark::State& state) {
  const std::vector<std::byte> bytes = BusyTemplate();
  for (auto _ : state) {
    std::vector<std::byte> copy(bytes);
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CopyTemplate);

void BM_ParseTemplate(benchmark::State& state) {
  const std::vector<std::byte> bytes = BusyTemplate();
  for (auto _ : state) {
    auto layout = ParseDialogTemplate(bytes);
    benchmark::DoNotOptimize(layout);
  }
}
BENCHMARK(BM_ParseTemplate);

}  // namespace

int main(int argc, char** argv) {
  return testsupport::RunWithRatios(argc, argv, {{"BM_ParseTemplate", "BM_CopyTemplate"}});
}
