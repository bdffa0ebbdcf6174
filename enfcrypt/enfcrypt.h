// The encrypted-file format (".enf") shared by Menuvex and the decryptor: the block cipher, the
// password's 8-bit form, the trailer and the data key. Plain C++, no windows.h, so the format
// logic is built and tested natively too.
//
// An encrypted file is the source's whole 8-byte blocks enciphered one by one (single mode,
// data key), followed by an 80-byte trailer enciphered in triple mode under the trailer key. The
// trailer carries the source's last size mod 8 bytes in clear and the whole password.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quintar::enfcrypt {

enum class Direction { Encipher, Decipher };

inline constexpr std::size_t kBlockSize = 8;
inline constexpr std::size_t kMaxPasswordBytes = 32;
inline constexpr std::size_t kTrailerSize = 80;
inline constexpr std::size_t kTrailerBlocks = kTrailerSize / kBlockSize;
inline constexpr std::size_t kTrailerConstantSize = 20;
inline constexpr std::size_t kTrailerKeySize = 16;

// The cipher over `length` bytes from `in` to `out` (which may be the same buffer), each 8-byte
// block on its own. `length` is rounded up to a multiple of 8, so both buffers must hold that
// many bytes. A key of up to 8 bytes selects single mode (zero-padded), 9 or more triple mode
// (cut to 16, K1 = bytes 0-7, K2 = bytes 8-15). False, with nothing done, when length <= 0 or
// a buffer or the key is null.
bool BlockCipher(std::uint8_t* out, const std::uint8_t* in, long length, const std::uint8_t* key,
                 std::size_t keyLength, Direction d);

// A key schedule made once and applied to many blocks; copyable, no shared state, so any number
// may be in use at once on different threads.
class Cipher {
 public:
  // Same key rules as BlockCipher (a null key with a nonzero length counts as all zeros).
  Cipher(const std::uint8_t* key, std::size_t keyLength) noexcept;

  bool Triple() const noexcept { return triple_; }

  // Works on `blocks` whole 8-byte blocks in place; long runs go through the bit-sliced
  // kernel, the rest one block at a time. Both give the same bytes.
  void Apply(std::uint8_t* data, std::size_t blocks, Direction d) const noexcept;
  // One block at a time only (for the tests and short runs).
  void ApplyBlocks(std::uint8_t* data, std::size_t blocks, Direction d) const noexcept;

  struct Schedule {
    std::uint32_t even[16];  // S-box groups 0, 2, 4, 6 of each round key
    std::uint32_t odd[16];   // S-box groups 1, 3, 5, 7
  };
  static Schedule MakeSchedule(const std::uint8_t key[8]) noexcept;

 private:
  // The whole batches of a run through the bit-sliced kernel; returns how many blocks it did.
  std::size_t ApplySliced(std::uint8_t* data, std::size_t blocks, Direction d) const noexcept;

  Schedule k1_{};
  Schedule k2_{};
  bool triple_ = false;
};

// The password's 8-bit form: the low byte of each UTF-16 code unit, one byte per unit.
std::string PasswordBytes(std::u16string_view text);

// The trailer constant T (20 bytes; the same in every deliverable) and the trailer key T[0..15].
const std::array<std::uint8_t, kTrailerConstantSize>& TrailerConstant() noexcept;
std::array<std::uint8_t, kTrailerKeySize> TrailerKey() noexcept;

// The data key: the password's first 4 bytes, zeros to 8.
std::array<std::uint8_t, kBlockSize> DataKey(std::string_view password) noexcept;

using Trailer = std::array<std::uint8_t, kTrailerSize>;

// The trailer before encipherment for `tail` (the source's last size mod 8 bytes, 0 to 7 of
// them) and `password` (at most 32 bytes). Nothing when either is too long.
std::optional<Trailer> BuildPlainTrailer(std::string_view password, std::string_view tail);

// The trailer as it is written to the file: BuildPlainTrailer enciphered in triple mode.
std::optional<Trailer> BuildTrailer(std::string_view password, std::string_view tail);

// What an enciphered trailer holds. Parsing only rejects trailers whose counts do not fit
// (R > 7 or L > 32); the filler bytes are not checked.
struct TrailerContents {
  std::string password;  // L bytes
  std::string tail;      // R bytes
};
std::optional<TrailerContents> ParseTrailer(const std::uint8_t* enciphered);

// Whether `typed` is exactly the stored password: same length, same bytes.
bool PasswordMatches(const TrailerContents& trailer, std::string_view typed) noexcept;

// The enciphered file size for a source of `sourceSize` bytes: 8 * (size div 8) + 80.
constexpr std::uint64_t EncryptedSize(std::uint64_t sourceSize) noexcept {
  return sourceSize / kBlockSize * kBlockSize + kTrailerSize;
}

// Whether a file of `size` bytes can be an encrypted file at all: at least one trailer long and a
// whole number of blocks. Others are refused like a wrong password, without reading past them.
constexpr bool PlausibleEncryptedSize(std::uint64_t size) noexcept {
  return size >= kTrailerSize && size % kBlockSize == 0;
}

// Streaming helper for the file functions: the data blocks of a file go through here in
// buffers of any whole number of blocks. Cheap to make; one per thread.
class DataStream {
 public:
  DataStream(std::string_view password, Direction d) noexcept;

  // `length` must be a multiple of 8; works in place.
  void Process(std::uint8_t* data, std::size_t length) const noexcept;

 private:
  Cipher cipher_;
  Direction direction_;
};

}  // namespace quintar::enfcrypt
