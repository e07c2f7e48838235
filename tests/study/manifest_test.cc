// The manifest of a study's output folder: what it lists reads back, and only
// plain names of output files come out of a manifest found in the folder,
// whoever wrote it.
#include "study/manifest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Manifest, TheOutputsItListsReadBack) {
  study::Manifest m;
  m.version = "leaky-drawdown 1.0.0";
  m.inputs = {{"dir/study.toml", "ab", 0}};
  m.outputs = {{"dd_30d.asc", "cd", 10}, {"say \"hi\"\\.csv", "ef", 2}, {"tab\there.png", "01", 3}};
  m.warnings = {"cannot write the plot file 'out/x.png': No space left on device"};
  m.started = study::utc_time(0);
  m.ended = study::utc_time(86400 + 3661);
  const std::string text = study::manifest_text(m);
  EXPECT_EQ(study::listed_outputs(text), (std::vector<std::string>{"dd_30d.asc", "say \"hi\"\\.csv", "tab\there.png"}));
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
  EXPECT_EQ(study::listed_outputs(planted), std::vector<std::string>{"ok.asc"});
  EXPECT_EQ(study::listed_outputs("not a manifest"), std::vector<std::string>{});
  EXPECT_EQ(study::listed_outputs("{\"outputs\": [{\"file\": \"unterminated"), std::vector<std::string>{"unterminated"});
}

TEST(Manifest, OnlyOutputFilesAreRemovedAsStale) {
  for (const char* name : {"dd.asc", "dd.PRJ", "c.gpkg", "c.geojson", "c.shp", "c.shx", "c.dbf", "c.cpg", "m.png",
                           "m.svg", "m.pdf", "s.csv", "dd.tif", "dd.tiff"})
    EXPECT_TRUE(study::is_output_name(name)) << name;
  for (const char* name : {"study.toml", "notes.txt", ".bashrc", "manifest.json", "x.sh", "csv", ".csv", "a/b.csv"})
    EXPECT_FALSE(study::is_output_name(name)) << name;
}

}  // namespace
