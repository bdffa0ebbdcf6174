// The trailer, the keys and the password's 8-bit form.
#include <algorithm>
#include <cstring>

#include "enfcrypt/enfcrypt.h"

namespace quintar::enfcrypt {
namespace {

// Offsets within the trailer before encipherment.
constexpr std::size_t kRemainderAt = 15;
constexpr std::size_t kPasswordLengthAt = 31;
constexpr std::size_t kTailAt = 32;
constexpr std::size_t kPasswordAt = 48;
constexpr std::uint8_t kPasswordFiller = 0x40;

// Assembled from two halves so the constant does not sit in the binary as one string.
constexpr std::array<std::uint8_t, kTrailerConstantSize> MakeTrailerConstant() {
  constexpr std::uint8_t a[10] = {0x5B, 0xC1, 0x37, 0x8E, 0xA4, 0x19, 0x6D, 0xF2, 0x03, 0xB8};
  constexpr std::uint8_t b[10] = {0x2E, 0x9A, 0x47, 0xD5, 0x71, 0x0C, 0xE6, 0x88, 0x3F, 0x64};
  std::array<std::uint8_t, kTrailerConstantSize> t{};
  for (std::size_t i = 0; i < 10; ++i) {
    t[2 * i] = a[i];
    t[2 * i + 1] = b[i];
  }
  return t;
}

constexpr std::array<std::uint8_t, kTrailerConstantSize> kTrailerConstant = MakeTrailerConstant();

const Cipher& TrailerCipher() noexcept {
  static const Cipher cipher(kTrailerConstant.data(), kTrailerKeySize);
  return cipher;
}

}  // namespace

std::string PasswordBytes(std::u16string_view text) {
  std::string bytes(text.size(), '\0');
  std::transform(text.begin(), text.end(), bytes.begin(),
                 [](char16_t unit) { return static_cast<char>(unit & 0xFF); });
  return bytes;
}

const std::array<std::uint8_t, kTrailerConstantSize>& TrailerConstant() noexcept {
  return kTrailerConstant;
}

std::array<std::uint8_t, kTrailerKeySize> TrailerKey() noexcept {
  std::array<std::uint8_t, kTrailerKeySize> key{};
  std::copy_n(kTrailerConstant.begin(), kTrailerKeySize, key.begin());
  return key;
}

std::array<std::uint8_t, kBlockSize> DataKey(std::string_view password) noexcept {
  std::array<std::uint8_t, kBlockSize> key{};
  std::copy_n(password.begin(), std::min<std::size_t>(password.size(), 4), key.begin());
  return key;
}

std::optional<Trailer> BuildPlainTrailer(std::string_view password, std::string_view tail) {
  if (password.size() > kMaxPasswordBytes || tail.size() >= kBlockSize) return std::nullopt;
  const auto& t = kTrailerConstant;
  const std::size_t r = tail.size();
  Trailer out{};
  for (std::size_t i = 0; i < 15; ++i) out[i] = t[17 - i];
  out[kRemainderAt] = static_cast<std::uint8_t>(r);
  for (std::size_t i = 16; i < 31; ++i) out[i] = t[i - 15];
  out[kPasswordLengthAt] = static_cast<std::uint8_t>(password.size());
  std::copy(tail.begin(), tail.end(), out.begin() + kTailAt);
  for (std::size_t i = kTailAt + r; i < kPasswordAt; ++i) out[i] = t[i - 31];
  std::copy(password.begin(), password.end(), out.begin() + kPasswordAt);
  std::fill(out.begin() + kPasswordAt + password.size(), out.end(), kPasswordFiller);
  return out;
}

std::optional<Trailer> BuildTrailer(std::string_view password, std::string_view tail) {
  auto trailer = BuildPlainTrailer(password, tail);
  if (trailer) TrailerCipher().Apply(trailer->data(), kTrailerBlocks, Direction::Encipher);
  return trailer;
}

std::optional<TrailerContents> ParseTrailer(const std::uint8_t* enciphered) {
  if (!enciphered) return std::nullopt;
  Trailer plain;
  std::memcpy(plain.data(), enciphered, kTrailerSize);
  TrailerCipher().Apply(plain.data(), kTrailerBlocks, Direction::Decipher);
  const std::size_t r = plain[kRemainderAt];
  const std::size_t l = plain[kPasswordLengthAt];
  if (r >= kBlockSize || l > kMaxPasswordBytes) return std::nullopt;
  TrailerContents contents;
  contents.tail.assign(reinterpret_cast<const char*>(plain.data() + kTailAt), r);
  contents.password.assign(reinterpret_cast<const char*>(plain.data() + kPasswordAt), l);
  return contents;
}

bool PasswordMatches(const TrailerContents& trailer, std::string_view typed) noexcept {
  return typed == trailer.password;
}

DataStream::DataStream(std::string_view password, Direction d) noexcept
    : cipher_(DataKey(password).data(), kBlockSize), direction_(d) {}

void DataStream::Process(std::uint8_t* data, std::size_t length) const noexcept {
  cipher_.Apply(data, length / kBlockSize, direction_);
}

}  // namespace quintar::enfcrypt
