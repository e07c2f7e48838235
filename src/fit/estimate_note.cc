#include "fit/estimate_note.h"

#include <cmath>
#include <cstdio>

namespace fit {
namespace {

std::string g3(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", v);
  return text;
}

}  // namespace

std::vector<std::string> estimate_note(const PumpingTest& test, const AquiferModel& model, const Estimate& e) {
  std::vector<std::string> lines;
  const std::vector<ParameterInfo>& info = model.parameters();
  for (std::size_t j = 0; j < info.size(); ++j) {
    const bool fitted = j < test.fit.fitted.size() && test.fit.fitted[j];
    if (!fitted && info[j].zero_when_held && e.value[j] == 0.0) continue;
    const std::vector<Shown> forms = model.forms(j, test.units);
    const Shown& f = forms.size() > 1 ? forms[1] : forms[0];
    const std::string unit = f.unit.empty() ? "" : " " + f.unit;
    std::string line = std::string(info[j].name) + " = " + g3(e.value[j] * f.factor) + unit;
    if (!fitted) {
      line += " (held)";
    } else if (std::isfinite(e.interval[j][0]) && std::isfinite(e.interval[j][1])) {
      line += " (95%: " + g3(e.interval[j][0] * f.factor) + " to " + g3(e.interval[j][1] * f.factor) + ")";
    } else {
      line += " (95% interval unbounded)";
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace fit
