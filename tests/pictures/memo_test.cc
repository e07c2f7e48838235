// The memo's layout read back by poppler's pdftotext -bbox: every word lies
// inside the page's margins (nothing is clipped or runs off the page), a
// table longer than a page keeps every row and repeats its header, every page
// has its footer, and the page is the size asked for.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "pictures/memo.h"
#include "picture_folder.h"

namespace {

using pictures::Memo;
using pictures::MemoSection;
using pictures::MemoTable;

class MemoLayout : public picture_testing::PictureFolder {};

struct Word {
  double x0, y0, x1, y1;
  std::string text;
  int page;
};

struct Pages {
  double width = 0, height = 0;
  std::vector<Word> words;
  int count = 0;
};

// The words of the PDF `path` with their boxes, as pdftotext -bbox gives them.
Pages words_of(const std::string& path) {
  Pages p;
  FILE* f = popen(("pdftotext -bbox '" + path + "' - 2>/dev/null").c_str(), "r");
  if (f == nullptr) return p;
  std::string html;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) html.append(buffer, n);
  pclose(f);
  // The value of the attribute `name` of the element that begins at `at`.
  const auto attribute = [&](std::size_t at, const std::string& name) {
    const std::size_t v = html.find(name + "=\"", at);
    return v == std::string::npos ? 0.0 : std::strtod(html.c_str() + v + name.size() + 2, nullptr);
  };
  for (std::size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
    if (html.compare(at, 6, "<page ") == 0) {
      p.width = attribute(at, "width"), p.height = attribute(at, "height");
      ++p.count;
    } else if (html.compare(at, 6, "<word ") == 0) {
      const std::size_t text = html.find('>', at) + 1, end = html.find("</word>", text);
      p.words.push_back({attribute(at, "xMin"), attribute(at, "yMin"), attribute(at, "xMax"), attribute(at, "yMax"),
                         html.substr(text, end - text), p.count});
    }
  }
  return p;
}

// A memo that strains the layout: long words and paragraphs, a wide table of
// `rows` rows, preformatted lines longer than the page.
Memo straining_memo(int rows) {
  Memo m;
  m.title = "A title long enough to wrap over the page's width at sixteen points, with more words after it";
  m.subtitle = {"made today"};
  m.footer = "Footer-title";
  MemoSection s{"Inputs"};
  s.paragraphs.push_back(std::string(180, 'x') + " and after it " + std::string(90, 'y'));
  MemoTable t{{"receptor", "limit (ft)", "largest drawdown (ft)", "at day", "first exceeded (day)", "margin (ft)",
               "a long note column", "verdict"}};
  t.right = {false, true, true, false, false, true, false, false};
  for (int i = 0; i < rows; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "row-%03d", i);
    t.rows.push_back({name, "10.00", "11.56", "302.0 (2027-10-30)", "57.6 (2027-02-27T14:24)", "-1.56",
                      "c3ab8ff13720e8ad9047dd39466b3c8974e592c2fa383d4a3960714caef0c4f2 with words after it", "FAIL"});
    t.verdicts.push_back(i % 2 ? pictures::MemoVerdict::kFails : pictures::MemoVerdict::kPasses);
  }
  s.table = std::move(t);
  s.fixed_lines.push_back(std::string(200, 'z'));
  s.notes.push_back("the note under the table");
  m.sections.push_back(std::move(s));
  return m;
}

TEST_F(MemoLayout, EveryWordLiesInsideTheMarginsAndEveryRowIsKept) {
  for (const auto& [page, width, height] : {std::tuple{pictures::PlotPage::kLetter, 612.0, 792.0},
                                            std::tuple{pictures::PlotPage::kA4, 595.276, 841.89}}) {
    Memo memo = straining_memo(120);
    memo.page = page;
    std::string bytes;
    ASSERT_EQ(pictures::memo_bytes(memo, bytes), "");
    const std::string file = path("memo.pdf");
    std::ofstream(file, std::ios::binary) << bytes;
    const Pages p = words_of(file);
    ASSERT_GT(p.words.size(), 100u) << "pdftotext (poppler-utils) read nothing";
    EXPECT_NEAR(p.width, width, 0.01);
    EXPECT_NEAR(p.height, height, 0.01);
    ASSERT_GE(p.count, 3);
    constexpr double kMargin = 54.0;  // three quarters of an inch, less a point of rounding
    int rows = 0, headers = 0, footers = 0;
    std::vector<bool> page_numbered(static_cast<std::size_t>(p.count) + 1, false);
    for (const Word& w : p.words) {
      EXPECT_GE(w.x0, kMargin - 1) << w.text;
      EXPECT_LE(w.x1, p.width - kMargin + 1) << w.text;
      EXPECT_GE(w.y0, kMargin - 1) << w.text;
      EXPECT_LE(w.y1, p.height - kMargin + 4) << w.text;  // the footer's baseline, and its descenders
      rows += w.text.rfind("row-", 0) == 0;
      headers += w.text == "receptor";
      footers += w.text == "Footer-title";
      if (w.text == "of") page_numbered[static_cast<std::size_t>(w.page)] = true;
    }
    EXPECT_EQ(rows, 120);
    EXPECT_GE(headers, 2);  // the header again on the table's next page
    EXPECT_EQ(footers, p.count);
    for (int k = 1; k <= p.count; ++k) EXPECT_TRUE(page_numbered[static_cast<std::size_t>(k)]) << k;
  }
}

TEST_F(MemoLayout, AFigureThatCannotBeDrawnIsSaidAndAnEmptyMemoIsOnePage) {
  Memo memo;
  memo.title = "t";
  MemoSection s{"Hydrographs"};
  s.chart = pictures::MemoChart{"no receptors", {}, {}};
  memo.sections.push_back(s);
  std::string bytes;
  ASSERT_EQ(pictures::memo_bytes(memo, bytes), "");
  const std::string file = path("memo.pdf");
  std::ofstream(file, std::ios::binary) << bytes;
  const Pages p = words_of(file);
  EXPECT_EQ(p.count, 1);
  std::string text;
  for (const Word& w : p.words) text += w.text + " ";
  EXPECT_NE(text.find("(not drawn: there are no receptors to draw)"), std::string::npos) << text;
}

}  // namespace
