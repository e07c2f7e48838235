// Parts of the program built as modules beside it (the GIS module, the
// aquifer-test fit): a run maps a module, and the libraries it pulls in, only
// when it needs it. A module exports one C function that returns the table of
// its functions; both sides are built together, by the same compiler against
// the same C++ library, so the table passes C++ types.
#pragma once

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <string>

namespace base {

/// The folder of the running program ("" when /proc cannot tell).
inline std::string program_folder() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof path) return "";
  const std::string exe(path, static_cast<std::size_t>(n));
  const std::size_t slash = exe.rfind('/');
  return slash == std::string::npos ? "" : exe.substr(0, slash);
}

namespace detail {

// The entry of the module `file` in `folder`, or null with the reason in `why`.
inline void* module_entry_in(const std::string& folder, const std::string& file, const char* entry,
                             std::string& why) {
  const std::string path = folder + "/" + file;
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* error = ::dlerror();
    why = error != nullptr ? error : path + ": cannot be opened";
    return nullptr;
  }
  // Never closed: the functions stay in use until the process ends.
  void* symbol = ::dlsym(handle, entry);
  if (symbol == nullptr) {
    const char* error = ::dlerror();
    why = error != nullptr ? error : path + ": no " + entry;
  }
  return symbol;
}

}  // namespace detail

/// The table of functions of the module `file`, whose one exported function
/// `entry` returns it: the module beside the program first (an installed
/// program carries it there), then the one of `build_folder` (the test
/// programs run from folders of their own). A table whose first member, its
/// size, is not sizeof(Table) belongs to another build and is not used. Null
/// when no module can be used, with the reason in `why`: a module that is
/// there but fails (a library it needs is missing) says more than one that is
/// not there.
template <typename Table>
const Table* load_module(const std::string& file, const std::string& build_folder, const char* entry,
                         std::string& why) {
  std::string first_why, found_why;
  for (const std::string& folder : {program_folder(), build_folder}) {
    if (folder.empty()) continue;
    std::string reason;
    void* symbol = detail::module_entry_in(folder, file, entry, reason);
    const Table* table = symbol != nullptr ? reinterpret_cast<const Table* (*)()>(symbol)() : nullptr;
    if (symbol != nullptr && (table == nullptr || table->size != sizeof(Table)))
      reason = folder + "/" + file + ": built with another version of the program";
    else if (table != nullptr)
      return table;
    if (first_why.empty()) first_why = reason;
    if (found_why.empty() && ::access((folder + "/" + file).c_str(), F_OK) == 0) found_why = reason;
  }
  why = found_why.empty() ? first_why : found_why;
  return nullptr;
}

}  // namespace base
