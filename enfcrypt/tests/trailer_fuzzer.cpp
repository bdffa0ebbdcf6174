// Arbitrary bytes as an encrypted file and a typed password: the checks a decryption makes
// before it writes anything must hold for any input, and an accepted file must decipher.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "enfcrypt/enfcrypt.h"

using namespace quintar::enfcrypt;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // First byte: the typed password's length; then the password; the rest is the file.
  const std::size_t typedLength = data[0] % 40;
  if (size < 1 + typedLength) return 0;
  const std::string_view typed(reinterpret_cast<const char*>(data + 1), typedLength);
  std::vector<std::uint8_t> file(data + 1 + typedLength, data + size);

  if (!PlausibleEncryptedSize(file.size())) return 0;
  const std::size_t dataSize = file.size() - kTrailerSize;
  const auto trailer = ParseTrailer(file.data() + dataSize);
  if (!trailer) return 0;
  if (trailer->tail.size() >= kBlockSize || trailer->password.size() > kMaxPasswordBytes) __builtin_trap();
  // What parses must also come back out of the builder unchanged.
  const auto rebuilt = BuildTrailer(trailer->password, trailer->tail);
  if (!rebuilt) __builtin_trap();
  const auto again = ParseTrailer(rebuilt->data());
  if (!again || again->password != trailer->password || again->tail != trailer->tail) __builtin_trap();
  if (!PasswordMatches(*trailer, typed)) return 0;
  DataStream(typed, Direction::Decipher).Process(file.data(), dataSize);
  return 0;
}
