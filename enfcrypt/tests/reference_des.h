// The cipher written out literally with bit arrays and the published tables, one block at a
// time: the yardstick the fast cipher is held against. With `standard` set it is plain FIPS 46
// DES (most significant bit first, S-box output most significant bit first, final swap), so its
// tables can be checked against published DES vectors.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quintar::enfcrypt::reference {

struct Variant {
  bool standard = false;
};

void Block(std::uint8_t out[8], const std::uint8_t in[8], const std::uint8_t key[8], bool encipher,
           Variant v = {});

// Single mode for keys up to 8 bytes, triple (encipher-decipher-encipher) for 9 to 16.
void Ecb(std::uint8_t* data, std::size_t length, const std::uint8_t* key, std::size_t keyLength,
         bool encipher);

}  // namespace quintar::enfcrypt::reference
