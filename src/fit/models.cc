#include "fit/models.h"

#include "fit/leaky_model.h"

namespace fit {

const std::vector<ParameterInfo>* model_parameters(std::string_view name) {
  if (name == "leaky") return &leaky_parameters();
  return nullptr;
}

std::unique_ptr<AquiferModel> make_model(std::string_view name, WellFunction W) {
  if (name == "leaky") return std::make_unique<LeakyModel>(W);
  return nullptr;
}

FitSettings default_settings(std::string_view name) {
  const std::vector<ParameterInfo>* p = model_parameters(name);
  const std::size_t n = p != nullptr ? p->size() : 0;
  return {std::vector<bool>(n, true), std::vector<std::optional<double>>(n), std::vector<double>(n, 0.0), true};
}

}  // namespace fit
