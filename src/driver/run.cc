#include "driver/run.h"

#include <cstdint>
#include <string_view>

#include "grid/comp.h"
#include "recio/edit_descriptors.h"
#include "recio/free_form.h"
#include "recio/record_writer.h"
#include "recio/units.h"

namespace driver {
namespace {

using recio::operator""_fmt;
using recio::kConsoleIn;
using recio::kConsoleOut;
using recio::kInputUnit;
using recio::write_free;

constexpr auto kInputNamePrompt = R"fmt("Enter filename of the input file" / $)fmt"_fmt;
constexpr auto kOutputNamePrompt = R"fmt("Enter output file name:" / $)fmt"_fmt;

constexpr std::string_view kBanner[] = {
    "NUMBER OF NODES IN  X  DIRECTION",
    "IS FIXED AT  300. NUMBER OF NODES",
    "IN  Y  DIRECTION IS VARIABLE",
    "FROM  1  TO  300 .",
    "    ",
    "    ",
    "ORIGIN OF GRID SYSTEM IS LOCATED",
    "AT THE LOWER LEFT HAND CORNER.",
    "    ",
    "    ",
};

}  // namespace

int run() {
  recio::NameField INFILE{};
  recio::NameField OUTFILE{};
  std::int32_t NX = 0;
  std::int32_t NY = 0;

  recio::write_formatted(kConsoleOut, kInputNamePrompt);
  recio::read_free(kConsoleIn, INFILE);
  recio::write_formatted(kConsoleOut, kOutputNamePrompt);
  recio::read_free(kConsoleIn, OUTFILE);

  recio::open_unit(recio::kInputUnit, std::string_view(INFILE.data(), INFILE.size()));
  recio::open_unit(recio::kReportUnit, std::string_view(OUTFILE.data(), OUTFILE.size()));
  recio::open_unit(recio::kRasterUnit, "ARCFILE");

  for (std::string_view line : kBanner) write_free(kConsoleOut, line);
  write_free(kConsoleOut, "HOW MANY NODES ARE REQUIRED IN THE  X  DIRECTION");
  write_free(kConsoleOut, "enter value from 1 to 300");
  recio::read_free(kInputUnit, NX);
  grid::check_node_count("NX", NX);
  write_free(kConsoleOut, "HOW MANY NODES ARE REQUIRED IN THE  Y  DIRECTION");
  write_free(kConsoleOut, "enter value from 1 to 300");
  recio::read_free(kInputUnit, NY);
  grid::check_node_count("NY", NY);

  grid::COMP(NY, NX);
  return 0;
}

}  // namespace driver
