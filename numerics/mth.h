#pragma once
// Small helpers on unsigned depths, minimum and maximum, and the single-precision angle.

#include <cstdint>

namespace vantrel::numerics {

// l read as an unsigned 32-bit number (the depths of the selection buffer).
double ULongToDouble(int32_t l);

// a when greater, else b (b on a tie).
template <class T>
T VMax(const T& a, const T& b) {
  return a > b ? a : b;
}
// a when smaller, else b.
template <class T>
T VMin(const T& a, const T& b) {
  return a < b ? a : b;
}

double Clamp(double x, double lo, double hi);

// Angle of the point (x, y) in (-pi, pi], computed in double, returned as float.
float Atn2Sng(float x, float y);

}  // namespace vantrel::numerics
