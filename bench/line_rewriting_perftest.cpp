// Micro-benchmarks of the line tests, the line edits and the rewrite cycle (Google Benchmark).
// Built with -DEVALCONV_BENCHMARKS=ON; run build/bench/bench/evalconv_perftest.
#include <benchmark/benchmark.h>

#include <string>

#include "rewriters/hypervisor_config.h"
#include "text/line_rewriting.h"

namespace {

const Pattern& DeviceSelector() {
  static const Pattern pattern = CompilePattern("[ ]*\"device_ID\"[ ]*=.*");
  return pattern;
}

void MatchesWholeLineMiss(benchmark::State& state) {
  const std::string line = "    \"vendor_ID\" = uint32: 0x8086";
  for (auto _ : state) benchmark::DoNotOptimize(MatchesWholeLine(line, DeviceSelector()));
}
BENCHMARK(MatchesWholeLineMiss);

void MatchesWholeLineHit(benchmark::State& state) {
  const std::string line = "    \"device_ID\" = uint32: 0x3005  # fieldbus";
  for (auto _ : state) benchmark::DoNotOptimize(MatchesWholeLine(line, DeviceSelector()));
}
BENCHMARK(MatchesWholeLineHit);

void ReplaceAllOneMatch(benchmark::State& state) {
  const Pattern value = CompilePattern("uint32:[ ]*0x3005");
  const std::string line = "    \"device_ID\" = uint32: 0x3005  # fieldbus";
  const std::string replacement = "uint32: 0x3006 # use QM4412 on Eval-Board";
  for (auto _ : state) benchmark::DoNotOptimize(ReplaceAll(line, value, replacement));
}
BENCHMARK(ReplaceAllOneMatch);

void MatchesWholeLineLong(benchmark::State& state) {
  const Pattern bus = CompilePattern("[ ]*\"bus\"[ ]*=.*");
  const std::string line = "    \"bus\" = " + std::string(static_cast<size_t>(state.range(0)), 'x');
  for (auto _ : state) benchmark::DoNotOptimize(MatchesWholeLine(line, bus));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(line.size()));
}
BENCHMARK(MatchesWholeLineLong)->Arg(1 << 20)->Arg(8 << 20);

void ReplaceAllLongList(benchmark::State& state) {
  const Pattern list = CompilePattern("\\[[0-9, ]+\\]");
  std::string line = "\"Bus\": [";
  while (line.size() < static_cast<size_t>(state.range(0))) line += "12, ";
  line += "3]";
  for (auto _ : state) benchmark::DoNotOptimize(ReplaceAll(line, list, "[2]"));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(line.size()));
}
BENCHMARK(ReplaceAllLongList)->Arg(1 << 20)->Arg(8 << 20);

// A hypervisor configuration of short lines, most of them examined by the [/PCI/2] rules.
void RewriteHypervisorText(benchmark::State& state) {
  std::string text = "[/PCI]\r\n[/PCI/5]\r\n[/PCI/2]\r\n";
  while (text.size() < (4u << 20)) {
    text += "    \"vendor_ID\" = uint32: 0x8086\r\n    \"device_ID\" = uint32: 0x3005  # x\r\n"
            "    \"OS\" = uint32: 1\r\n\r\n[/PCI/9]\r\n";
  }
  for (auto _ : state) benchmark::DoNotOptimize(RewriteText(text, MakeHypervisorLineHandler()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(RewriteHypervisorText)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
