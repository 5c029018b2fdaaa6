// Costs of the routines the view calls on every frame.
#include <benchmark/benchmark.h>

#include "numerics/julian.h"
#include "numerics/planets.h"
#include "numerics/quater.h"
#include "numerics/vect.h"

using namespace vantrel::numerics;

// One frame's ephemeris: the Sun and the Moon for the same T (the Earth cache hits).
static void BM_SunAndMoonSameT(benchmark::State& state) {
  Vec3 pos, pos2;
  for (auto _ : state) {
    PlanetPos(36160.5, 0, 0, pos, pos2);
    benchmark::DoNotOptimize(pos2);
    PlanetPos(36160.5, 31, 4, pos, pos2);
    benchmark::DoNotOptimize(pos2);
  }
}
BENCHMARK(BM_SunAndMoonSameT);

// The same with T moving every frame (both caches miss).
static void BM_SunAndMoonNewT(benchmark::State& state) {
  Vec3 pos, pos2;
  double T = 36160.5;
  for (auto _ : state) {
    T += 0.001;
    PlanetPos(T, 0, 0, pos, pos2);
    benchmark::DoNotOptimize(pos2);
    PlanetPos(T, 31, 4, pos, pos2);
    benchmark::DoNotOptimize(pos2);
  }
}
BENCHMARK(BM_SunAndMoonNewT);

static void BM_PlutoNewT(benchmark::State& state) {
  Vec3 pos, pos2;
  double T = 36160.5;
  for (auto _ : state) {
    T += 0.001;
    PlanetPos(T, 9, 0, pos, pos2);
    benchmark::DoNotOptimize(pos2);
  }
}
BENCHMARK(BM_PlutoNewT);

static void BM_EclToEqu(benchmark::State& state) {
  Vec3 v(1, 2, 3), out;
  for (auto _ : state) {
    EclToEqu(v, out);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_EclToEqu);

static void BM_EulerINewAngles(benchmark::State& state) {
  Vec3 v(1, 2, 3), out;
  double a = 0;
  for (auto _ : state) {
    a += 1e-3;
    EulerI(v, a, a, a, out);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_EulerINewAngles);

static void BM_QuatRotateVector(benchmark::State& state) {
  Vec3 v(1, 0, 0), out;
  Quat q(0.8f, 0.2f, -0.4f, 0.4f);
  for (auto _ : state) {
    QuatRotateVector(v, q, out);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_QuatRotateVector);

static void BM_DateToJDAndBack(benchmark::State& state) {
  double jd, jd0, y, m, d;
  for (auto _ : state) {
    DateToJD(2024, 7, 14.25, jd, jd0);
    JDToDate(jd, y, m, d);
    benchmark::DoNotOptimize(d);
  }
}
BENCHMARK(BM_DateToJDAndBack);
