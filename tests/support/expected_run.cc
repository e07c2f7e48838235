#include "expected_run.h"

#include <cstdio>

#include "program_run.h"

namespace testing_support {

Lines console_until_counts() {
  return {"Enter filename of the input file",
          "Enter output file name:",
          " NUMBER OF NODES IN  X  DIRECTION",
          " IS FIXED AT  300. NUMBER OF NODES",
          " IN  Y  DIRECTION IS VARIABLE",
          " FROM  1  TO  300 .",
          "     ",
          "     ",
          " ORIGIN OF GRID SYSTEM IS LOCATED",
          " AT THE LOWER LEFT HAND CORNER.",
          "     ",
          "     ",
          " HOW MANY NODES ARE REQUIRED IN THE  X  DIRECTION",
          " enter value from 1 to 300",
          " HOW MANY NODES ARE REQUIRED IN THE  Y  DIRECTION",
          " enter value from 1 to 300"};
}

Lines console_parameters() {
  return {" ENTER X Coordinate of Lower-left Corner of the Model : ",
          " ENTER Y Coordinate of Lower-left Coner of the Model : ",
          " ENTER TRANSMISSIVITY (GPD/FT) : ",
          " ENTER LEAKANCE (GPD/CUBIC FOOT) : ",
          " ENTER STORAGE COEFFICIENT : ",
          " ENTER TIME OF PUMPING (DAYS) : ",
          " ENTER NODE SPACING (FEET) : ",
          " ENTER 1 FOR 1 DECIMAL POINT FOR OUTPUT ",
          " ENTER 2 FOR 2 DECIMAL POINTS FOR OUTPUT ",
          " ENTER TOTAL NUMBER OF WELLS"};
}

Lines console_well() {
  return {" ENTER X&Y COORD AND POSITIVE OR NEGATIVE", " PUMPING RATE (X,Y,GPD).", " ENTER X COORD",
          " ENTER Y COORD", " ENTER PUMPAGE"};
}

std::string Answers::text() const {
  std::string s;
  for (const std::string* a : {&NX, &NY, &XLL, &YLL, &T, &LEAK, &S, &TIME, &SPACING, &NDEC, &NWELL})
    s += *a + "\n";
  for (const std::string& w : wells) s += w + "\n";
  return s;
}

Lines summary_block(const std::string& nx_i6, const std::string& ny_i5, const std::string& t_f12,
                    const std::string& leak_f12, const std::string& s_f12, const std::string& time_f12,
                    const std::string& spacing_i12) {
  return {"",
          "",
          "",
          blanks(20) + "SUMMARY OF INPUT DATA",
          "",
          blanks(12) + "MODEL GRID:" + nx_i6 + " X" + ny_i5,
          "",
          blanks(12) + "TRANSIENT LEAKY ARTESIAN AQUIFER MODEL",
          "",
          blanks(16) + "TRANSMISSIVITY = " + t_f12,
          "",
          blanks(10) + "LEAKANCE (GPD/FT**2) = " + leak_f12,
          "",
          blanks(11) + "STORAGE COEFFICIENT = " + s_f12,
          "",
          blanks(19) + "TIME (DAYS) = " + time_f12,
          "",
          blanks(18) + "NODE SPACING = " + spacing_i12,
          "",
          "",
          blanks(22) + "WELL DESCRIPTIONS",
          "",
          blanks(11) + "X-LOCATION" + blanks(5) + "Y-LOCATION" + blanks(7) + "Q(GPD)",
          "",
          ""};
}

Lines worked_summary() {
  return summary_block("     3", "    2", "      10000.", "  0.00100000", "  0.00010000", "      1.0000",
                       "         100");
}

Lines well_line(const std::string& x_f9, const std::string& y_f9, const std::string& q_f14) {
  return {blanks(9) + x_f9 + blanks(6) + y_f9 + blanks(5) + q_f14, ""};
}

Lines continuation_header() {
  return {"",
          "",
          blanks(22) + "WELL DESCRIPTIONS",
          blanks(25) + "(CONTINUED)",
          "",
          blanks(11) + "X-LOCATION" + blanks(5) + "Y-LOCATION" + blanks(7) + "Q(GPD)",
          "",
          ""};
}

Lines notices_and_spacing() {
  Lines l = {"", "", blanks(7) + "--DISPLAY DRAWDOWNS ARE ACTUAL DRAWDOWN VALUES--", "", "",
             blanks(15) + "--ROUNDED UP ON 5 AND DOWN ON 4--"};
  for (int i = 0; i < 20; ++i) l.push_back("");
  return l;
}

std::string column_numbers(int nx) {
  std::string s;
  for (int c = 1; c <= nx; ++c) {
    char field[16];
    std::snprintf(field, sizeof field, "%4d", c);
    s += (c == 1 ? blanks(9) : blanks(2)) + field;
  }
  return s;
}

Lines axis_label() { return {"", "", "", blanks(50) + "X AXIS"}; }

Lines raster_header(const std::string& nx_i6, const std::string& ny_i6, const std::string& xll_i12,
                    const std::string& yll_i12, const std::string& cellsize_i10) {
  return {"ncol" + nx_i6, "nrow" + ny_i6, "xllcorner" + xll_i12, "yllcorner" + yll_i12,
          "cellsize" + cellsize_i10, "nodata_value -9999"};
}

void append(Lines& lines, const Lines& more) { lines.insert(lines.end(), more.begin(), more.end()); }

}  // namespace testing_support
