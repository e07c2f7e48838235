// The permit memo: one searchable PDF on a paper page that states what was
// assumed and what was found. Its content is a plain list of sections, each a
// heading with paragraphs, preformatted lines, a table, and at most one
// figure (the map of a time or the hydrographs, drawn by the pictures' own
// code); whoever assembles it (a study) fills the sections, the layout here
// knows nothing of where they come from. Text stays text (Cairo's PDF with
// Pango's fonts), so that a reader can search and copy it.
//
// Laid out for print: the text wraps at the page's width, a table wider than
// the page wraps its cells, a table longer than the page goes on over the
// next with its header repeated, a figure is scaled to fit what is left of
// the page or starts a new one; every page has a footer with the memo's
// footer text and "page N of M".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/drawdown_grid.h"
#include "files/output_file.h"
#include "pictures/hydrograph.h"
#include "pictures/plot.h"

namespace pictures {

/// How a table row is marked: not, as within its limit, or as over it.
enum class MemoVerdict { kNone, kPasses, kFails };

/// A table: a header row and rows of cells (a row may be shorter than the
/// header; its missing cells are empty). Numbers are right-aligned in the
/// columns flagged in `right`.
struct MemoTable {
  std::vector<std::string> header{};
  std::vector<std::vector<std::string>> rows{};
  std::vector<bool> right{};               ///< per column: right-aligned (missing: left)
  std::vector<MemoVerdict> verdicts{};     ///< per row: its tint (missing: none)
};

/// The map of one time: the grid (its drawdowns, grid.DD, must outlive the
/// memo's drawing; its wells are `wells`), and the picture's options
/// (receptors' markers with their verdicts).
struct MemoMap {
  engine::EvaluatedGrid grid{};
  PlotOptions options{};
  std::vector<engine::Well> wells{};
};

/// A chart of values against time: what write_hydrographs draws.
struct MemoChart {
  std::string title;
  std::vector<Hydrograph> series;
  ChartStyle style;
};

/// One section of the memo, shown in this order: its heading, its
/// paragraphs, its table, its preformatted lines (a fixed-width font), its
/// notes, then its figure.
struct MemoSection {
  std::string heading;
  std::vector<std::string> paragraphs{};
  std::vector<std::string> fixed_lines{};
  std::optional<MemoTable> table{};
  std::vector<std::string> notes{};
  std::optional<MemoMap> map{};
  std::optional<MemoChart> chart{};
};

/// The whole memo.
struct Memo {
  std::string title;                 ///< the first page's title, and the PDF's Title
  std::vector<std::string> subtitle;  ///< lines under the title (the date, the program's version)
  std::string footer;                ///< on every page, before "page N of M"
  PlotPage page = PlotPage::kLetter;  ///< kOwnSize is taken as letter
  std::vector<MemoSection> sections;
  /// The PDF's creation date ("2026-12-08T00:00:00Z"; "" : Cairo's, the
  /// moment it is made), so that one memo made twice a day is one file.
  std::string created{};
};

/// The PDF of `memo` in `bytes`: "" on success, or why it could not be made.
std::string memo_bytes(const Memo& memo, std::string& bytes);

/// Writes the PDF of `memo` whole to `target`: "" or why not (the reason alone).
std::string write_memo(const files::Target& target, const Memo& memo);

}  // namespace pictures
