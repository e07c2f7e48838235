#include "scenario/depletion.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/true_drawdown.h"
#include "scenario/boundaries.h"
#include "base/csv_text.h"

namespace scenario {
namespace {

// Seven significant digits: the CSV's numbers (a depletion is known far
// better than a rate is measured).
std::string number_text(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.7g", v);
  return text;
}

}  // namespace

model::DepletionAquifer depletion_aquifer(const Aquifer& a) {
  model::DepletionAquifer d;
  d.diffusivity = transmissivity_ft2_per_day(a) / a.storage;
  d.leakage_factor = model::leakage_factor(a.transmissivity, a.leakance);
  return d;
}

double transmissivity_ft2_per_day(const Aquifer& a) { return a.transmissivity / (4.0 * model::kTrueUCoefficient); }

StreamResponse::StreamResponse(const Scenario& s, std::size_t stream, const Well& well, double reach)
    : aquifer_(depletion_aquifer(s.aquifer)), transmissivity_(transmissivity_ft2_per_day(s.aquifer)) {
  const ImagePlan plan = image_plan(s.boundaries, well.x, well.y, reach);
  const Line& line = plan.lines.at(stream);
  distance_ = line.distance(well.x, well.y);
  const Boundary& b = s.boundaries[stream];
  if (b.streambed_conductance) {
    form_ = Form::kStreambed;
    conductance_ = *b.streambed_conductance;
    return;
  }
  if (plan.lines.size() == 2 && !plan.strip) {
    const std::size_t other = 1 - stream;
    // Behind a barrier the half-line takes the whole line's f of the well
    // alone; behind a stream, the corner's integral.
    if (s.boundaries[other].kind == BoundaryKind::stream) {
      form_ = Form::kCorner;
      across_ = plan.lines[other].distance(well.x, well.y);
    } else {
      sources_.push_back({distance_, 1.0});
    }
    return;
  }
  sources_.push_back({distance_, 0.5});
  for (const Image& i : images_of(well.x, well.y, plan)) {
    const double d = line.distance(i.x, i.y);
    if (d != 0.0) sources_.push_back({std::fabs(d), 0.5 * i.sign * (d > 0.0 ? 1.0 : -1.0)});
  }
  std::sort(sources_.begin(), sources_.end(), [](const Source& a, const Source& b) { return a.distance < b.distance; });
  // The well's own image lies as far as the well: one source of weight 1.
  std::vector<Source> merged;
  for (const Source& src : sources_) {
    if (!merged.empty() && merged.back().distance == src.distance) {
      merged.back().weight += src.weight;
    } else {
      merged.push_back(src);
    }
  }
  std::erase_if(merged, [](const Source& src) { return src.weight == 0.0; });
  sources_ = std::move(merged);
}

double StreamResponse::operator()(double tau) const {
  if (!(tau > 0.0)) return 0.0;
  switch (form_) {
    case Form::kStreambed:
      return model::streambed_depletion(distance_, tau, aquifer_.diffusivity, transmissivity_, conductance_);
    case Form::kCorner:
      return model::corner_depletion(distance_, across_, tau, aquifer_);
    case Form::kLine:
      break;
  }
  double sum = 0.0;
  for (const Source& src : sources_) {
    const double f = model::stream_depletion(src.distance, tau, aquifer_);
    if (f == 0.0) break;  // the sources farther out give 0 too
    sum += src.weight * f;
  }
  return sum;
}

Depletion::Depletion(const Scenario& s, double last) : s_(s) {
  const double reach =
      negligible_distance(s.aquifer.transmissivity, s.aquifer.storage, s.aquifer.leakance, std::max(last, 1e-3));
  for (std::size_t b = 0; b < s.boundaries.size(); ++b) {
    if (s.boundaries[b].kind != BoundaryKind::stream) continue;
    streams_.push_back(b);
    std::vector<StreamResponse> wells;
    for (const Well& w : s.wells) wells.emplace_back(s, b, w, reach);
    responses_.push_back(std::move(wells));
  }
}

double Depletion::of_well(std::size_t k, std::size_t w, double t) const {
  const StreamResponse& r = responses_[k][w];
  double sum = 0.0, previous = 0.0;
  for (const Step& step : s_.wells[w].steps) {
    if (!(step.day < t)) break;
    sum += (step.rate - previous) * r(t - step.day);
    previous = step.rate;
  }
  return sum;
}

double Depletion::total(std::size_t k, double t) const {
  double sum = 0.0;
  for (std::size_t w = 0; w < s_.wells.size(); ++w) sum += of_well(k, w, t);
  return sum;
}

LimitSample Depletion::sample(std::size_t k, double t) const {
  LimitSample out;
  out.day = t;
  for (std::size_t w = 0; w < s_.wells.size(); ++w) {
    const StreamResponse& r = responses_[k][w];
    double previous = 0.0;
    for (const Step& step : s_.wells[w].steps) {
      if (!(step.day < t)) break;
      const double dq = step.rate - previous;
      if (dq > 0.0) out.rising += dq * r(t - step.day);
      if (dq < 0.0) out.falling -= dq * r(t - step.day);
      previous = step.rate;
    }
  }
  out.value = out.rising - out.falling;
  return out;
}

double Depletion::volume_of_well(std::size_t k, std::size_t w, double t) const {
  const StreamResponse& r = responses_[k][w];
  double sum = 0.0, previous = 0.0;
  for (const Step& step : s_.wells[w].steps) {
    if (!(step.day < t)) break;
    if (step.rate != previous) sum += (step.rate - previous) * model::depletion_volume(r, t - step.day);
    previous = step.rate;
  }
  return sum;
}

double rate_at(const Well& w, double t) {
  double rate = 0.0;
  for (const Step& step : w.steps)
    if (step.day < t) rate = step.rate;
  return rate;
}

double total_rate_at(const Scenario& s, double t) {
  double sum = 0.0;
  for (const Well& w : s.wells) sum += rate_at(w, t);
  return sum;
}

std::string depletion_csv(const Scenario& s, const Depletion& d, const std::vector<double>& days) {
  std::string text = "stream,well,day,depletion,fraction,volume,depletion_cfs\n";
  auto row = [&](const std::string& stream, const std::string& well, double day, double q, double rate, double v) {
    text += stream + "," + well + "," + number_text(day) + "," + number_text(q) + "," +
            (rate != 0.0 ? number_text(q / rate) : "") + "," + number_text(v) + "," + number_text(q / kGpdPerCfs) +
            "\n";
  };
  for (std::size_t k = 0; k < d.streams().size(); ++k) {
    const std::string stream = base::csv_field(s.boundaries[d.streams()[k]].name);
    std::vector<double> total(days.size(), 0.0), volume(days.size(), 0.0);
    for (std::size_t w = 0; w < s.wells.size(); ++w) {
      for (std::size_t i = 0; i < days.size(); ++i) {
        const double q = d.of_well(k, w, days[i]), v = d.volume_of_well(k, w, days[i]);
        total[i] += q, volume[i] += v;
        row(stream, base::csv_field(s.wells[w].name), days[i], q, rate_at(s.wells[w], days[i]), v);
      }
    }
    for (std::size_t i = 0; i < days.size(); ++i) row(stream, "all", days[i], total[i], total_rate_at(s, days[i]), volume[i]);
  }
  return text;
}

}  // namespace scenario
