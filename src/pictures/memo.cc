// The memo's layout: a pager that fills pages from the top, keeps a heading
// with what follows it, wraps and paginates tables and fits figures; run
// twice, first to count the pages (for "page N of M"), then to draw.
#include "pictures/memo.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "pictures/picture_box.h"
#include "pictures/picture_text.h"

namespace pictures {
namespace {

using picture::Figure;
using picture::Font;

constexpr Font kTitleFont{16.0, true, false, true};
constexpr Font kSubtitleFont{9.5, false, false, true};
constexpr Font kHeadingFont{12.0, true, false, true};
constexpr Font kBodyFont{9.5, false, false, true};
constexpr Font kFixedFont{7.5, false, true, true};
constexpr Font kCellFont{8.5, false, false, true};
constexpr Font kHeaderFont{8.5, true, false, true};
constexpr Font kFooterFont{8.0, false, false, true};

constexpr double kMargin = 54.0;       // three quarters of an inch
constexpr double kFooterRoom = 22.0;   // between the text and the page's bottom margin
constexpr double kCellPad = 3.0;
constexpr double kGap = 6.0;           // between paragraphs
constexpr double kSectionGap = 14.0;
constexpr double kKeepWithHeading = 60.0;  // a heading starts a page when less than this is left under it
constexpr double kLeastFigure = 0.4;   // a figure smaller than this share of the page starts a new page

cairo_status_t append_bytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// Fills the pages of one PDF surface from the top down.
class Pager {
 public:
  Pager(cairo_t* cr, double width, double height, std::string footer, int pages)
      : cr_(cr), width_(width), height_(height), footer_(std::move(footer)), pages_(pages) {}

  double left() const { return kMargin; }
  double text_width() const { return width_ - 2 * kMargin; }
  double top() const { return y_; }
  double room() const { return bottom() - y_; }
  double page_room() const { return bottom() - kMargin; }
  int page() const { return page_; }
  cairo_t* cr() const { return cr_; }

  // Moves down by `h`.
  void advance(double h) { y_ += h; }
  // A new page unless `h` fits under the cursor (or the page is still empty).
  void need(double h) {
    if (y_ + h > bottom() && y_ > kMargin) new_page();
  }
  void new_page() {
    draw_footer();
    cairo_show_page(cr_);
    ++page_;
    y_ = kMargin;
  }
  // The footer of the last page.
  void finish() { draw_footer(); }

 private:
  double bottom() const { return height_ - kMargin - kFooterRoom; }
  void draw_footer() {
    const double base = height_ - kMargin;
    cairo_set_source_rgb(cr_, 0.45, 0.45, 0.45);
    cairo_set_line_width(cr_, 0.5);
    cairo_move_to(cr_, kMargin, base - 12);
    cairo_line_to(cr_, width_ - kMargin, base - 12);
    cairo_stroke(cr_);
    cairo_set_source_rgb(cr_, 0.2, 0.2, 0.2);
    const std::string number = "page " + std::to_string(page_) + (pages_ > 0 ? " of " + std::to_string(pages_) : "");
    const double number_width = picture::measure(cr_, number, kFooterFont).width;
    picture::text(cr_, width_ - kMargin, base, number, kFooterFont, picture::Placement(picture::Align::kRight));
    picture::text(cr_, kMargin, base, footer_, kFooterFont,
                  picture::Placement(picture::Align::kLeft, picture::Anchor::kBaseline,
                                     std::max(1.0, text_width() - number_width - 12)));
  }

