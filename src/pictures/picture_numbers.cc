#include "pictures/picture_numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace pictures::picture {
namespace {

// A number printf wrote ("-1234.5") with commas between its thousands and a
// true minus sign; a negative zero loses its sign.
std::string for_reader(std::string s) {
  const bool negative = s[0] == '-';
  if (negative) s.erase(0, 1);
  const std::size_t digits = std::min(s.find_first_not_of("0123456789"), s.size());
  std::string out;
  for (std::size_t k = 0; k < s.size(); ++k) {
    if (k > 0 && k < digits && (digits - k) % 3 == 0) out += ',';
    out += s[k];
  }
  const bool zero = out.find_first_of("123456789") == std::string::npos && out.find('0') != std::string::npos;
  return negative && !zero ? "\u2212" + out : out;
}

}  // namespace

std::string fixed(double v, int decimals) {
  char text[400];
  std::snprintf(text, sizeof text, "%.*f", std::clamp(decimals, 0, 12), v);
  return for_reader(text);
}

std::string shortest(double v) {
  if (v == 0.0) return "0";
  if (!std::isfinite(v) || std::fabs(v) >= 1e15 || std::fabs(v) < 1e-6) return general(static_cast<float>(v));
  int decimals = 0;
  for (double scale = 1.0; decimals < 12; ++decimals, scale *= 10.0) {
    const double scaled = v * scale;
    if (std::fabs(std::round(scaled) - scaled) <= 1e-6 * std::fabs(scaled)) break;
  }
  return fixed(v, decimals);
}

std::string general(float v) {
  if (v == 0.0f) v = 0.0f;  // no "-0"
  char text[64];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(v));
  std::string s = text;
  if (s[0] == '-') s.replace(0, 1, "\u2212");
  return s;
}

double round_below(double v) {
  const double p = std::pow(10.0, std::floor(std::log10(v)));
  for (double m : {5.0, 2.0, 1.0})
    if (m * p <= v * (1 + 1e-12)) return m * p;
  return p / 2;  // log10 rounded up at a power of ten
}

double round_above(double v) {
  const double p = std::pow(10.0, std::floor(std::log10(v)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * p >= v * (1 - 1e-12)) return m * p;
  return 20 * p;
}

std::vector<double> multiples(double lo, double hi, double step) {
  std::vector<double> t;
  if (!(step > 0.0)) return t;
  const double slack = step * 1e-9;
  for (double k = std::ceil((lo - slack) / step); k * step <= hi + slack && t.size() < 100; k += 1.0)
    t.push_back(k * step);
  return t;
}

}  // namespace pictures::picture
