#include "files/staged_files.h"

#include "files/output_file.h"

namespace files {
namespace {

std::size_t name_start(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

std::string ending_of(const std::string& path) {
  const std::size_t start = name_start(path);
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < start) return "";
  return path.substr(dot);
}

std::string with_ending(const std::string& path, const std::string& ending) {
  return path.substr(0, path.size() - ending_of(path).size()) + ending;
}

std::string write_staged(const Target& target, const std::vector<StagedFile>& files) {
  if (files.empty()) return "the format wrote no file";
  for (std::size_t k = 1; k <= files.size(); ++k) {
    const StagedFile& file = files[k % files.size()];  // the main file last
    const Target place = k == files.size() ? target : target.with_ending(file.ending);
    if (std::string why = write_whole_file(place, file.bytes); !why.empty())
      return k == files.size() ? why : std::string("'").append(place.shown()).append("': ").append(why);
  }
  return "";
}

}  // namespace files
