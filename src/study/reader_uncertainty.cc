// The study reader: [uncertainty], the aquifer's uncertainty as a table of
// parameter sets (a fit's samples) or as a 95 % range per parameter.

#include "study/reader_internal.h"

#include <cmath>
#include <limits>

namespace study::reading {

namespace {

const std::vector<HeaderColumn> kSampleColumns = {
    {"transmissivity", {"transmissivity"}, true, ColumnUnit::none},
    {"storage", {"storage"}, true, ColumnUnit::none},
    {"leakance", {"leakance"}, true, ColumnUnit::none},
};

constexpr std::string_view kPairs[] = {"transmissivity_storage", "transmissivity_leakance", "storage_leakance"};
constexpr std::size_t kPairParameters[][2] = {{0, 1}, {0, 2}, {1, 2}};
constexpr std::string_view kParameterKeys[] = {"transmissivity", "storage", "leakance"};

}  // namespace

void StudyReader::read_samples(const toml::node& n, Study& s, uncertainty::Draws& settings) {
  const std::string path = csv_path(inner_path(n, "samples"));
  settings.samples_file = path;
  s.inputs.push_back(path);
  files_.push_back(path);
  std::vector<CsvRecord> records = csv_records(path, "samples file");
  static const std::vector<std::string_view> kForms[] = {{"transmissivity", "storage", "leakance"}};
  const Columns c = csv_columns(records, path, kSampleColumns, {}, kForms);
  s.notes.insert(s.notes.end(), c.notes.begin(), c.notes.end());
  for (const CsvRecord& r : records) {
    check_row(r, c, path);
    scenario::Aquifer a;
    const double T = csv_number(r, c.at.at("transmissivity"), "transmissivity", path, true);
    const double S = csv_number(r, c.at.at("storage"), "storage", path, true);
    const double L = csv_number(r, c.at.at("leakance"), "leakance", path, true);
    if (!(T > 0.0) || !(S > 0.0) || !(L >= 0.0))
      fail_csv(path, r.line, "a sample's transmissivity and storage must be above 0 and its leakance 0 or more");
    a.transmissivity = units_.transmissivity_to_engine(T);
    a.storage = S;
    a.leakance = units_.leakance_to_engine(L);
    if (!std::isfinite(static_cast<float>(a.transmissivity)) || !std::isfinite(static_cast<float>(a.leakance)))
      fail_csv(path, r.line, "a sample lies beyond single precision's range (3.4e38) in the program's units");
    settings.samples.push_back(a);
  }
  if (settings.samples.empty()) fail(n, "the samples file " + in_quotes(path) + " holds no parameter set");
}

std::optional<uncertainty::Range> StudyReader::uncertain_range(const toml::table& t, std::size_t p) const {
  const toml::node* n = t.get(kParameterKeys[p]);
  if (n == nullptr) return std::nullopt;
  const std::string key(kParameterKeys[p]);
  const toml::array* a = n->as_array();
  if (a == nullptr || a->size() != 2)
    fail(*n, in_quotes(key) + " in [uncertainty] must be a 95 % range [low, high], not " + kind(*n));
  uncertainty::Range r{number(*a->get(0), key), number(*a->get(1), key)};
  if (!(r.low > 0.0) || !(r.low < r.high) || !std::isfinite(r.high))
    fail(*n, in_quotes(key) + " must be a range [low, high] with 0 < low < high");
  if (p == uncertainty::kTransmissivity)
    r = {units_.transmissivity_to_engine(r.low), units_.transmissivity_to_engine(r.high)};
  if (p == uncertainty::kLeakance) r = {units_.leakance_to_engine(r.low), units_.leakance_to_engine(r.high)};
  return r;
}

void StudyReader::read_correlations(const toml::node& n, uncertainty::Draws& settings) const {
  const toml::table& t = table(n, "correlations");
  check_keys(t, kPairs, "in 'correlations' of [uncertainty]", kSections);
  for (std::size_t k = 0; k < 3; ++k) {
    const toml::node* v = t.get(kPairs[k]);
    if (v == nullptr) continue;
    const double rho = number(*v, kPairs[k]);
    if (!(rho > -1.0 && rho < 1.0)) fail(*v, in_quotes(kPairs[k]) + " must lie between -1 and 1, not " + base::shortest_text(rho));
    const std::size_t i = kPairParameters[k][0], j = kPairParameters[k][1];
    if (!settings.ranges[i] || !settings.ranges[j])
      fail(*v, in_quotes(kPairs[k]) + " correlates parameters that both need a range in [uncertainty]");
    settings.correlation[i][j] = settings.correlation[j][i] = rho;
  }
  if (!uncertainty::cholesky(settings.correlation))
    fail(n, "the correlations cannot hold together (their matrix is not positive definite)");
}

void StudyReader::read_uncertainty(const toml::table& t, Study& s) {
  check_keys(t, kUncertaintyKeys, "in [uncertainty]", kSections);
  uncertainty::Draws settings;
  for (std::size_t p = 0; p < 3; ++p) settings.ranges[p] = uncertain_range(t, p);
  const bool ranged = settings.ranges[0] || settings.ranges[1] || settings.ranges[2];
  if (const toml::node* n = t.get("samples")) {
    if (ranged) fail(*n, "[uncertainty] takes 'samples' or ranges of the parameters, not both");
    read_samples(*n, s, settings);
  } else if (!ranged) {
    fail(t, "[uncertainty] needs 'samples' (a file of parameter sets) or a 95 % range of 'transmissivity', "
            "'storage' or 'leakance'");
  }
  if (const toml::node* n = t.get("correlations")) {
    if (!ranged) fail(*n, "'correlations' are of the parameters' ranges; the samples carry their own");
    read_correlations(*n, settings);
  }
  if (const toml::node* n = t.get("realizations"))
    settings.realizations = static_cast<std::size_t>(
        whole(*n, "realizations", 1, "a whole number from 1 to " + std::to_string(uncertainty::kMostRealizations)));
  if (settings.realizations > uncertainty::kMostRealizations)
    fail(*t.get("realizations"), "'realizations' must be at most " + std::to_string(uncertainty::kMostRealizations));
  if (const toml::node* n = t.get("seed")) {
    const auto* i = n->as_integer();
    if (i == nullptr || i->get() < 0) fail(*n, "'seed' must be a whole number, 0 or more, not " + kind(*n));
    settings.seed = static_cast<std::uint64_t>(i->get());
  }
  if (const toml::node* n = t.get("reliability")) {
    settings.reliability = number(*n, "reliability");
    if (!(settings.reliability > 0.0 && settings.reliability < 1.0))
      fail(*n, "'reliability' must lie between 0 and 1 (0.95: 95 % of the realizations), not " +
                   base::shortest_text(settings.reliability));
  }
  s.uncertainty = std::move(settings);
}

}  // namespace study::reading
