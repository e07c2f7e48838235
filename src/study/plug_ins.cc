#include "study/plug_ins.h"

namespace study {

ExactWellFunction exact_well_function() { return nullptr; }

bool hydrographs_available() { return false; }

std::string write_hydrographs(const std::string&, const Study&, const std::vector<double>&,
                              const std::vector<std::vector<float>>&) {
  return "this build draws no hydrographs";
}

}  // namespace study
