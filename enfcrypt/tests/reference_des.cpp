#include "enfcrypt/tests/reference_des.h"

#include <cstring>
#include <utility>

#include "enfcrypt/des_tables.h"

namespace quintar::enfcrypt::reference {
namespace {

using Bits64 = std::uint8_t[64];

int BitPosition(int n, Variant v) { return v.standard ? 7 - n % 8 : n % 8; }

void ToBits(const std::uint8_t bytes[8], Bits64 bits, Variant v) {
  for (int n = 0; n < 64; ++n) bits[n] = (bytes[n / 8] >> BitPosition(n, v)) & 1;
}

void FromBits(const Bits64 bits, std::uint8_t bytes[8], Variant v) {
  std::memset(bytes, 0, 8);
  for (int n = 0; n < 64; ++n) bytes[n / 8] |= static_cast<std::uint8_t>(bits[n] << BitPosition(n, v));
}

void RoundKeys(const std::uint8_t key[8], std::uint8_t keys[16][48], Variant v) {
  Bits64 k;
  ToBits(key, k, v);
  std::uint8_t c[28], d[28];
  for (int i = 0; i < 28; ++i) {
    c[i] = k[des::kPC1[i] - 1];
    d[i] = k[des::kPC1[i + 28] - 1];
  }
  for (int round = 0; round < 16; ++round) {
    for (int s = 0; s < des::kShifts[round]; ++s) {
      const std::uint8_t c0 = c[0], d0 = d[0];
      for (int i = 0; i < 27; ++i) {
        c[i] = c[i + 1];
        d[i] = d[i + 1];
      }
      c[27] = c0;
      d[27] = d0;
    }
    std::uint8_t cd[56];
    std::memcpy(cd, c, 28);
    std::memcpy(cd + 28, d, 28);
    for (int i = 0; i < 48; ++i) keys[round][i] = cd[des::kPC2[i] - 1];
  }
}

void F(const std::uint8_t x[32], const std::uint8_t k[48], std::uint8_t out[32], Variant v) {
  std::uint8_t e[48];
  for (int i = 0; i < 48; ++i) e[i] = x[des::kE[i] - 1] ^ k[i];
  std::uint8_t s[32];
  for (int box = 0; box < 8; ++box) {
    const std::uint8_t* b = e + 6 * box;
    const int row = 2 * b[0] + b[5];
    const int column = 8 * b[1] + 4 * b[2] + 2 * b[3] + b[4];
    const int value = des::kS[box][row][column];
    for (int j = 0; j < 4; ++j)
      s[4 * box + j] = v.standard ? (value >> (3 - j)) & 1 : (value >> j) & 1;
  }
  for (int i = 0; i < 32; ++i) out[i] = s[des::kP[i] - 1];
}

}  // namespace

void Block(std::uint8_t out[8], const std::uint8_t in[8], const std::uint8_t key[8], bool encipher,
           Variant v) {
  std::uint8_t keys[16][48];
  RoundKeys(key, keys, v);
  Bits64 bits, permuted;
  ToBits(in, bits, v);
  for (int i = 0; i < 64; ++i) permuted[i] = bits[des::kIP[i] - 1];
  std::uint8_t l[32], r[32], f[32], next[32];
  std::memcpy(l, permuted, 32);
  std::memcpy(r, permuted + 32, 32);
  if (v.standard) {
    // FIPS 46: the same rounds with the keys reversed for deciphering, halves swapped at the end.
    for (int step = 0; step < 16; ++step) {
      F(r, keys[encipher ? step : 15 - step], f, v);
      for (int i = 0; i < 32; ++i) next[i] = l[i] ^ f[i];
      std::memcpy(l, r, 32);
      std::memcpy(r, next, 32);
    }
    std::swap(l, r);
  } else {
    for (int step = 0; step < 16; ++step) {
      if (encipher) {  // (L, R) <- (R, L xor f(R, K_i))
        F(r, keys[step], f, v);
        for (int i = 0; i < 32; ++i) next[i] = l[i] ^ f[i];
        std::memcpy(l, r, 32);
        std::memcpy(r, next, 32);
      } else {  // (L, R) <- (R xor f(L, K_i), L), i from 16 down
        F(l, keys[15 - step], f, v);
        for (int i = 0; i < 32; ++i) next[i] = r[i] ^ f[i];
        std::memcpy(r, l, 32);
        std::memcpy(l, next, 32);
      }
    }
  }
  Bits64 joined;
  std::memcpy(joined, l, 32);
  std::memcpy(joined + 32, r, 32);
  for (int i = 0; i < 64; ++i) permuted[i] = joined[des::kFP[i] - 1];
  FromBits(permuted, out, v);
}

void Ecb(std::uint8_t* data, std::size_t length, const std::uint8_t* key, std::size_t keyLength,
         bool encipher) {
  std::uint8_t k[16] = {};
  std::memcpy(k, key, keyLength > 16 ? 16 : keyLength);
  const bool triple = keyLength > 8;
  for (std::size_t at = 0; at + 8 <= length; at += 8) {
    std::uint8_t* b = data + at;
    if (!triple) {
      Block(b, b, k, encipher);
    } else if (encipher) {
      Block(b, b, k, true);
      Block(b, b, k + 8, false);
      Block(b, b, k, true);
    } else {
      Block(b, b, k, false);
      Block(b, b, k + 8, true);
      Block(b, b, k, false);
    }
  }
}

}  // namespace quintar::enfcrypt::reference
