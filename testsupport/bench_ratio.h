// A Google Benchmark main that also prints, for each benchmark paired with an anchor measured in
// the same run, the ratio of their times: the figure a performance goal is judged by.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  bool ReportContext(const Context& context) override { return ConsoleReporter::ReportContext(context); }
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  // Prints "ratio <subject> / <anchor>: x" for each pair that ran; false if one did not.
  bool PrintRatios(const std::vector<std::pair<std::string, std::string>>& pairs) const {
    bool all = true;
    for (const auto& [subject, anchor] : pairs) {
      auto s = times_.find(subject), a = times_.find(anchor);
      if (s == times_.end() || a == times_.end() || a->second <= 0) {
        all = false;
        continue;
      }
      std::printf("ratio %s / %s: %.2f\n", subject.c_str(), anchor.c_str(), s->second / a->second);
    }
    return all;
  }

 private:
  std::map<std::string, double> times_;
};

inline int RunWithRatios(int argc, char** argv, const std::vector<std::pair<std::string, std::string>>& pairs) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  reporter.PrintRatios(pairs);
  return 0;
}

}  // namespace testsupport
