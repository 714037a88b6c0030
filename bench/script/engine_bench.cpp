// The engine alone: a rewritten rule evaluated again and again on one engine,
// and a fresh engine for every evaluation.
#include <benchmark/benchmark.h>

#include "script/engine.h"

namespace {

void BM_EvalRuleOnOneEngine(benchmark::State& state) {
  vbs::Engine engine;
  for (auto _ : state) benchmark::DoNotOptimize(engine.Eval(u"1250+37+0=1287"));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvalRuleOnOneEngine);

void BM_EvalLongerRuleOnOneEngine(benchmark::State& state) {
  vbs::Engine engine;
  for (auto _ : state)
    benchmark::DoNotOptimize(
        engine.Eval(u"(12.5+3.25+0+17)*2>=65.5 And 100-37.5<=62.5 Or Not 1=2"));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvalLongerRuleOnOneEngine);

void BM_NewEngineForEachRule(benchmark::State& state) {
  for (auto _ : state) {
    vbs::Engine engine;
    benchmark::DoNotOptimize(engine.Eval(u"1250+37+0=1287"));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NewEngineForEachRule);

}  // namespace
