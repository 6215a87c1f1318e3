#pragma once

// The reporter of every benchmark program: it prints the runs as usual and
// keeps each run's time per iteration and counters, so that the program can
// print its ratios against the baselines after the run, one "ratio" line per
// pair (`<program> | grep ratio` shows them).

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Which time a run counts. CPU time suits single-threaded runs on a busy
  // machine, where the wall clock also measures the other processes.
  enum class Clock { Real, Cpu };

  explicit RatioReporter(Clock clock = Clock::Real, OutputOptions options = OO_Defaults);

  void ReportRuns(const std::vector<Run>& runs) override;

  // Seconds per iteration of a run, by its name and arguments ("Fire_Com",
  // "AddItems_Server/10000"): the median when the run was repeated.
  std::optional<double> seconds(const std::string& name) const;

  // A counter of a run, by the same name: the median when repeated.
  std::optional<double> counter(const std::string& name, const std::string& counter) const;

  // For every pair of runs "<pair>_<subject>" and "<pair>_Baseline" (with the
  // same arguments), prints the baseline's time over the subject's: above 1
  // means the subject is faster.
  void printRatios(const std::string& subject, const std::string& label) const;

 private:
  struct Kept {
    double seconds = 0;
    std::map<std::string, double> counters;
  };
  Clock clock_;
  std::map<std::string, Kept> runs_;
  std::set<std::string> medians_;
};

// One summary line, "ratio <name> <label> = <value>".
void printRatio(const std::string& name, const std::string& label, double value, int precision = 2);

// Runs the benchmarks the command line selects with `reporter`, then
// `summary`; the body of every benchmark program's main().
int runBenchmarks(int argc, char** argv, RatioReporter& reporter, const std::function<void()>& summary);

}  // namespace bench
