#include "gis/gdal/memory_files.h"

#include <cpl_string.h>
#include <cpl_vsi.h>

#include <algorithm>
#include <atomic>

namespace gis::gdal {

MemoryFiles::MemoryFiles() {
  static std::atomic<unsigned> counter{0};
  folder_ = "/vsimem/leaky-drawdown-" + std::to_string(counter++);
  VSIMkdir(folder_.c_str(), 0777);
}

MemoryFiles::~MemoryFiles() { VSIRmdirRecursive(folder_.c_str()); }

std::string MemoryFiles::path(const std::string& stem, const std::string& ending) const {
  return folder_ + "/" + stem + ending;
}

std::vector<files::StagedFile> MemoryFiles::take(const std::string& stem, const std::string& main_ending) const {
  std::vector<std::string> names;
  if (char** list = VSIReadDir(folder_.c_str())) {
    for (char** p = list; *p != nullptr; ++p) names.emplace_back(*p);
    CSLDestroy(list);
  }
  std::sort(names.begin(), names.end());
  std::vector<files::StagedFile> files;
  auto take_one = [&](const std::string& name) {
    vsi_l_offset size = 0;
    const std::string full = folder_ + "/" + name;
    GByte* data = VSIGetMemFileBuffer(full.c_str(), &size, FALSE);
    files.push_back({name.substr(stem.size()), data != nullptr ? std::string(reinterpret_cast<const char*>(data), size) : ""});
  };
  if (std::find(names.begin(), names.end(), stem + main_ending) == names.end()) return {};
  take_one(stem + main_ending);
  for (const std::string& name : names)
    if (name != stem + main_ending && name.starts_with(stem + ".")) take_one(name);
  return files;
}

}  // namespace gis::gdal
