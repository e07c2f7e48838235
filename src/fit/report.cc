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

std::string with_unit(double v, const std::string& unit) { return g(v) + (unit.empty() ? "" : " " + unit); }

std::string percent(double se, double v) { return std::isfinite(se) ? g(100.0 * se / v, 2) + "%" : "unbounded"; }

std::string parameter_lines(const PumpingTest& test, const AquiferModel& model, const Estimate& e, std::size_t j) {
  const std::string name(model.parameters()[j].name);
  std::string out;
  if (!test.fit.fitted[j]) {
    return name + std::string(16 - name.size(), ' ') + with_unit(e.value[j], model.forms(j, test.units)[0].unit) + " (fixed)\n";
  }
  bool first = true;
  for (const Shown& f : model.forms(j, test.units)) {
    const std::string label = first ? name : "";
    out += label + std::string(16 - label.size(), ' ') + with_unit(e.value[j] * f.factor, f.unit) + "  +/- " +
           g(e.standard_error[j] * f.factor, 3) + (first ? " (" + percent(e.standard_error[j], e.value[j]) + ")" : "") +
           "  95%: " + g(e.interval[j][0] * f.factor) + " to " + g(e.interval[j][1] * f.factor) + "\n";
    first = false;
  }
  return out + model.note(j, test.units, e.value[j], e.interval[j]);
}

// A span of days in the test's time unit, as "1.5 min".
std::string in_time_unit(double days, const Units& u) { return g(days / u.time.factor, 3) + " " + std::string(u.time.name); }

// The serial correlation of observation `k`, after its name: "r1 = 0.812
// over 34 readings (limit 0.343)" and whether it is significant and allowed for.
std::string serial_line(const PumpingTest& test, const Estimate& e, std::size_t k) {
  const SerialCorrelation& s = e.serial[k];
  char r1[32];
  std::snprintf(r1, sizeof r1, "%.3f", s.r1);
  std::string out = "r1 = " + std::string(r1) + " over " + std::to_string(s.readings) + " readings (limit " +
                    g(s.limit, 3) + ")";
  if (s.phi > 0.0)
    out += ": significant; AR(1) errors allowed for, phi " + g(s.phi, 3) + " per " + in_time_unit(s.spacing, test.units);
  else if (s.significant)
    out += test.fit.serial_errors ? ": significant, negative (the standard errors are left as they are)" : ": significant";
  return out;
}

// The residuals' lag-1 autocorrelation per observation, and what the
// uncertainty above allows for.
std::string serial_text(const PumpingTest& test, const Estimate& e) {
  if (e.serial.size() != test.observations.size()) return "";
  std::string out = "\nresidual autocorrelation (lag 1, in time order; significant where |r1| > 2/sqrt(n))\n";
  for (std::size_t k = 0; k < e.serial.size(); ++k) {
    const std::string name = base::one_line(test.observations[k].name);
    out += name + std::string(name.size() < 16 ? 16 - name.size() : 1, ' ') + serial_line(test, e, k) + "\n";
  }
  if (any_ar1(e.serial))
    out += "the standard errors, correlations and 95% intervals above allow for these AR(1) errors (" +
           g(effective_readings(e.serial), 3) + " effective readings)\n";
  return out;
}

}  // namespace

std::string estimates_text(const PumpingTest& test, const AquiferModel& model, const Estimate& e) {
  const Units& u = test.units;
  const std::size_t count = parameter_count(model);
  std::string out = "parameter       estimate, standard error (relative) and 95% interval\n";
  for (std::size_t j = 0; j < count; ++j) out += parameter_lines(test, model, e, j);
  std::vector<std::size_t> fitted;
  for (std::size_t j = 0; j < count; ++j)
    if (test.fit.fitted[j]) fitted.push_back(j);
  if (fitted.size() > 1) {
    out += "\ncorrelation\n";
    for (std::size_t a : fitted) {
      const std::string name(model.parameters()[a].name);
      std::string line = name + std::string(16 - name.size(), ' ');
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
  out += serial_text(test, e);
  if (!e.warnings.empty()) out += "\n";
  for (const std::string& w : e.warnings) out += "warning: " + w + "\n";
  return out;
}

std::vector<double> aquifer_factors(const PumpingTest& test, const AquiferModel& model) {
  std::vector<double> factor;
  for (const ParameterInfo& p : model.parameters()) factor.push_back(test.units.metric() ? p.study_metric_factor : 1.0);
  return factor;
}

std::string aquifer_toml(const PumpingTest& test, const AquiferModel& model, const Estimate& e) {
  // A metric test's values in a study's metric units, else in the program's.
  const bool metric = test.units.metric();
  const std::vector<ParameterInfo>& info = model.parameters();
  const std::vector<double> factor = aquifer_factors(test, model);
  std::string units, units_line;
  for (const ParameterInfo& p : info) {
    const std::string_view unit = metric ? p.study_metric_unit : p.unit;
    if (unit.empty()) continue;
    units += (units.empty() ? "" : ", ") + std::string(unit);
    if (metric)
      units_line += (units_line.empty() ? "" : ", ") + std::string(p.name) + " = \"" + std::string(unit) + "\"";
  }
  std::string out;
  if (!e.determined)
    out += "# NOT DETERMINED: the readings do not determine these values (see the fit's warnings); do not use them.\n";
  out += "# Fitted to the pumping test '" + base::one_line(test.title) + "' (" + test.file + ").\n";
  if (metric)
    out += "# Paste the units line and the [aquifer] table into a study; units " + units + ".\nunits = { " + units_line +
           " }\n\n[aquifer]\n";
  else
    out += "# Paste the [aquifer] table into a study; units " + units + ".\n[aquifer]\n";
  std::string errors;
  for (std::size_t j : model.aquifer_order()) {
    const std::string name(info[j].name);
    const std::string value = base::shortest_text(e.value[j] * factor[j]);
    const double se = e.standard_error[j] * factor[j];
    out += name + " = " + (value.find_first_of(".e") == std::string::npos ? value + ".0" : value);
    out += test.fit.fitted[j] ? "   # standard error " + g(se, 3) + "\n" : "   # held, not fitted\n";
    if (test.fit.fitted[j]) errors += std::string(errors.empty() ? "" : ", ") + name + " = " + base::shortest_text(se);
  }
  out += "\n[fit]\nrmse = " + base::shortest_text(metric ? e.rmse * kMetresPerFoot : e.rmse) +
         (metric ? "   # metres\n" : "   # feet\n");
  out += "standard_error = { " + errors + " }\n";
  out += "observations = " + std::to_string(e.readings) + "\n";
  if (e.serial.size() == test.observations.size()) {
    out += "# lag-1 autocorrelation of the residuals, significant where |r1| > 2/sqrt(n):\n";
    for (std::size_t k = 0; k < e.serial.size(); ++k)
      out += "#   " + base::one_line(test.observations[k].name) + ": " + serial_line(test, e, k) + "\n";
  }
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