  cairo_t* cr_;
  double width_, height_;
  std::string footer_;
  int pages_;
  int page_ = 1;
  double y_ = kMargin;
};

void ink(cairo_t* cr) { cairo_set_source_rgb(cr, 0.05, 0.05, 0.05); }

// A wrapped paragraph, on the next page when it does not fit on this one.
void paragraph(Pager& p, const std::string& s, Font font, double after = kGap) {
  const double h = picture::measure(p.cr(), s, font, p.text_width()).height;
  p.need(h);
  ink(p.cr());
  picture::paragraph(p.cr(), p.left(), p.top(), p.text_width(), s, font);
  p.advance(h + after);
}

// ---------------------------------------------------------------- tables

std::string cell(const MemoTable& t, std::size_t row, std::size_t column) {
  return column < t.rows[row].size() ? t.rows[row][column] : std::string();
}

// Column widths: each its widest text, unless they do not fit; then the
// narrow ones keep theirs and the wide ones share what is left equally.
std::vector<double> column_widths(cairo_t* cr, const MemoTable& t, double total) {
  const std::size_t n = t.header.size();
  std::vector<double> natural(n, 0.0);
  for (std::size_t j = 0; j < n; ++j) {
    natural[j] = picture::measure(cr, t.header[j], kHeaderFont).width;
    for (std::size_t i = 0; i < t.rows.size(); ++i)
      natural[j] = std::max(natural[j], picture::measure(cr, cell(t, i, j), kCellFont).width);
    natural[j] += 2 * kCellPad + 1;
  }
  if (std::accumulate(natural.begin(), natural.end(), 0.0) <= total) return natural;
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return natural[a] < natural[b]; });
  std::vector<double> widths(n);
  double left = total;
  for (std::size_t k = 0; k < n; ++k) {
    const double fair = left / static_cast<double>(n - k);
    widths[order[k]] = std::min(natural[order[k]], fair);
    left -= widths[order[k]];
  }
  return widths;
}

double row_height(cairo_t* cr, const std::vector<std::string>& cells, const std::vector<double>& widths, Font font) {
  double h = 0;
  for (std::size_t j = 0; j < widths.size(); ++j) {
    const std::string& s = j < cells.size() ? cells[j] : std::string();
    h = std::max(h, picture::measure(cr, s.empty() ? " " : s, font, std::max(1.0, widths[j] - 2 * kCellPad)).height);
  }
  return h + 2 * kCellPad;
}

void draw_row(Pager& p, const std::vector<std::string>& cells, const std::vector<double>& widths,
              const std::vector<bool>& right, Font font, double h, const double* tint) {
  cairo_t* cr = p.cr();
  const double total = std::accumulate(widths.begin(), widths.end(), 0.0);
  if (tint != nullptr) {
    cairo_set_source_rgb(cr, tint[0], tint[1], tint[2]);
    cairo_rectangle(cr, p.left(), p.top(), total, h);
    cairo_fill(cr);
  }
  double x = p.left();
  for (std::size_t j = 0; j < widths.size(); ++j) {
    const std::string s = j < cells.size() ? cells[j] : std::string();
    const double wrap = std::max(1.0, widths[j] - 2 * kCellPad);
    const double w = picture::measure(cr, s, font, wrap).width;
    const bool at_right = j < right.size() && right[j];
    ink(cr);
    picture::paragraph(cr, at_right ? x + widths[j] - kCellPad - w : x + kCellPad, p.top() + kCellPad, wrap, s, font);
    x += widths[j];
  }
  cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
  cairo_set_line_width(cr, 0.4);
  cairo_move_to(cr, p.left(), p.top() + h);
  cairo_line_to(cr, p.left() + total, p.top() + h);
  cairo_stroke(cr);
  p.advance(h);
}

// The table, its header repeated on each page it goes on to.
void table(Pager& p, const MemoTable& t) {
  if (t.header.empty()) return;
  static constexpr double kHeaderTint[] = {0.88, 0.88, 0.88}, kPassTint[] = {0.88, 0.96, 0.88},
                          kFailTint[] = {0.99, 0.85, 0.85};
  const std::vector<double> widths = column_widths(p.cr(), t, p.text_width());
  const double header = row_height(p.cr(), t.header, widths, kHeaderFont);
  p.need(header + (t.rows.empty() ? 0.0 : row_height(p.cr(), t.rows.front(), widths, kCellFont)));
  draw_row(p, t.header, widths, t.right, kHeaderFont, header, kHeaderTint);
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    const double h = row_height(p.cr(), t.rows[i], widths, kCellFont);
    if (h > p.room()) {
      p.new_page();
      draw_row(p, t.header, widths, t.right, kHeaderFont, header, kHeaderTint);
    }
    const MemoVerdict v = i < t.verdicts.size() ? t.verdicts[i] : MemoVerdict::kNone;
    draw_row(p, t.rows[i], widths, t.right, kCellFont, h,
             v == MemoVerdict::kPasses ? kPassTint : v == MemoVerdict::kFails ? kFailTint : nullptr);
  }
  p.advance(kGap);
}

