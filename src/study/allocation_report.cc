#include "study/allocation_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "allocation/responses.h"
#include "base/csv_text.h"
#include "base/printable.h"
#include "base/text_table.h"
#include "files/output_file.h"

namespace study {
namespace {

std::string fixed(double v, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

std::string general(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.9g", v);
  return text;
}

std::string named(const std::string& name) {
  std::string text(1, '\'');
  text.append(base::one_line(name)).push_back('\'');
  return text;
}

// A factor shown rounded down to 0.001 (so that a rate shown keeps every limit).
std::string factor_text(double f) { return fixed(std::floor(f * 1000.0) / 1000.0, 3); }

// The schedule's largest rate in magnitude (its sign kept), engine units.
double planned_rate(const Well& w) {
  double most = 0.0;
  for (const Step& step : w.steps)
    if (std::fabs(step.rate) > std::fabs(most)) most = step.rate;
  return most;
}

// A volume of engine gallons as the study shows it: cubic metres when its
// rates are metric, else gallons; and the unit's name.
std::pair<double, std::string> shown_volume(const Study& s, double gallons) {
  if (s.units.rate.name == "m3/d" || s.units.rate.name == "L/s")
    return {gallons / scenario::rate_unit("m3/d")->size, "m3"};
  return {gallons, "gallons"};
}

std::string volume_text(const Study& s, double gallons) {
  const auto [v, unit] = shown_volume(s, gallons);
  char text[64];
  std::snprintf(text, sizeof text, "%.4g %s", v, unit.c_str());
  return text;
}

std::string shares_text(const Study& s, const std::vector<allocation::ReceptorShares>& shares) {
  const std::string L(s.units.length.name);
  std::vector<std::vector<std::string>> rows{{"receptor", "day", "drawdown (" + L + ")", "largest shares (" + L + ")"}};
  for (const allocation::ReceptorShares& r : shares) {
    std::string most;
    const std::vector<std::size_t> order = r.largest_first();
    for (std::size_t k = 0; k < order.size() && k < 3; ++k) {
      const std::size_t j = order[k];
      if (!(r.drawdown[j] > 0.0)) break;
      most.append(k == 0 ? "" : ", ").append(named(s.wells[j].name)).append(" ").append(fixed(r.drawdown[j], 2));
      if (r.share(j)) most.append(" (").append(fixed(*r.share(j) * 100.0, 1)).append(" %)");
    }
    rows.push_back({base::one_line(s.receptors[r.receptor].name), fixed(r.day, 1), fixed(r.total, 2), most.empty() ? "-" : most});
  }
  return "the wells' shares of each receptor's drawdown at its critical day (images with their well):\n" +
         base::aligned_table(rows, {true, false, false, true});
}

std::string alone_text(const Study& s, const std::vector<allocation::AloneFactor>& alone,
                       const allocation::Responses& r) {
  std::vector<std::vector<std::string>> rows{{"well", "factor alone", "set by"}};
  for (std::size_t j = 0; j < alone.size(); ++j) {
    const allocation::AloneFactor& a = alone[j];
    if (a.factor)
      rows.push_back({base::one_line(s.wells[j].name), factor_text(*a.factor), named(s.receptors[r.receptors[a.set_by]].name)});
    else if (a.blocked_by)
      rows.push_back({base::one_line(s.wells[j].name), "none",
                      "the other wells alone exceed " + named(s.receptors[r.receptors[*a.blocked_by]].name)});
    else
      rows.push_back({base::one_line(s.wells[j].name), "-", "no limit reached"});
  }
  return "each well alone, the others as planned: the largest factor on its schedule that keeps every limit:\n" +
         base::aligned_table(rows, {true, false, true});
}

}  // namespace

namespace {

std::string objective_text(const Study& s) {
  const std::string days = "over days 0 to " + fixed(scenario::last_day(s), 1);
  return s.allocation->objective == allocation::Objective::weighted ? "the most weighted pumping " + days
                                                                     : "the most total pumping " + days;
}

std::string plan_table(const Study& s, const allocation::Plan& plan) {
  const std::string Q(s.units.rate.name);
  std::vector<std::vector<std::string>> rows{{"well", "planned rate (" + Q + ")", "factor", "allowed rate (" + Q + ")"}};
  for (std::size_t j = 0; j < s.wells.size(); ++j) {
    const double q = s.units.rate_from_engine(planned_rate(s.wells[j]));
    const bool as_planned = allocation::kept(s.wells[j], s.allocation->wells[j]);
    const std::string f = as_planned ? (s.allocation->wells[j].fixed ? "1 (fixed)" : "1 (injection)") : factor_text(plan.factors[j]);
    rows.push_back({base::one_line(s.wells[j].name), general(q), f, general(q * plan.factors[j])});
  }
  return base::aligned_table(rows, {true, false, false, false});
}

std::string check_text(const Study& s, const allocation::Plan& plan) {
  const allocation::Check& c = plan.check;
  const std::string L(s.units.length.name);
  const std::string closest = named(s.receptors[c.receptors[c.worst_entry]].name);
  char worst[64];
  std::snprintf(worst, sizeof worst, "%.2g", std::fabs(c.worst));
  const std::string where = closest + " " + worst + " " + L + (c.worst > 0.0 ? " above" : " below") + " its limit";
  std::string text = "check: the allocated plan, re-evaluated by the true well function at the sample days and the peaks between them, ";
  if (c.worst > allocation::Check::kHolds)
    return text + "breaks a limit by more than 1e-06 " + L + " (" + where + "): CHECK FAILED\n";
  text += "keeps every limit within 1e-06 " + L + " (closest: " + where + "); ";
  if (c.binds) return text + "a limit binds\n";
  if (c.all_at_max) return text + "no limit binds: every well is at its max_factor\n";
  return text + "no limit binds though a well is below its max_factor: CHECK FAILED\n";
}

std::string plan_text(const Study& s, const allocation::Plan& plan) {
  std::string text = "allocation: " + objective_text(s) + ", each schedule scaled by one factor, every limit kept";
  if (plan.status != allocation::PlanStatus::solved) return text + ":\n" + plan.why + "\n";
  text += " (" + std::to_string(plan.rows) + " constraints, GLPK):\n";
  text += plan_table(s, plan);
  for (const std::string& line : allocation_lines(s, plan)) text.append(line).push_back('\n');
  return text + check_text(s, plan);
}

}  // namespace

std::vector<std::string> allocation_lines(const Study& s, const allocation::Plan& plan) {
  const double share = plan.planned_total != 0.0 ? plan.allowed_total / plan.planned_total * 100.0 : 0.0;
  std::vector<std::string> lines{"allowed total: " + volume_text(s, plan.allowed_total) + " against " +
                                 volume_text(s, plan.planned_total) + " planned (" + fixed(share, 1) + " %)"};
  const std::string L(s.units.length.name);
  for (const allocation::Binding& b : plan.binding)
    lines.push_back(named(s.receptors[b.receptor].name) + " binds at day " + fixed(b.day, 1) + ": one more " + L +
                    " of its limit allows " + volume_text(s, b.dual) + " more" +
                    (s.allocation->objective == allocation::Objective::weighted ? " (weighted)" : ""));
  return lines;
}

std::vector<std::vector<std::string>> allocation_rows(const Study& s, const AllocationReport& a) {
  std::vector<std::vector<std::string>> rows;
  const bool solved = a.plan && a.plan->status == allocation::PlanStatus::solved;
  for (std::size_t j = 0; j < s.wells.size() && j < a.alone.size(); ++j) {
    const double q = s.units.rate_from_engine(planned_rate(s.wells[j]));
    const bool as_planned = allocation::kept(s.wells[j], s.allocation->wells[j]);
    const allocation::AloneFactor& f = a.alone[j];
    rows.push_back({base::one_line(s.wells[j].name), general(q),
                    !solved      ? "-"
                    : as_planned ? (s.allocation->wells[j].fixed ? "1 (fixed)" : "1 (injection)")
                                 : factor_text(a.plan->factors[j]),
                    solved ? general(q * a.plan->factors[j]) : "-",
                    f.factor ? factor_text(*f.factor) : f.blocked_by ? "none" : "-"});
  }
  return rows;
}

bool reports_allocation(const Study& s) { return s.allocation.has_value() || !s.output.contributions.empty(); }

std::string contributions_csv(const Study& s, const std::vector<allocation::ReceptorShares>& shares) {
  std::string text = "receptor,well,day,drawdown,share\n";
  for (const allocation::ReceptorShares& r : shares)
    for (std::size_t j = 0; j < s.wells.size(); ++j) {
      const std::optional<double> share = r.share(j);
      text += base::csv_field(s.receptors[r.receptor].name) + "," + base::csv_field(s.wells[j].name) + "," + general(r.day) +
              "," + general(r.drawdown[j]) + "," + (share ? general(*share) : "") + "\n";
    }
  return text;
}

std::string allocation_csv(const Study& s, const std::vector<allocation::AloneFactor>& alone, const allocation::Plan& plan) {
  std::string text = "well,planned_rate,factor,allowed_rate,alone_factor\n";
  for (std::size_t j = 0; j < s.wells.size(); ++j) {
    const double q = s.units.rate_from_engine(planned_rate(s.wells[j]));
    const bool solved = plan.status == allocation::PlanStatus::solved;
    text += base::csv_field(s.wells[j].name) + "," + general(q) + "," + (solved ? general(plan.factors[j]) : "") + "," +
            (solved ? general(q * plan.factors[j]) : "") + "," + (alone[j].factor ? general(*alone[j].factor) : "") + "\n";
  }
  return text;
}

AllocationReport report_allocation(const Study& s, const scenario::Evaluation& how, const scenario::Compliance& c,
                                   outputs::Writer* writer) {
  AllocationReport report;
  if (!reports_allocation(s)) return report;
  const std::vector<allocation::ReceptorShares> shares = allocation::receptor_shares(s, c, how.exact);
  if (writer != nullptr)
    writer->write(outputs::Kind::kContributions,
                  [&](const files::Target& t) { return files::write_whole_file(t, contributions_csv(s, shares)); });
  report.text.append("\n").append(shares_text(s, shares));
  if (!s.allocation) return report;
  const int threads = how.engine.method == engine::Method::reference ? 1 : std::max(how.engine.fast.threads, 1);
  const allocation::Responses r = allocation::unit_responses(s, allocation::constraint_days(s), how.exact, threads);
  std::vector<double> limits;
  for (std::size_t i : r.receptors) limits.push_back(*s.receptors[i].limit);
  const std::vector<allocation::AloneFactor> alone = allocation::alone_factors(r, limits);
  report.text.append("\n").append(alone_text(s, alone, r));
  const allocation::Plan& plan = report.plan.emplace(allocation::best_plan(s, *s.allocation, r, how));
  report.text.append("\n").append(plan_text(s, plan));
  if (plan.status != allocation::PlanStatus::solved) report.failure = plan.why;
  if (writer != nullptr)
    writer->write(outputs::Kind::kAllocation,
                  [&](const files::Target& t) { return files::write_whole_file(t, allocation_csv(s, alone, plan)); });
  report.alone = alone;
  return report;
}

}  // namespace study
