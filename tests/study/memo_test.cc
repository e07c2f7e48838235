// The permit memo and the calendar: dates held to the C library's UTC
// calendar, the tables' date columns, the memo's PDF read back as text by
// poppler's pdftotext (its compliance rows, footer, inputs' SHA-256 as
// sha256sum gives it, a table long enough to go over pages), the reader's
// refusals, and the hydrographs' dated ticks and limit lines in the legend.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <sstream>
#include <ctime>
#include <string>
#include <vector>

#include "base/calendar.h"
#include "base/exit_status.h"
#include "files/output_file.h"
#include "pictures/hydrograph.h"
#include "program_run.h"
#include "study/dated_csv.h"
#include "study/hydrographs.h"
#include "study/reader.h"
#include "study_texts.h"

namespace {

using testing_support::RunResult;
using testing_support::run_program;
using testing_support::ScratchFolder;

// The standard output of `command`.
std::string output_of(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
  pclose(p);
  return out;
}

// The text of the PDF `path`, as pdftotext reads it (pages split by form feeds).
std::string pdf_text(const std::string& path, bool layout = true) {
  return output_of(std::string("pdftotext ") + (layout ? "-layout " : "") + "'" + path + "' - 2>/dev/null");
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The C library's date of `day` days after `start` (UTC midnight), to the
// minute: the reference the calendar is held to.
std::string libc_date(base::Date start, double day) {
  std::tm tm{};
  tm.tm_year = start.year - 1900, tm.tm_mon = static_cast<int>(start.month) - 1, tm.tm_mday = static_cast<int>(start.day);
  const std::time_t t = timegm(&tm) + static_cast<std::time_t>(std::llround(day * 1440.0)) * 60;
  std::tm out{};
  gmtime_r(&t, &out);
  char text[40];
  std::strftime(text, sizeof text, out.tm_hour == 0 && out.tm_min == 0 ? "%Y-%m-%d" : "%Y-%m-%dT%H:%M", &out);
  return text;
}

TEST(Calendar, DaysAndDatesAgreeWithTheCLibrarysCalendar) {
  for (int year = 1890; year <= 2110; ++year)
    for (unsigned month = 1; month <= 12; ++month)
      for (unsigned day : {1u, 15u, 28u}) {
        const base::Date d{year, month, day};
        std::tm tm{};
        tm.tm_year = year - 1900, tm.tm_mon = static_cast<int>(month) - 1, tm.tm_mday = static_cast<int>(day);
        ASSERT_EQ(base::days_from_civil(d) * 86400, static_cast<std::int64_t>(timegm(&tm))) << base::iso_date(d);
        ASSERT_EQ(base::civil_from_days(base::days_from_civil(d)), d);
      }
  // Leap days: every fourth year, not every hundredth, every four-hundredth.
  const struct {
    base::Date d;
    bool valid;
  } leap[] = {{{2028, 2, 29}, true}, {{2027, 2, 29}, false}, {{1900, 2, 29}, false}, {{2000, 2, 29}, true},
              {{2027, 4, 31}, false}, {{2027, 13, 1}, false}, {{2027, 12, 31}, true}, {{2027, 1, 0}, false}};
  for (const auto& c : leap) EXPECT_EQ(base::valid_date(c.d), c.valid) << base::iso_date(c.d);
}

TEST(Calendar, ADayIsItsDateAtMidnightElseTheDateAndTimeToTheMinute) {
  const base::Date start{2027, 1, 1};
  const struct {
    double day;
    const char* date;
  } cases[] = {{0.0, "2027-01-01"},         {30.0, "2027-01-31"},       {57.6, "2027-02-27T14:24"},
               {365.0, "2028-01-01"},       {0.5, "2027-01-01T12:00"},  {0.9999999, "2027-01-02"},
               {-0.5, "2026-12-31T12:00"},  {-1.0, "2026-12-31"},       {424.0, "2028-02-29"}};
  for (const auto& c : cases) EXPECT_EQ(base::date_of_day(start, c.day).value_or("none"), c.date) << c.day;
  for (double day = -400.0; day < 4000.0; day += 13.37)
    ASSERT_EQ(base::date_of_day({2024, 2, 29}, day).value_or("none"), libc_date({2024, 2, 29}, day)) << day;
  EXPECT_FALSE(base::date_of_day(start, NAN));
  EXPECT_FALSE(base::date_of_day(start, 1e12));
}

TEST(DatedCsv, EachDayColumnGainsItsDateRightAfterIt) {
  const base::Date start{2027, 1, 1};
  const struct {
    const char* what;
    std::string csv, dated;
  } cases[] = {
      {"series, a name with a comma and a line end",
       "name,x,y,days,drawdown_ft\n\"Smith, J.\",1,2,30,1.5\n\"two\nlines\",1,2,0.25,0.5\n",
       "name,x,y,days,date,drawdown_ft\n\"Smith, J.\",1,2,30,2027-01-31,1.5\n\"two\nlines\",1,2,0.25,2027-01-01T06:00,0.5\n"},
      {"compliance, not exceeded",
       "name,limit_ft,largest_drawdown_ft,at_day,first_exceeded_day,margin_ft\nR-1,10,9,302.0,,1\n",
       "name,limit_ft,largest_drawdown_ft,at_day,at_date,first_exceeded_day,first_exceeded_date,margin_ft\n"
       "R-1,10,9,302.0,2027-10-30,,,1\n"},
      {"depletion", "stream,well,day,depletion\ncreek,all,59.999,3\n",
       "stream,well,day,date,depletion\ncreek,all,59.999,2027-03-01T23:59,3\n"},
      {"no day column", "a,b\n1,2\n", "a,b\n1,2\n"},
      {"a day that is no number", "days,v\nsoon,1\n", "days,date,v\nsoon,,1\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(study::with_dates(c.csv, start), c.dated) << c.what;
}

TEST(TimeAxis, LinearBelowTwoDecadesOfDaysLogarithmicFromThem) {
  EXPECT_FALSE(study::log_time_axis({1, 2, 5, 10, 30, 60, 90}));
  EXPECT_FALSE(study::log_time_axis({0, 5, 30, 365}));  // from day 5: 1.9 decades
  EXPECT_TRUE(study::log_time_axis({1, 10, 100}));
  EXPECT_TRUE(study::log_time_axis({1, 2, 5, 10, 30, 60, 90, 180, 365}));
  EXPECT_FALSE(study::log_time_axis({30}));
  // The chart follows the choice, and without one keeps its own rule.
  const std::vector<pictures::Hydrograph> series{{"R", {1, 5, 30}, {1.0f, 2.0f, 3.0f}}};
  pictures::ChartStyle style;
  EXPECT_TRUE(pictures::hydrograph_layout("t", series, style).log_time);
  style.log_time = false;
  const pictures::HydrographLayout linear = pictures::hydrograph_layout("t", series, style);
  EXPECT_FALSE(linear.log_time);
  EXPECT_EQ(linear.t0, 0.0);
  style.log_time = true;
  EXPECT_TRUE(pictures::hydrograph_layout("t", {{{"R", {1, 1.5}, {1.0f, 2.0f}}}}, style).log_time);
}

TEST(Hydrographs, DatedTicksAndTheLimitLinesInTheLegend) {
  ScratchFolder folder;
  std::vector<pictures::Hydrograph> series{{"Smith well", {0, 10, 20, 30, 40, 50, 60}, {0, 2, 3, 4, 5, 5.5f, 6}}};
  series[0].limit_ft = 5.0;
  pictures::ChartStyle style;
  style.log_time = false;
  style.start_date = base::Date{2027, 1, 1};
  const std::string path = folder.path() + "/h.pdf";
  ASSERT_EQ(pictures::write_hydrographs(files::Target(path), pictures::PlotFormat::kPdf, "dated", series, style), "");
  const std::string text = pdf_text(path);
  EXPECT_NE(text.find("limit at Smith well, 5 ft"), std::string::npos) << text;
  EXPECT_NE(text.find("2027-01-11"), std::string::npos) << text;  // day 10's tick
  EXPECT_NE(text.find("dates from 2027-01-01"), std::string::npos) << text;
  // Without a limit, no limit line in the legend; without a date, no dates.
  series[0].limit_ft.reset();
  style.start_date.reset();
  ASSERT_EQ(pictures::write_hydrographs(files::Target(path), pictures::PlotFormat::kPdf, "plain", series, style), "");
  const std::string plain = pdf_text(path);
  EXPECT_EQ(plain.find("limit at"), std::string::npos) << plain;
  EXPECT_EQ(plain.find("2027"), std::string::npos) << plain;
}

// The small study with a limit at its receptor, a compliance table, the memo
// and a start date.
std::string memo_study(const std::string& limit) {
  std::string text = study_testing::edited(study_testing::kSmallStudy, "y = 720150.0\n\n[output]",
                                           "y = 720150.0\nlimit = " + limit + "\n\n[output]");
  text = study_testing::edited(text, "times = [30.0, 90.0]", "start_date = 2027-01-01\ntimes = [30.0, 90.0]");
  return study_testing::edited(text, "series = \"series.csv\"",
                               "series = \"series.csv\"\ncompliance = \"compliance.csv\"\nmemo = \"memo.pdf\"");
}

// The CSV's fields of its first row after the header, by the header's names.
std::string field(const std::string& csv, const std::string& name) {
  const std::size_t header_end = csv.find('\n');
  const std::string header = csv.substr(0, header_end), row = csv.substr(header_end + 1, csv.find('\n', header_end + 1) - header_end - 1);
  std::vector<std::string> names, values;
  for (std::size_t a = 0, b; a <= header.size(); a = b + 1) names.push_back(header.substr(a, (b = std::min(header.find(',', a), header.size())) - a));
  for (std::size_t a = 0, b; a <= row.size(); a = b + 1) values.push_back(row.substr(a, (b = std::min(row.find(',', a), row.size())) - a));
  for (std::size_t k = 0; k < names.size() && k < values.size(); ++k)
    if (names[k] == name) return values[k];
  return "(no " + name + ")";
}

TEST(Memo, ThePdfStatesTheComplianceRowsTheInputsDigestsAndAFooterOnEachPage) {
  for (const char* limit : {"1.0", "50.0"}) {
    SCOPED_TRACE(limit);
    ScratchFolder folder;
    folder.write("study.toml", memo_study(limit));
    const RunResult run = run_program(folder, "", {"--study", "study.toml"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string text = pdf_text(folder.path() + "/out/memo.pdf");
    ASSERT_FALSE(text.empty()) << "pdftotext (poppler-utils) read nothing";
    const std::string csv = folder.read("out/compliance.csv");
    const bool exceeded = std::string(limit) == "1.0";
    // The compliance row: the receptor, its limit, the largest drawdown as the
    // CSV has it (to two decimals), the verdict, the first exceedance's date.
    char largest[32];
    std::snprintf(largest, sizeof largest, "%.2f", std::stod(field(csv, "largest_drawdown_ft")));
    const std::size_t row = text.find("R-1 ");
    ASSERT_NE(row, std::string::npos) << text;
    const std::string line = text.substr(row, text.find('\n', row) - row);
    EXPECT_NE(line.find(largest), std::string::npos) << line;
    EXPECT_NE(line.find(exceeded ? "FAIL" : "pass"), std::string::npos) << line;
    if (exceeded) {
      EXPECT_NE(text.find(field(csv, "first_exceeded_date")), std::string::npos) << csv << text;
    }
    EXPECT_NE(text.find(exceeded ? "the plan exceeds a limit" : "the plan keeps every limit"), std::string::npos);
    // The study file's SHA-256 as sha256sum gives it.
    const std::string digest = output_of("sha256sum '" + folder.path() + "/study.toml'").substr(0, 64);
    ASSERT_EQ(digest.size(), 64u);
    EXPECT_NE(text.find(digest), std::string::npos) << text;
    // Each page's footer: the title and "page N of M".
    const std::size_t pages = count(text, "\f");
    ASSERT_GE(pages, 2u);
    for (std::size_t n = 1; n <= pages; ++n)
      EXPECT_NE(text.find("page " + std::to_string(n) + " of " + std::to_string(pages)), std::string::npos) << n;
    EXPECT_GE(count(text, "small"), pages + 1);
    // The series has its dates, and the manifest lists the memo.
    EXPECT_EQ(folder.read("out/series.csv").rfind("name,x,y,days,date,drawdown_ft\nR-1,2150250,720150,30,2027-01-31,", 0), 0u)
        << folder.read("out/series.csv");
    EXPECT_NE(folder.read("out/manifest.json").find("\"memo.pdf\""), std::string::npos);
  }
}

TEST(Memo, ATableLongerThanAPageGoesOnWithItsHeaderRepeated) {
  std::string receptors;
  for (int k = 0; k < 90; ++k)
    receptors += "\n[[receptor]]\nname = \"Neighbour-" + std::to_string(100 + k) + "\"\nx = " +
                 std::to_string(2150010 + 4 * k) + ".0\ny = 720250.0\nlimit = 3.0\n";
  std::string text = study_testing::edited(study_testing::kSmallStudy, "\n[output]", receptors + "\n[output]");
  text = study_testing::edited(text, "series = \"series.csv\"", "memo = \"memo.pdf\"\npage = \"a4\"");
  ScratchFolder folder;
  folder.write("study.toml", text);
  const RunResult run = run_program(folder, "", {"--study", "study.toml"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string pdf = folder.path() + "/out/memo.pdf";
  const std::string body = pdf_text(pdf, false);
  for (int k = 0; k < 90; ++k) EXPECT_NE(body.find("Neighbour-" + std::to_string(100 + k)), std::string::npos) << k;
  EXPECT_GE(count(body, "largest drawdown (ft)"), 2u);  // the header on each page the table takes
  EXPECT_NE(body.find("The first 12 of the 91 receptors"), std::string::npos);  // a legible chart
  // A4: 595 x 842 points.
  EXPECT_NE(output_of("pdfinfo '" + pdf + "'").find("595.276 x 841.89 pts (A4)"), std::string::npos);
}

TEST(Memo, TheReaderRefusesWhatItCannotFollow) {
  const struct {
    const char* what;
    std::string from, to, says;
  } cases[] = {
      {"not a PDF", "series = \"series.csv\"", "memo = \"memo.png\"", "'memo' must name a .pdf file"},
      {"in a folder", "series = \"series.csv\"", "memo = \"a/memo.pdf\"", "'memo' must be a plain file name"},
      {"a date in quotes", "times = [", "start_date = \"2027-01-01\"\ntimes = [", "'start_date' must be a date"},
      {"a date and time", "times = [", "start_date = 2027-01-01T08:00:00\ntimes = [", "'start_date' must be a date"},
      {"an unknown axis", "series = \"series.csv\"", "hydrographs = \"h.png\"\ntime_axis = \"days\"",
       "'time_axis' must be \"linear\" or \"log\""},
      {"an axis for nothing", "series = \"series.csv\"", "time_axis = \"log\"", "'time_axis' is for"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      study_testing::read_text(study_testing::edited(study_testing::kSmallStudy, c.from, c.to));
      ADD_FAILURE() << "read";
    } catch (const study::StudyError& e) {
      EXPECT_NE(e.message.find(c.says), std::string::npos) << e.message;
    }
  }
  // The memo takes `page` without a .pdf picture; its page is letter in feet.
  const study::Study s = study_testing::read_text(
      study_testing::edited(study_testing::kSmallStudy, "series = \"series.csv\"", "memo = \"m.pdf\"\npage = \"a4\""));
  EXPECT_EQ(s.output.memo, "m.pdf");
}

}  // namespace

namespace {

TEST(Memo, TheExampleStudysMemoHoldsItsCompliance) {
  ScratchFolder folder;
  for (const char* name : {"wellfield.toml", "receptors.csv"})
    folder.write(name, testing_support::source_file(std::string("examples/study/") + name));
  const RunResult run = run_program(folder, "", {"--study", "wellfield.toml"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string text = pdf_text(folder.path() + "/out/memo.pdf");
  // The rows as the console's compliance table has them, with the verdicts.
  for (const char* row : {"Smith domestic well", "Cedar Creek wetland"}) {
    const std::size_t at = text.find(std::string(row) + " ");
    ASSERT_NE(at, std::string::npos) << row << "\n" << text;
    const std::string line = text.substr(at, text.find('\n', at) - at);
    const std::size_t console = run.out.find(std::string(row) + " ", run.out.find("limit (ft)  largest drawdown (ft)"));
    ASSERT_NE(console, std::string::npos) << run.out;
    std::istringstream in(run.out.substr(console + std::string(row).size()));
    std::string limit, largest, day;
    in >> limit >> largest >> day;
    EXPECT_NE(line.find(limit), std::string::npos) << line;
    EXPECT_NE(line.find(largest), std::string::npos) << line;
    EXPECT_NE(line.find(std::string(row) == "Smith domestic well" ? "FAIL" : "pass"), std::string::npos) << line;
  }
  EXPECT_NE(text.find("limit at Smith domestic well, 10 ft"), std::string::npos);
}

}  // namespace

namespace {

// `text` with each run of white space (line ends and page breaks too) made
// one space: a memo's paragraph as one line, however the page wrapped it.
std::string squeezed(const std::string& text) {
  std::string out;
  for (char c : text) {
    const bool space = c == ' ' || c == '\n' || c == '\f' || c == '\t' || c == '\r';
    if (space && (out.empty() || out.back() == ' ')) continue;
    out.push_back(space ? ' ' : c);
  }
  return out;
}

// The line of `text` that begins with `start` (after spaces), or "".
std::string line_of(const std::string& text, const std::string& start) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    if (const std::size_t at = line.find_first_not_of(' '); at != std::string::npos && line.compare(at, start.size(), start) == 0)
      return line.substr(at);
  return "";
}

// The fields of the CSV row of `csv` whose first field is `name` (the last such row).
std::vector<std::string> csv_row(const std::string& csv, const std::string& name) {
  std::vector<std::string> fields;
  std::istringstream lines(csv);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind(name + ",", 0) == 0) {
      fields.clear();
      std::istringstream in(line + ",");
      for (std::string f; std::getline(in, f, ',');) fields.push_back(f);
    }
  return fields;
}

// The words of `line` after `skip` words.
std::vector<std::string> words_after(const std::string& line, std::size_t skip) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  words.erase(words.begin(), words.begin() + static_cast<std::ptrdiff_t>(std::min(skip, words.size())));
  return words;
}

const char kEnsemble[] =
    "\n[uncertainty]\ntransmissivity = [30000.0, 80000.0]\nstorage = [0.0001, 0.0004]\nleakance = [0.00002, 0.0001]\n"
    "realizations = 12\nseed = 7\nreliability = 0.9\n\n[output]";

TEST(Memo, TheUncertaintySectionHoldsTheCsvsProbabilitiesAndPercentilesAndTheConsolesFactor) {
  for (const char* limit : {"1.0", "4.0", "50.0"}) {
    SCOPED_TRACE(limit);
    ScratchFolder folder;
    folder.write("study.toml", study_testing::edited(memo_study(limit), "\n[output]", kEnsemble));
    const RunResult run = run_program(folder, "", {"--study", "study.toml"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string text = pdf_text(folder.path() + "/out/memo.pdf");
    ASSERT_NE(text.find("Uncertainty"), std::string::npos) << text;
    // The receptor's row: the CSVs' probability, its standard error and the
    // 95th percentile at the last series day.
    const std::string csv = folder.read("out/compliance.csv");
    const std::vector<std::string> last = csv_row(folder.read("out/series.csv"), "R-1");
    ASSERT_EQ(last.size(), 9u) << folder.read("out/series.csv");  // name,x,y,days,date,drawdown,p05,p50,p95
    EXPECT_EQ(last[3], "90");
    const std::vector<std::string> shown = words_after(line_of(text.substr(text.find("Uncertainty")), "R-1 "), 1);
    EXPECT_EQ(shown, (std::vector<std::string>{field(csv, "probability_exceeded"), field(csv, "probability_se"), last[8]}))
        << text;
    // Every realization exceeds 1 ft, none 50 ft, some 4 ft: a share of the
    // 12 with its binomial standard error sqrt(p (1 - p) / n).
    const double p = std::stod(field(csv, "probability_exceeded"));
    if (std::string(limit) != "4.0") {
      EXPECT_EQ(p, std::string(limit) == "1.0" ? 1.0 : 0.0) << csv;
    } else {
      EXPECT_GT(p, 0.0);
      EXPECT_LT(p, 1.0);
      EXPECT_NEAR(p * 12.0, std::round(p * 12.0), 1e-9);
      EXPECT_NEAR(std::stod(field(csv, "probability_se")), std::sqrt(p * (1.0 - p) / 12.0), 5e-5);
    }
    // The console's lines of the ensemble, word for word.
    for (const char* start : {"uncertainty: 12 realizations", "rate factor at 90 % reliability: "}) {
      const std::string console = line_of(run.out, start);
      ASSERT_FALSE(console.empty()) << run.out;
      EXPECT_NE(squeezed(text).find(squeezed(console)), std::string::npos) << console << "\n" << text;
    }
  }
}

// PW-1's factor alone as the console's table of the wells alone shows it.
std::string alone_factor(const std::string& out) {
  const std::size_t table = out.find("each well alone");
  const std::vector<std::string> words = table == std::string::npos ? std::vector<std::string>{}
                                                                    : words_after(line_of(out.substr(table), "PW-1 "), 1);
  return words.empty() ? "(no factor alone)" : words[0];
}

// kSmallStudy's memo with a limit at R-1 that its one well breaks, with
// [allocation] and `well` among PW-1's keys.
std::string allocation_memo_study(const std::string& well) {
  std::string text = study_testing::edited(memo_study("1.0"), "rate = 250000.0\n", "rate = 250000.0\n" + well);
  text = study_testing::edited(text, "\n[output]", "\n[allocation]\n\n[output]");
  return study_testing::edited(text, "memo = \"memo.pdf\"", "memo = \"memo.pdf\"\nallocation = \"allocation.csv\"");
}

TEST(Memo, TheAllocationSectionHoldsTheCsvsRatesAndTheConsolesFactorsTotalAndBindingLimit) {
  ScratchFolder folder;
  folder.write("study.toml", allocation_memo_study(""));
  const RunResult run = run_program(folder, "", {"--study", "study.toml"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string text = pdf_text(folder.path() + "/out/memo.pdf");
  const std::size_t section = text.find("Allocation");
  ASSERT_NE(section, std::string::npos) << text;
  // PW-1's row: the CSV's planned and allowed rates, the console's factor
  // (rounded down to 0.001) and its factor alone.
  const std::vector<std::string> csv = csv_row(folder.read("out/allocation.csv"), "PW-1");
  ASSERT_EQ(csv.size(), 5u) << folder.read("out/allocation.csv");
  const std::vector<std::string> console = words_after(line_of(run.out.substr(run.out.find("allocation: ")), "PW-1 "), 1);
  ASSERT_EQ(console.size(), 3u) << run.out;  // planned rate, factor, allowed rate
  EXPECT_EQ(console[0], csv[1]);
  EXPECT_EQ(console[2], csv[3]);
  EXPECT_LT(std::stod(console[1]), 1.0) << "the limit of 1 ft is broken as planned";
  EXPECT_EQ(words_after(line_of(text.substr(section), "PW-1 "), 1),
            (std::vector<std::string>{csv[1], console[1], csv[3], alone_factor(run.out)}))
      << text;
  // The allowed total and R-1's binding limit with its dual, as the console has them.
  for (const char* start : {"allowed total: ", "'R-1' binds at day "}) {
    const std::string line = line_of(run.out, start);
    ASSERT_FALSE(line.empty()) << start << run.out;
    EXPECT_NE(squeezed(text).find(squeezed(line)), std::string::npos) << line << "\n" << text;
  }
}

TEST(Memo, AnAllocationWithoutAPlanSaysWhyAndGivesNoFactors) {
  ScratchFolder folder;
  folder.write("study.toml", allocation_memo_study("min_factor = 2.0\n"));
  const RunResult run = run_program(folder, "", {"--study", "study.toml"});
  ASSERT_EQ(run.status, base::kExitNoAllocation) << run.err;
  const std::string text = pdf_text(folder.path() + "/out/memo.pdf");
  ASSERT_NE(text.find("Allocation"), std::string::npos) << text;
  const std::string why = run.err.substr(run.err.find(": ") + 2, run.err.find('\n') - run.err.find(": ") - 2);
  EXPECT_NE(squeezed(text).find("No plan keeps every limit: " + squeezed(why)), std::string::npos) << why << "\n" << text;
  const std::vector<std::string> row = words_after(line_of(text.substr(text.find("Allocation")), "PW-1 "), 1);
  EXPECT_EQ(row, (std::vector<std::string>{"250000", "-", "-", alone_factor(run.out)})) << text;
  EXPECT_EQ(text.find("allowed total"), std::string::npos);
}

TEST(Memo, WithoutAnEnsembleOrAPlanTheMemoHasNeitherSection) {
  const struct {
    const char* what;
    std::string study;
  } cases[] = {
      {"compliance only", memo_study("1.0")},
      {"contributions without [allocation]",
       study_testing::edited(memo_study("1.0"), "memo = \"memo.pdf\"", "memo = \"memo.pdf\"\ncontributions = \"c.csv\"")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    folder.write("study.toml", c.study);
    const RunResult run = run_program(folder, "", {"--study", "study.toml"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string text = pdf_text(folder.path() + "/out/memo.pdf", false);
    ASSERT_NE(text.find("Compliance"), std::string::npos) << text;
    EXPECT_EQ(text.find("Uncertainty"), std::string::npos) << text;
    EXPECT_EQ(text.find("Allocation"), std::string::npos) << text;
    EXPECT_EQ(text.find("probability"), std::string::npos) << text;
    EXPECT_EQ(text.find("allowed rate"), std::string::npos) << text;
  }
}

}  // namespace
