// Straight-line boundaries of a study's aquifer, a stream (constant head) or
// a barrier (no flow), and the image wells that stand in for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace scenario {

/// What a boundary is.
enum class BoundaryKind {
  stream,   ///< a line of constant head: each image pumps the opposite rate
  barrier,  ///< a line of no flow: each image pumps the same rate
};

/// An infinite straight line through two map points (feet).
struct Boundary {
  BoundaryKind kind = BoundaryKind::stream;
  std::string name;
  double x0 = 0.0, y0 = 0.0;  ///< `from`
  double x1 = 0.0, y1 = 0.0;  ///< `to`, another point
  // A stream's depletion (study/depletion.h):
  std::optional<double> streambed_conductance{};   ///< feet per day, 0 or more (none: no streambed)
  std::optional<double> depletion_limit{};         ///< gallons per day, above 0
  std::optional<double> depletion_limit_fraction{};///< of the total pumping, above 0
};

/// A line in normal form: points p with nx * p.x + ny * p.y = c lie on it;
/// (nx, ny) is the unit normal toward the aquifer.
struct Line {
  double nx = 0.0, ny = 0.0, c = 0.0;
  /// The signed distance of (x, y) from the line, positive on the aquifer's side.
  double distance(double x, double y) const { return nx * x + ny * y - c; }
};

/// The line of `b` with its normal toward the side of (x, y); nothing when
/// `b`'s two points coincide.
std::optional<Line> line_toward(const Boundary& b, double x, double y);

/// How the images of a well are laid out, and how many.
struct ImagePlan {
  std::vector<Line> lines;   ///< the boundaries' lines, normals toward the aquifer
  std::vector<double> sign;  ///< per line: -1 stream, +1 barrier
  bool strip = false;        ///< two parallel lines: an infinite series, cut at `pairs`
  std::uint64_t pairs = 0;   ///< image pairs on each side kept in a strip
  double width = 0.0;        ///< a strip's width, feet
};

/// One image of a well: its place and the factor of the well's rates (+1 or -1).
struct Image {
  double x = 0.0, y = 0.0;
  double sign = 1.0;
};

/// The images of a well at (x, y) for `plan`: one per line, three for two
/// perpendicular lines (a quadrant), and for a strip the two families of
/// images at offsets 2kW along the normal (translations, and reflections
/// across the first line), |k| <= plan.pairs, in order of distance.
std::vector<Image> images_of(double x, double y, const ImagePlan& plan);

/// The most image pairs strip_pairs gives: far more than any memory holds,
/// so that a study that needs them is refused by its memory check, never cut.
inline constexpr double kMostStripPairs = 1e15;

/// For a strip of width `width` feet: the image pairs beyond which every
/// image lies farther than `reach` feet from every point of the aquifer (at
/// least 1, at most kMostStripPairs).
std::uint64_t strip_pairs(double width, double reach);

/// The images of each well for `plan`, as images_of gives them, counted
/// without making them: 1 for one line, 3 for a quadrant, 4 pairs + 2 for a
/// strip (the translations 2 pairs, the reflections 2 pairs + 2).
std::uint64_t image_count(const ImagePlan& plan);

/// The distance beyond which a well term adds nothing at double's rounding
/// of the drawdowns: where W(u, r/B) <= min(E1(u), 2 K0(r/B)) falls below
/// e^-kImageCut for the longest elapsed time (u = a r^2 S / (T t)).
double negligible_distance(double transmissivity, double storage, double leakance, double longest_days);

/// The word for `kind` in the study file and the summary: "stream" or "barrier".
const char* kind_name(BoundaryKind kind);

/// The lines of `boundaries` with their normals toward the side of (x, y), a
/// point of the aquifer (a well); lines whose points coincide are left out.
std::vector<Line> aquifer_lines(std::span<const Boundary> boundaries, double x, double y);

/// The signed distance of (x, y) from the nearest of `lines` (as aquifer_lines
/// gives them): above 0 inside the aquifer, 0 on a line, below 0 beyond one;
/// +infinity without lines.
double inside(std::span<const Line> lines, double x, double y);

/// Why two boundaries cannot be taken together, the aquifer at (x, y): they
/// are neither perpendicular nor parallel (within 1e-6 of a radian), or they
/// are parallel and one lies behind the other instead of the aquifer lying
/// between them. Nothing when they can (or when there are fewer than two).
std::optional<std::string> pair_fault(std::span<const Boundary> boundaries, double x, double y);

/// The image plan of `boundaries` (checked by pair_fault) for an aquifer that
/// holds (x, y): the lines, their signs, and for a strip the pairs that leave
/// out only images farther than `reach` feet from the aquifer.
ImagePlan image_plan(std::span<const Boundary> boundaries, double x, double y, double reach);

/// W's exponent beyond which an image's term is dropped: e^-60 (1e-26) of a
/// well's own W, far below the rounding of any drawdown a grid shows.
inline constexpr double kImageCut = 60.0;

}  // namespace scenario
