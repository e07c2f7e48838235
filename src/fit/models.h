// The aquifer models the fit knows, by name: a second model is its own file
// and one line in models.cc.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "fit/aquifer_model.h"
#include "fit/pumping_test.h"

namespace fit {

/// The parameters of the model named `name` (nullptr: no such model).
const std::vector<ParameterInfo>* model_parameters(std::string_view name);

/// The model named `name` with the well function `W` (nullptr: no such model).
std::unique_ptr<AquiferModel> make_model(std::string_view name, WellFunction W);

/// The settings of a model's parameters before a test gives any: all fitted,
/// none started, every held value 0.
FitSettings default_settings(std::string_view name);

}  // namespace fit
