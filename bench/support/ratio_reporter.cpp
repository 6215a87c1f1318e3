#include "ratio_reporter.h"

#include <cstdio>

namespace bench {
namespace {

// The name a run is found by: its function, then its arguments.
std::string keyOf(const benchmark::BenchmarkReporter::Run& run) {
  std::string key = run.run_name.function_name;
  if (!run.run_name.args.empty()) key += "/" + run.run_name.args;
  return key;
}

}  // namespace

RatioReporter::RatioReporter(Clock clock, OutputOptions options) : ConsoleReporter(options), clock_(clock) {}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs) {
    const std::string key = keyOf(run);
    const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
    // A repeated run keeps its median; the single repetitions only stand in
    // until the median arrives.
    if (!median && (run.run_type != Run::RT_Iteration || medians_.count(key) != 0)) continue;
    if (median) medians_.insert(key);
    Kept kept;
    const double time = clock_ == Clock::Cpu ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime();
    kept.seconds = time / benchmark::GetTimeUnitMultiplier(run.time_unit);
    for (const auto& [name, value] : run.counters) kept.counters[name] = value.value;
    runs_[key] = std::move(kept);
  }
}

std::optional<double> RatioReporter::seconds(const std::string& name) const {
  const auto found = runs_.find(name);
  if (found == runs_.end()) return std::nullopt;
  return found->second.seconds;
}

std::optional<double> RatioReporter::counter(const std::string& name, const std::string& counter) const {
  const auto found = runs_.find(name);
  if (found == runs_.end()) return std::nullopt;
  const auto value = found->second.counters.find(counter);
  if (value == found->second.counters.end()) return std::nullopt;
  return value->second;
}

void RatioReporter::printRatios(const std::string& subject, const std::string& label) const {
  const std::string suffix = "_" + subject;
  for (const auto& [name, kept] : runs_) {
    // "<pair>_<subject>" or "<pair>_<subject>/<arguments>".
    const auto split = name.find(suffix);
    if (split == std::string::npos) continue;
    const std::string rest = name.substr(split + suffix.size());
    if (!rest.empty() && rest[0] != '/') continue;
    const auto baseline = seconds(name.substr(0, split) + "_Baseline" + rest);
    if (!baseline || kept.seconds <= 0) continue;
    printRatio(name.substr(0, split) + rest, label, *baseline / kept.seconds);
  }
}

void printRatio(const std::string& name, const std::string& label, double value, int precision) {
  std::printf("ratio %-24s %s = %.*f\n", name.c_str(), label.c_str(), precision, value);
}

int runBenchmarks(int argc, char** argv, RatioReporter& reporter, const std::function<void()>& summary) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  summary();
  benchmark::Shutdown();
  return 0;
}

}  // namespace bench
