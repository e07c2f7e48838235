#include "fit/report.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "base/shortest_text.h"
#include "base/csv_text.h"
#include "base/text_table.h"

namespace fit {
namespace {

std::string g(double v, int digits = 5) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*g", digits, v);
  return text;
}

// A parameter's value in the program's units, the test's and SI.
struct Shown {
  double factor;      // from the program's unit
  std::string unit;   // "" : dimensionless
};

// The leakance as 1/time of the test, or the resistance c = 1/leakance in days.
std::vector<Shown> forms(std::size_t j, const Units& u) {
  const double gpd_ft = transmissivity_in(1.0, u);
  const std::string area = u.length.name == "ft" ? "ft2" : "m2";
  if (j == kTransmissivity) {
    std::vector<Shown> f = {{1.0, "gpd/ft"}, {gpd_ft, area + "/" + std::string(u.time.name)}};
    if (u.metric() && u.time.name != "d") f.push_back({transmissivity_in(1.0, Units{u.length, {"d", 1.0}, u.rate}), "m2/d"});
    return f;
  }
  if (j == kLeakance) return {{1.0, "gpd/ft3"}, {u.time.factor / kGallonsPerCubicFoot, "1/" + std::string(u.time.name)}};
  return {{1.0, ""}};
}

std::string with_unit(double v, const std::string& unit) { return g(v) + (unit.empty() ? "" : " " + unit); }

std::string percent(double se, double v) { return std::isfinite(se) ? g(100.0 * se / v, 2) + "%" : "unbounded"; }

std::string parameter_lines(const PumpingTest& test, const Estimate& e, std::size_t j) {
  const std::string name = kParameterNames[j];
  std::string out;
  if (!test.fit.fitted[j]) {
    return name + std::string(16 - name.size(), ' ') + with_unit(e.value[j], forms(j, test.units)[0].unit) + " (fixed)\n";
  }
  bool first = true;
  for (const Shown& f : forms(j, test.units)) {
    const std::string label = first ? name : "";
    out += label + std::string(16 - label.size(), ' ') + with_unit(e.value[j] * f.factor, f.unit) + "  +/- " +
           g(e.standard_error[j] * f.factor, 3) + (first ? " (" + percent(e.standard_error[j], e.value[j]) + ")" : "") +
           "  95%: " + g(e.interval[j][0] * f.factor) + " to " + g(e.interval[j][1] * f.factor) + "\n";
    first = false;
  }
  if (j == kLeakance && test.units.metric())
    out += std::string(16, ' ') + "resistance c = b'/K' " + g(resistance_days(e.value[j])) + " d (95%: " +
           g(resistance_days(e.interval[j][1])) + " to " + g(resistance_days(e.interval[j][0])) + " d)\n";
  return out;
}

}  // namespace

std::string estimates_text(const PumpingTest& test, const Estimate& e) {
  const Units& u = test.units;
  std::string out = "parameter       estimate, standard error (relative) and 95% interval\n";
  for (std::size_t j = 0; j < kParameterCount; ++j) out += parameter_lines(test, e, j);
  std::vector<std::size_t> fitted;
  for (std::size_t j = 0; j < kParameterCount; ++j)
    if (test.fit.fitted[j]) fitted.push_back(j);
  if (fitted.size() > 1) {
    out += "\ncorrelation\n";
    for (std::size_t a : fitted) {
      std::string line = std::string(kParameterNames[a]) + std::string(16 - std::string(kParameterNames[a]).size(), ' ');
      for (std::size_t b : fitted) {
        char cell[16];
        std::snprintf(cell, sizeof cell, "%7.3f", e.correlation[a][b]);
        line += cell;
      }
      out += line + "\n";
    }
  }
  out += "\nRMSE " + g(e.rmse / u.length.factor, 4) + " " + std::string(u.length.name) +
         (u.length.name == "ft" ? "" : " (" + g(e.rmse, 4) + " ft)") + " over " + std::to_string(e.readings) +
         " readings; best of " + std::to_string(e.starts) + " starting points\n";
  if (!e.warnings.empty()) out += "\n";
  for (const std::string& w : e.warnings) out += "warning: " + w + "\n";
  return out;
}

std::string aquifer_toml(const PumpingTest& test, const Estimate& e) {
  std::string out = "# Fitted to the pumping test '" + base::one_line(test.title) + "' (" + test.file + ").\n";
  out += "# Paste the [aquifer] table into a study; units gpd/ft, gpd/ft^3.\n[aquifer]\n";
  std::string errors;
  for (std::size_t j : {kTransmissivity, kLeakance, kStorage}) {
    const std::string value = base::shortest_text(e.value[j]);
    out += std::string(kParameterNames[j]) + " = " + (value.find_first_of(".e") == std::string::npos ? value + ".0" : value);
    out += test.fit.fitted[j] ? "   # standard error " + g(e.standard_error[j], 3) + "\n" : "   # held, not fitted\n";
    if (test.fit.fitted[j])
      errors += std::string(errors.empty() ? "" : ", ") + kParameterNames[j] + " = " + base::shortest_text(e.standard_error[j]);
  }
  out += "\n[fit]\nrmse = " + base::shortest_text(e.rmse) + "   # feet\n";
  out += "standard_error = { " + errors + " }\n";
  out += "observations = " + std::to_string(e.readings) + "\n";
  return out;
}

std::string residuals_csv(const PumpingTest& test, const Estimate& e) {
  const Units& u = test.units;
  std::string out = "observation,time,observed,fitted,residual\n";
  std::size_t i = 0;
  for (const Observation& o : test.observations)
    for (const Reading& r : o.readings) {
      const double fitted = e.fitted[i++] / u.length.factor;
      out += base::csv_field(o.name) + "," + base::shortest_text(r.time_given) + "," +
             base::shortest_text(r.drawdown_given) + "," + g(fitted, 9) + "," + g(r.drawdown_given - fitted, 9) + "\n";
    }
  return out;
}

}  // namespace fit
