// SHA-256 (FIPS 180-4) of bytes given in pieces: what the manifest of a study's
// output folder records for each file, so that a reader can tell the files of
// one run from those of another.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace files {

/// The SHA-256 of the bytes passed to add(), in order.
class Sha256 {
 public:
  Sha256();
  /// Appends `size` bytes to the message.
  void add(const void* data, std::size_t size);
  /// Appends `bytes` to the message.
  void add(std::string_view bytes) { add(bytes.data(), bytes.size()); }
  /// The digest of the message so far, as 64 lower-case hex digits.
  std::string hex() const;

 private:
  void block(const std::uint8_t* p);
  std::array<std::uint32_t, 8> h_;
  std::array<std::uint8_t, 64> buffer_{};
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;  // bytes
};

/// The SHA-256 of `bytes` in hex.
std::string sha256_hex(std::string_view bytes);

}  // namespace files
