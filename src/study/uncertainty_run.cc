#include "study/uncertainty_run.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "base/csv_text.h"
#include "base/printable.h"
#include "base/shortest_text.h"
#include "base/text_table.h"
#include "files/output_file.h"
#include "files/sha256.h"
#include "inputs/read_file.h"
#include "inputs/toml_reader.h"
#include "study/console.h"
#include "study/probability_grid.h"
#include "study/reader.h"
#include "uncertainty/partial_file.h"

namespace study {
namespace {

// A partial file holds at most this many bytes.
constexpr std::size_t kLargestPart = std::size_t{1} << 34;

int ensemble_threads(const scenario::Evaluation& how) { return std::max(how.engine.fast.threads, 1); }

// The outcomes of realizations [from, to), with a bar on a terminal.
std::vector<uncertainty::Outcome> run_realizations(const Study& s, const scenario::Evaluation& how, std::size_t from,
                                                   std::size_t to, bool terminal) {
  Progress progress(stdout, terminal, "realizations", 0, to - from);
  return uncertainty::run(s, how, *s.uncertainty, from, to, ensemble_threads(how), &progress.done);
}

std::string fixed3_down(double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.3f", std::floor(v * 1000.0) / 1000.0);
  return buffer;
}

std::string percent(double share) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6g", share * 100.0);
  return buffer;
}

std::string four_digits(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.4g", v);
  return buffer;
}

}  // namespace

std::string study_fingerprint(const Study& s) {
  std::string digests;
  for (const std::string& d : s.input_digests) digests += d + "\n";
  return files::sha256_hex(digests);
}

std::string ensemble_options_fault(const Study& s, const EnsembleOptions& o) {
  if (!o.slice && o.merge.empty()) return "";
  if (!s.uncertainty) return s.file + ": --realizations and --merge need an [uncertainty] table in the study";
  if (o.slice && o.slice->second > s.uncertainty->realizations)
    return "--realizations " + std::to_string(o.slice->first) + ":" + std::to_string(o.slice->second) +
           ": the study has " + std::to_string(s.uncertainty->realizations) + " realizations";
  return "";
}

Uncertain ensemble_answers(const Study& s, const scenario::Evaluation& how, const EnsembleOptions& o, bool terminal) {
  Uncertain u;
  u.shape = uncertainty::shape_of(s);
  std::vector<uncertainty::Outcome> outcomes;
  if (o.merge.empty()) {
    outcomes = run_realizations(s, how, 0, s.uncertainty->realizations, terminal);
    u.exceedance = exceedance_of(s, how, 0, s.uncertainty->realizations, terminal);
  } else {
    std::vector<uncertainty::Part> parts;
    for (const std::string& name : o.merge) {
      std::string why;
      const std::optional<std::string> text = inputs::read_file(name, why, kLargestPart);
      if (!text) throw StudyError{"cannot read the partial file " + inputs::in_quotes(name) + ": " + why};
      try {
        parts.push_back(uncertainty::read_part(*text));
      } catch (const uncertainty::PartError& e) {
        throw StudyError{name + ":" + std::to_string(e.line) + ": " + e.what};
      }
      const uncertainty::Part& p = parts.back();
      if (p.study != study_fingerprint(s) || p.seed != s.uncertainty->seed ||
          p.realizations != s.uncertainty->realizations || !(p.shape == u.shape))
        throw StudyError{name + ": the partial file is of another study, or of other inputs, seed or realizations"};
    }
    u.exceedance = merged_exceedance(s, parts);
    try {
      outcomes = uncertainty::merge_parts(std::move(parts));
    } catch (const uncertainty::PartError& e) {
      throw StudyError{"--merge: " + e.what};
    }
  }
  u.summary = uncertainty::summarize(outcomes, u.shape, s.uncertainty->reliability);
  return u;
}

