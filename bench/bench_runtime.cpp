// Speed of the number text routines that the data file reader and writer run per field.
#include <benchmark/benchmark.h>

#include "numerics/valloc.h"
#include "platform/runtime/vb.h"

namespace {

void BM_Val(benchmark::State& st) {
  const char* t = "-1234.5678901234";
  for (auto _ : st) benchmark::DoNotOptimize(vantrel::rt::Val(t));
}
BENCHMARK(BM_Val);

void BM_ValLocVPlain(benchmark::State& st) {
  int flag;
  for (auto _ : st) benchmark::DoNotOptimize(vantrel::numerics::ValLocV("6778.1370000000", flag));
}
BENCHMARK(BM_ValLocVPlain);

void BM_ValLocVComma(benchmark::State& st) {
  int flag;
  for (auto _ : st) benchmark::DoNotOptimize(vantrel::numerics::ValLocV("6778,1370000000", flag));
}
BENCHMARK(BM_ValLocVComma);

void BM_FormatTenDecimals(benchmark::State& st) {
  double x = 6778.137;
  for (auto _ : st) benchmark::DoNotOptimize(vantrel::rt::Format(x, "0.0000000000"));
}
BENCHMARK(BM_FormatTenDecimals);

}  // namespace
