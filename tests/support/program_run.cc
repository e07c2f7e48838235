#include "program_run.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testing_support {
namespace fs = std::filesystem;

namespace {

std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) return {};
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string quote(std::string_view s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') q += "'\\''"; else q += c;
  }
  return q + "'";
}

}  // namespace

ScratchFolder::ScratchFolder() {
  std::string templ = (fs::temp_directory_path() / "leaky-e2e-XXXXXX").string();
  if (mkdtemp(templ.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = fs::canonical(templ).string();
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  // Tests may leave read-only files or folders behind: make them removable.
  for (auto it = fs::recursive_directory_iterator(path_, ec); it != fs::recursive_directory_iterator(); ++it)
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

void ScratchFolder::write(std::string_view name, std::string_view bytes) const {
  std::ofstream out(fs::path(path_) / name, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ScratchFolder::read(std::string_view name) const { return read_file(fs::path(path_) / name); }

bool ScratchFolder::exists(std::string_view name) const { return fs::exists(fs::path(path_) / name); }

RunResult run_program(const ScratchFolder& folder, std::string_view console,
                      const std::vector<std::string>& arguments) {
  return run_wrapped(folder, "", console, arguments);
}

RunResult run_wrapped(const ScratchFolder& folder, std::string_view wrapper, std::string_view console,
                      const std::vector<std::string>& arguments) {
  folder.write(".console", console);
  std::string command = "cd " + quote(folder.path()) + " && ";
  command.append(wrapper).append(" ").append(quote(LEAKY_EXE));
  for (const std::string& a : arguments) command.append(" ").append(quote(a));
  command += " < .console > .stdout 2> .stderr";
  const int raw = std::system(command.c_str());
  RunResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = folder.read(".stdout");
  r.err = folder.read(".stderr");
  r.report = folder.read("out.rpt");
  r.arcfile = folder.read("ARCFILE");
  r.folder = folder.path();
  fs::remove(fs::path(folder.path()) / ".console");
  fs::remove(fs::path(folder.path()) / ".stdout");
  fs::remove(fs::path(folder.path()) / ".stderr");
  return r;
}

RunResult run_with_input(std::string_view input) {
  ScratchFolder folder;
  folder.write("in.dat", input);
  return run_program(folder, "in.dat\nout.rpt\n");
}

std::string crlf(std::initializer_list<std::string_view> lines) {
  std::string s;
  for (std::string_view l : lines) (s += l) += "\r\n";
  return s;
}

std::string crlf(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) (s += l) += "\r\n";
  return s;
}

std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

std::string source_file(const std::string& path) {
  std::ifstream in(std::string(LEAKY_SOURCE_DIR) + "/" + path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace testing_support
