// The operations of true_well_function-inl.h on one plain double, for the
// scalar form of the true well function (true_well_function.cc) and the
// radial tables' fitting (true_radial.cc).
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

namespace engine::scalar_form {

// The operations of true_well_function-inl.h on one double.
struct ScalarOps {
  using V = double;
  using M = bool;
  using U = std::uint64_t;
  static V Set(double x) { return x; }
  static V Add(V a, V b) { return a + b; }
  static V Sub(V a, V b) { return a - b; }
  static V Mul(V a, V b) { return a * b; }
  static V Div(V a, V b) { return a / b; }
  static V Sqrt(V a) { return std::sqrt(a); }
  static V Abs(V a) { return std::fabs(a); }
  static M Lt(V a, V b) { return a < b; }
  static M Le(V a, V b) { return a <= b; }
  static M Eq(V a, V b) { return a == b; }
  static M IsNaN(V a) { return a != a; }
  static M And(M a, M b) { return a && b; }
  static M Or(M a, M b) { return a || b; }
  static M AndNot(M a, M b) { return !a && b; }
  static V Select(M m, V yes, V no) { return m ? yes : no; }
  static bool Any(M m) { return m; }
  static U Bits(V a) { return std::bit_cast<U>(a); }
  static V FromBits(U a) { return std::bit_cast<V>(a); }
  static U SetU(std::uint64_t a) { return a; }
  static U AddU(U a, U b) { return a + b; }
  static U SubU(U a, U b) { return a - b; }
  static U AndU(U a, U b) { return a & b; }
  static U OrU(U a, U b) { return a | b; }
  static U Shl52(U a) { return a << 52; }
  static U Shr52(U a) { return a >> 52; }
};

}  // namespace engine::scalar_form
