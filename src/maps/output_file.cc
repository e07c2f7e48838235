#include "maps/output_file.h"

#include <cerrno>
#include <cstring>

namespace maps {

std::string missing_cells(const engine::EvaluatedGrid& e, std::string_view what) {
  if (e.NX < 1 || e.NY < 1)
    return "the grid has no nodes (NX = " + std::to_string(e.NX) + ", NY = " + std::to_string(e.NY) + ")";
  if (e.SPACING < 1)
    return "the node spacing of " + std::to_string(e.SPACING) + " feet gives no " + std::string(what);
  if (e.DD == nullptr) return "there is no drawdown grid";
  return "";
}

OutputFile::OutputFile(const std::string& path) {
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) error_ = errno != 0 ? errno : EIO;
}

OutputFile::~OutputFile() {
  if (file_ != nullptr) std::fclose(file_);
}

bool OutputFile::write(const void* data, std::size_t size) {
  if (error_ != 0) return false;
  if (std::fwrite(data, 1, size, file_) != size) error_ = errno != 0 ? errno : EIO;
  return error_ == 0;
}

std::string OutputFile::finish() {
  if (file_ != nullptr) {
    if (std::fflush(file_) != 0 && error_ == 0) error_ = errno != 0 ? errno : EIO;
    if (std::fclose(file_) != 0 && error_ == 0) error_ = errno != 0 ? errno : EIO;
    file_ = nullptr;
  }
  return error_ == 0 ? "" : std::strerror(error_);
}

}  // namespace maps
