// The manifest of a study's output folder: what it lists reads back, and only
// plain names of output files come out of a manifest found in the folder,
// whoever wrote it.
#include "study/manifest.h"
#include "manifest_json.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

std::vector<std::string> names(const std::vector<study::ListedOutput>& listed) {
  std::vector<std::string> out;
  for (const study::ListedOutput& l : listed) out.push_back(l.name);
  return out;
}


TEST(Manifest, TheOutputsItListsReadBack) {
  study::Manifest m;
  m.version = "leaky-drawdown 1.0.0";
  m.inputs = {{"dir/study.toml", "ab", 0}};
  m.outputs = {{"dd_30d.asc", "cd", 10}, {"say \"hi\"\\.csv", "ef", 2}, {"tab\there.png", "01", 3}};
  m.warnings = {"cannot write the plot file 'out/x.png': No space left on device"};
  m.started = study::utc_time(0);
  m.ended = study::utc_time(86400 + 3661);
  const std::string text = study::manifest_text(m);
  const std::vector<study::ListedOutput> listed = study::listed_outputs(text);
  EXPECT_EQ(names(listed), (std::vector<std::string>{"dd_30d.asc", "say \"hi\"\\.csv", "tab\there.png"}));
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(listed[1].sha256, "ef");
  EXPECT_EQ(listed[1].size, std::optional<std::uint64_t>(2));
  EXPECT_NE(text.find("\"started\": \"1970-01-01T00:00:00Z\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"ended\": \"1970-01-02T01:01:01Z\""), std::string::npos) << text;
  EXPECT_NE(text.find("{\"file\": \"tab\\u0009here.png\", \"sha256\": \"01\", \"bytes\": 3}"), std::string::npos) << text;
  EXPECT_NE(text.find("\"inputs\": [\n    {\"file\": \"dir/study.toml\", \"sha256\": \"ab\"}\n  ],"), std::string::npos)
      << text;
}

TEST(Manifest, APlantedManifestNamesNothingOutsideTheFolder) {
  const std::string planted = R"({"outputs": [
    {"file": "../victim.csv", "sha256": ""},
    {"file": "/etc/passwd", "sha256": ""},
    {"file": "..", "sha256": ""},
    {"file": "a\/b.csv", "sha256": ""},
    {"file": "ok.asc", "sha256": ""}
  ]})";
  EXPECT_EQ(names(study::listed_outputs(planted)), std::vector<std::string>{"ok.asc"});
  EXPECT_EQ(names(study::listed_outputs("not a manifest")), std::vector<std::string>{});
  EXPECT_EQ(names(study::listed_outputs("{\"outputs\": [{\"file\": \"unterminated")),
            std::vector<std::string>{"unterminated"});
}

TEST(Manifest, OnlyOutputFilesAreRemovedAsStale) {
  for (const char* name : {"dd.asc", "dd.PRJ", "c.gpkg", "c.geojson", "c.shp", "c.shx", "c.dbf", "c.cpg", "m.png",
                           "m.svg", "m.pdf", "s.csv", "dd.tif", "dd.tiff"})
    EXPECT_TRUE(study::is_output_name(name)) << name;
  for (const char* name : {"study.toml", "notes.txt", ".bashrc", "manifest.json", "x.sh", "csv", ".csv", "a/b.csv"})
    EXPECT_FALSE(study::is_output_name(name)) << name;
}

}  // namespace

namespace {

// Names of any bytes (a study file's name is the user's) make a manifest that
// a strict JSON reader takes, with well-formed UTF-8 as it is and every other
// byte in the escaped form of the program's messages.
TEST(Manifest, IsValidJsonForAnyName) {
  const struct {
    const char* what;
    std::string name, read_back;
  } kCases[] = {
      {"Latin-1", "studie_\xe9t\xe9.toml", "studie_\\xe9t\\xe9.toml"},
      {"a lone continuation", "a\x80" "b.toml", "a\\x80b.toml"},
      {"a cut character", "a\xc3", "a\\xc3"},
      {"an overlong slash", "\xc0\xaf.toml", "\\xc0\\xaf.toml"},
      {"a surrogate", "\xed\xa0\x80.toml", "\\xed\\xa0\\x80.toml"},
      {"beyond U+10FFFF", "\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},
      {"UTF-8 kept", "\xc3\xa9tude \xe2\x82\xac \xf0\x9f\x8c\x8a.toml", "\xc3\xa9tude \xe2\x82\xac \xf0\x9f\x8c\x8a.toml"},
      {"controls, quote and backslash", std::string("a\tb\x7f\"\\c\0d", 9), std::string("a\tb\x7f\"\\c\0d", 9)},
  };
  for (const auto& c : kCases) {
    study::Manifest m;
    m.version = "leaky-drawdown 1.0.0";
    m.inputs = {{c.name, "ab", 0}};
    m.warnings = {"cannot read '" + c.name + "'"};
    const std::string text = study::manifest_text(m);
    const std::optional<std::vector<std::string>> read = study_testing::inputs_by_json_c(text);
    ASSERT_TRUE(read.has_value()) << c.what << "\n" << text;
    EXPECT_EQ(*read, std::vector<std::string>{c.read_back}) << c.what;
  }
}

// What a manifest found in the folder names comes back unescaped, so that a
// name the system would cut (at a NUL) or a control is seen as it is written.
TEST(Manifest, EscapedNamesComeBackWithTheirBytes) {
  const struct {
    const char* listed;
    std::string name;
  } kCases[] = {
      {R"(notes.txt\u0000.csv)", std::string("notes.txt\0.csv", 14)},
      {R"(a\u000a.csv)", "a\n.csv"},
      {R"(\u00e9t\u00E9.csv)", "\xc3\xa9t\xc3\xa9.csv"},
      {R"(\u20ac.csv)", "\xe2\x82\xac.csv"},
      {R"(\u0100.csv)", "\xc4\x80.csv"},
      {R"(a\/b.csv)", ""},
      {R"(\u002e\u002e)", ""},
  };
  for (const auto& c : kCases) {
    const std::string text = std::string(R"({"outputs": [{"file": ")") + c.listed + R"(", "sha256": "00", "bytes": 7}]})";
    const std::vector<study::ListedOutput> listed = study::listed_outputs(text);
    if (c.name.empty()) {
      EXPECT_TRUE(listed.empty()) << c.listed;
      continue;
    }
    ASSERT_EQ(listed.size(), 1u) << c.listed;
    EXPECT_EQ(listed[0].name, c.name) << c.listed;
    EXPECT_EQ(listed[0].size, std::optional<std::uint64_t>(7)) << c.listed;
  }
}

}  // namespace