// ---------------------------------------------------------------- figures

// The figure at the text's width, or smaller to fit what is left of the page;
// on a new page when that would be less than kLeastFigure of a page.
void figure(Pager& p, const Figure& f, bool drawing) {
  if (!f.problem.empty()) return paragraph(p, "(not drawn: " + f.problem + ")", kBodyFont);
  double scale = picture::fit_scale(f, p.text_width(), p.room());
  if (scale * f.height < kLeastFigure * p.page_room() &&
      picture::fit_scale(f, p.text_width(), p.page_room()) * f.height > scale * f.height) {
    p.new_page();
    scale = picture::fit_scale(f, p.text_width(), p.room());
  }
  if (drawing) picture::draw_figure(p.cr(), f, p.left() + (p.text_width() - scale * f.width) / 2, p.top(), scale);
  p.advance(scale * f.height + kGap);
}

void section(Pager& p, const MemoSection& s, bool drawing) {
  // A heading over little text but a figure stays with the figure.
  const bool figure_first = (s.map || s.chart) && !s.table && s.fixed_lines.empty() && s.paragraphs.size() + s.notes.size() <= 2;
  p.need(figure_first ? kLeastFigure * p.page_room() + kKeepWithHeading : kKeepWithHeading);
  paragraph(p, s.heading, kHeadingFont, 4);
  for (const std::string& line : s.paragraphs) paragraph(p, line, kBodyFont);
  if (s.table) table(p, *s.table);
  for (const std::string& line : s.fixed_lines) paragraph(p, line.empty() ? " " : line, kFixedFont, 0);
  if (!s.fixed_lines.empty()) p.advance(kGap);
  for (const std::string& line : s.notes) paragraph(p, line, kBodyFont);
  if (s.map) {
    engine::EvaluatedGrid e = s.map->grid;
    e.wells = s.map->wells;
    figure(p, picture::plot_figure(e, s.map->options), drawing);
  }
  if (s.chart) figure(p, picture::hydrograph_figure(s.chart->title, s.chart->series, s.chart->style), drawing);
  p.advance(kSectionGap);
}

// Lays the memo out on a new PDF in `bytes`; the number of pages, or 0 when
// Cairo fails (`status`). Figures are drawn only when `drawing`.
int lay_out(const Memo& memo, std::string& bytes, int pages, bool drawing, cairo_status_t& status) {
  const std::pair<double, double> size = page_size(memo.page == PlotPage::kOwnSize ? PlotPage::kLetter : memo.page);
  cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(append_bytes, &bytes, size.first, size.second);
  if (!memo.title.empty())
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, picture::valid_utf8(memo.title).c_str());
  if (!memo.created.empty())
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATE_DATE, memo.created.c_str());
  cairo_t* cr = cairo_create(surface);
  Pager p(cr, size.first, size.second, memo.footer, pages);
  paragraph(p, memo.title, kTitleFont, 4);
  for (const std::string& line : memo.subtitle) paragraph(p, line, kSubtitleFont, 1);
  p.advance(kSectionGap);
  for (const MemoSection& s : memo.sections) section(p, s, drawing);
  p.finish();
  const int count = p.page();
  status = cairo_status(cr);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  return status == CAIRO_STATUS_SUCCESS ? count : 0;
}

}  // namespace

std::string memo_bytes(const Memo& memo, std::string& bytes) {
  cairo_status_t status = CAIRO_STATUS_SUCCESS;
  std::string counted;
  const int pages = lay_out(memo, counted, 0, false, status);
  bytes.clear();
  if (status == CAIRO_STATUS_SUCCESS) lay_out(memo, bytes, pages, true, status);
  if (status != CAIRO_STATUS_SUCCESS) {
    bytes.clear();
    return cairo_status_to_string(status);
  }
  return "";
}

std::string write_memo(const files::Target& target, const Memo& memo) {
  std::string bytes;
  if (std::string why = memo_bytes(memo, bytes); !why.empty()) return why;
  return files::write_whole_file(target, bytes);
}

}  // namespace pictures
