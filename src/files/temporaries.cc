#include "files/temporaries.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <regex>

namespace files {
namespace {

constexpr std::string_view kEnding = ".leaky-tmp";

// A temporary being written: the slot's state is 0 (free), 1 (taken, being
// filled in or emptied) or 2 (noted: a stop removes it).
struct Slot {
  std::atomic<int> state{0};
  int folder_fd = AT_FDCWD;
  char name[4096] = {};
};

std::array<Slot, 64>& slots() {
  static std::array<Slot, 64> table;
  return table;
}

std::uint64_t random_bits() {
  std::uint64_t v = 0;
  if (::getrandom(&v, sizeof v, 0) == static_cast<ssize_t>(sizeof v)) return v;
  // No random source: the clock and a counter still make a new name; the file
  // is created exclusively, so a guessed name cannot be taken over.
  static std::atomic<std::uint64_t> counter{0};
  return static_cast<std::uint64_t>(::getpid()) * 0x9E3779B97F4A7C15ull ^ (counter++ << 20) ^
         static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&v));
}

void write_all(const char* text) {
  std::size_t left = std::strlen(text);
  while (left > 0) {
    const ssize_t n = ::write(STDERR_FILENO, text, left);
    if (n <= 0) return;
    text += n, left -= static_cast<std::size_t>(n);
  }
}

extern "C" void stop_on_signal(int signal_number) {
  for (Slot& s : slots())
    if (s.state.load() == 2) ::unlinkat(s.folder_fd, s.name, 0);
  write_all(signal_number == SIGINT ? "leaky-drawdown: stopped by SIGINT; unfinished output files removed\n"
                                    : "leaky-drawdown: stopped by SIGTERM; unfinished output files removed\n");
  ::_exit(128 + signal_number);
}

}  // namespace

std::string temporary_name(std::string_view name) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out(1, '.');
  out.append(name.data(), std::min<std::size_t>(name.size(), 200));  // within a file name's 255 bytes
  out.push_back('.');
  const std::uint64_t bits = random_bits();
  for (int shift = 60; shift >= 0; shift -= 4) out += kDigits[(bits >> shift) & 0xF];
  out += kEnding;
  return out;
}

bool is_temporary_name(std::string_view name) {
  static const std::regex kForms(
      R"(\..+\.[0-9a-f]{16}\.leaky-tmp)"
      R"(|\..+\.partial-[0-9]+-[0-9]+(\.[A-Za-z0-9]+)?(-journal|-wal|-shm)?)"
      R"(|\..+\.[0-9]+-[0-9]+-[0-9]+\.tmp)");
  return std::regex_match(name.begin(), name.end(), kForms);
}

int note_temporary(int folder_fd, const std::string& name) {
  if (name.size() >= sizeof(Slot::name)) return -1;
  for (std::size_t k = 0; k < slots().size(); ++k) {
    Slot& s = slots()[k];
    int free = 0;
    if (!s.state.compare_exchange_strong(free, 1)) continue;
    s.folder_fd = folder_fd;
    std::memcpy(s.name, name.c_str(), name.size() + 1);
    s.state.store(2);
    return static_cast<int>(k);
  }
  return -1;
}

void forget_temporary(int slot) {
  if (slot < 0 || slot >= static_cast<int>(slots().size())) return;
  slots()[static_cast<std::size_t>(slot)].state.store(0);
}

void remove_temporaries_on_signals() {
  slots();  // the table exists before a handler can look at it
  struct sigaction action {};
  action.sa_handler = stop_on_signal;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

}  // namespace files