std::string write_slice(const Study& s, const scenario::Evaluation& how, const EnsembleOptions& o, bool terminal) {
  uncertainty::Part p;
  p.study = study_fingerprint(s);
  p.seed = s.uncertainty->seed;
  p.realizations = s.uncertainty->realizations;
  p.from = o.slice->first, p.to = o.slice->second;
  p.shape = uncertainty::shape_of(s);
  p.outcomes = run_realizations(s, how, p.from, p.to, terminal);
  p.exceedance = exceedance_of(s, how, p.from, p.to, terminal);
  return files::write_whole_file(files::Target(*o.part), uncertainty::part_text(p));
}

std::string with_probabilities(const std::string& csv, const Uncertain& u) {
  std::string out;
  std::size_t row = 0, at = 0;
  for (std::size_t end = csv.find('\n'); end != std::string::npos; at = end + 1, end = csv.find('\n', at)) {
    out.append(csv, at, end - at);
    if (row == 0) {
      out += ",probability_exceeded,probability_se\n";
    } else {
      const std::size_t k = row - 1;
      if (k < u.summary.probability.size())
        out.append(",").append(base::shortest_text(u.summary.probability[k])).append(",")
            .append(four_digits(u.summary.standard_error[k])).append("\n");
      else
        out.append(",,\n");
    }
    ++row;
  }
  return out;
}

std::string series_with_percentiles(const Study& s, const std::vector<double>& times,
                                    const std::vector<std::vector<float>>& values, const Uncertain& u) {
  std::string text = s.units.label("name,x,y,days,drawdown_{L},p05,p50,p95\n");
  for (std::size_t i = 0; i < s.receptors.size(); ++i) {
    const Receptor& r = s.receptors[i];
    const std::string place = base::csv_field(r.name) + "," + base::shortest_text(r.x) + "," + base::shortest_text(r.y) + ",";
    for (std::size_t k = 0; k < times.size(); ++k) {
      const std::array<double, 3>& p = u.summary.percentiles[i * times.size() + k];
      text += place + base::shortest_text(times[k]) + "," + base::single_text(values[i][k]);
      for (double v : p) text.append(",").append(base::single_text(static_cast<float>(v)));
      text += "\n";
    }
  }
  return text;
}

std::string uncertainty_text(const Study& s, const Uncertain& u, const std::optional<scenario::Compliance>& c) {
  const uncertainty::Draws& settings = *s.uncertainty;
  std::string text = "\nuncertainty: " + std::to_string(u.summary.realizations) + " realizations of the aquifer (" +
                     (settings.samples.empty() ? std::string("log-normal from the 95 % ranges")
                                           : "parameter sets drawn from " + inputs::in_quotes(settings.samples_file)) +
                     "), seed " + std::to_string(settings.seed) + "\n";
  if (!c || u.summary.probability.empty()) return text;
  std::vector<std::vector<std::string>> rows = {{"limit at", "probability exceeded", "standard error"}};
  for (std::size_t k = 0; k < u.summary.probability.size(); ++k) {
    const bool stream = k >= c->receptors.size();
    const scenario::ReceptorCompliance& r = stream ? c->streams[k - c->receptors.size()] : c->receptors[k];
    const std::string& name = stream ? s.boundaries[r.receptor].name : s.receptors[r.receptor].name;
    rows.push_back({base::one_line(name), base::shortest_text(u.summary.probability[k]),
                    four_digits(u.summary.standard_error[k])});
  }
  text += base::aligned_table(rows, {true, false, false});
  const double f = u.summary.reliable_factor;
  text += "rate factor at " + percent(settings.reliability) + " % reliability: " +
          (std::isinf(f) ? std::string("none needed") : fixed3_down(f)) + " (one aquifer: " +
          (std::isinf(c->rate_factor) ? std::string("none needed") : fixed3_down(c->rate_factor)) + ")\n";
  return text;
}

std::string uncertainty_manifest(const Study& s) {
  if (!s.uncertainty) return "";
  const uncertainty::Draws& settings = *s.uncertainty;
  return "{\"realizations\": " + std::to_string(settings.realizations) + ", \"seed\": " + std::to_string(settings.seed) +
         ", \"reliability\": " + base::shortest_text(settings.reliability) + "}";
}

}  // namespace study
