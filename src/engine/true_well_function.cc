// The scalar form of the true well function: the templates of
// true_well_function-inl.h on plain doubles.

#include "engine/true_well_function.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "engine/true_scalar_ops.h"
#include "engine/true_well_function_constants.h"

namespace engine {
namespace scalar_form {

#include "engine/true_well_function-inl.h"

}  // namespace scalar_form

double true_well_function(double u, double rb) {
  return scalar_form::true_w_form::TrueW<scalar_form::ScalarOps>(u, rb);
}

}  // namespace engine
