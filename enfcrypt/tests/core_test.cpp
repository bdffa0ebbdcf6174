// The cipher against its literal reference and published DES vectors, and the trailer's layout.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "enfcrypt/bitslice.h"
#include "enfcrypt/enfcrypt.h"
#include "enfcrypt/tests/reference_des.h"

namespace quintar::enfcrypt {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Hex(const char* hex) {
  Bytes out;
  for (; hex[0] && hex[1]; hex += 2) out.push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex, 2), nullptr, 16)));
  return out;
}

Bytes Random(std::mt19937& rng, std::size_t n) {
  Bytes out(n);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng());
  return out;
}

// The reference's tables and bit handling, checked as plain DES against published vectors; the
// system's variant differs only in the three documented places.
TEST(ReferenceCipher, StandardModeMatchesPublishedDesVectors) {
  struct Vector {
    const char *key, *plain, *cipher;
  } vectors[] = {
      {"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
      {"0000000000000000", "0000000000000000", "8CA64DE9C1B123A7"},
      {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "7359B2163E4EDC58"},
      {"0123456789ABCDEF", "4E6F772069732074", "3FA40E8A984D4815"},
  };
  for (const auto& v : vectors) {
    const Bytes key = Hex(v.key), plain = Hex(v.plain), cipher = Hex(v.cipher);
    std::uint8_t out[8];
    reference::Block(out, plain.data(), key.data(), true, {.standard = true});
    EXPECT_EQ(Bytes(out, out + 8), cipher) << v.key;
    reference::Block(out, cipher.data(), key.data(), false, {.standard = true});
    EXPECT_EQ(Bytes(out, out + 8), plain) << v.key;
  }
}

TEST(ReferenceCipher, VariantDiffersFromStandardDesAndInvertsItself) {
  const Bytes key = Hex("133457799BBCDFF1"), plain = Hex("0123456789ABCDEF");
  std::uint8_t out[8], back[8];
  reference::Block(out, plain.data(), key.data(), true);
  EXPECT_NE(Bytes(out, out + 8), Hex("85E813540F0AB405"));
  reference::Block(back, out, key.data(), false);
  EXPECT_EQ(Bytes(back, back + 8), plain);
}

// The shipped cipher must produce exactly the reference's bytes.
TEST(FastCipher, MatchesReferenceOnRandomBlocksAndKeysInBothModesAndDirections) {
  std::mt19937 rng(20261207);
  for (std::size_t keyLength : {0u, 1u, 3u, 4u, 7u, 8u, 9u, 12u, 15u, 16u, 17u, 24u}) {
    for (int trial = 0; trial < 40; ++trial) {
      const Bytes key = Random(rng, keyLength ? keyLength : 1);
      const std::size_t blocks = 1 + rng() % 5;
      const Bytes data = Random(rng, blocks * 8);
      for (Direction d : {Direction::Encipher, Direction::Decipher}) {
        Bytes fast(data.size()), slow = data;
        ASSERT_TRUE(BlockCipher(fast.data(), data.data(), static_cast<long>(data.size()), key.data(),
                                keyLength, d));
        reference::Ecb(slow.data(), slow.size(), key.data(), keyLength, d == Direction::Encipher);
        ASSERT_EQ(fast, slow) << "key length " << keyLength << " trial " << trial;
      }
    }
  }
}

// Puts the fastest kernel back however a test ends.
struct FastestKernelAfter {
  ~FastestKernelAfter() { bitslice::Use(bitslice::Kernels().front().name); }
};

// Long runs go through the chosen bit-sliced kernel (whole batches) and the block cipher (the
// rest): with each kernel the processor can run, every byte must still be the reference's, in both
// modes (triple mode runs three passes, each keeping the previous one's complemented bits), both
// directions and at any alignment of the buffer.
TEST(FastCipher, LongRunsMatchReferenceThroughEveryKernel) {
  const FastestKernelAfter restore;
  std::mt19937 rng(4242);
  for (std::size_t keyLength : {8u, 16u}) {
    const Bytes key = Random(rng, keyLength);
    const std::size_t blocks = 2 * 512 + 37;
    const Bytes data = Random(rng, blocks * 8 + 3);
    for (Direction d : {Direction::Encipher, Direction::Decipher}) {
      Bytes slow(data.begin() + 3, data.end());
      reference::Ecb(slow.data(), slow.size(), key.data(), keyLength, d == Direction::Encipher);
      Bytes viaBlocks(data.begin() + 3, data.end());
      Cipher(key.data(), keyLength).ApplyBlocks(viaBlocks.data(), blocks, d);
      EXPECT_EQ(viaBlocks, slow);
      for (const bitslice::Kernel& kernel : bitslice::Kernels()) {
        ASSERT_TRUE(bitslice::Use(kernel.name));
        EXPECT_STREQ(bitslice::Chosen().name, kernel.name);
        Bytes fast = data;  // from an odd address
        Cipher(key.data(), keyLength).Apply(fast.data() + 3, blocks, d);
        EXPECT_EQ(Bytes(fast.begin() + 3, fast.end()), slow) << kernel.name << ", key length " << keyLength;
      }
    }
  }
}

TEST(FastCipher, OnlyKernelsTheProcessorRunsCanBeChosen) {
  const FastestKernelAfter restore;
  ASSERT_FALSE(bitslice::Kernels().empty());
  EXPECT_STREQ(bitslice::Kernels().back().name, "SSE2");
  EXPECT_STREQ(bitslice::Chosen().name, bitslice::Kernels().front().name);
  ASSERT_TRUE(bitslice::Use("SSE2"));
  EXPECT_FALSE(bitslice::Use("AVX-1024"));
  EXPECT_FALSE(bitslice::Use(""));
  EXPECT_STREQ(bitslice::Chosen().name, "SSE2") << "a refused name changes nothing";
}

TEST(FastCipher, RoundTripsAndKeyRules) {
  std::mt19937 rng(7);
  const Bytes data = Random(rng, 4096);
  for (std::size_t keyLength : {5u, 8u, 11u, 16u}) {
    const Bytes key = Random(rng, keyLength);
    Bytes buf = data;
    Cipher c(key.data(), keyLength);
    EXPECT_EQ(c.Triple(), keyLength > 8);
    c.Apply(buf.data(), buf.size() / 8, Direction::Encipher);
    EXPECT_NE(buf, data);
    c.Apply(buf.data(), buf.size() / 8, Direction::Decipher);
    EXPECT_EQ(buf, data);
  }
  // Short keys are zero-padded; long ones are cut to 16 bytes.
  const Bytes block = Random(rng, 8);
  const std::uint8_t shortKey[3] = {1, 2, 3}, padded[8] = {1, 2, 3, 0, 0, 0, 0, 0};
  std::uint8_t a[8], b[8];
  BlockCipher(a, block.data(), 8, shortKey, 3, Direction::Encipher);
  BlockCipher(b, block.data(), 8, padded, 8, Direction::Encipher);
  EXPECT_EQ(0, std::memcmp(a, b, 8));
  const Bytes longKey = Random(rng, 24);
  BlockCipher(a, block.data(), 8, longKey.data(), 24, Direction::Encipher);
  BlockCipher(b, block.data(), 8, longKey.data(), 16, Direction::Encipher);
  EXPECT_EQ(0, std::memcmp(a, b, 8));
  // Triple mode with K1 == K2 reduces to single mode: a check of the pass order.
  std::uint8_t twice[16];
  std::memcpy(twice, padded, 8);
  std::memcpy(twice + 8, padded, 8);
  BlockCipher(a, block.data(), 8, twice, 16, Direction::Encipher);
  BlockCipher(b, block.data(), 8, padded, 8, Direction::Encipher);
  EXPECT_EQ(0, std::memcmp(a, b, 8));
}

TEST(FastCipher, LengthIsRoundedUpAndNonPositiveLengthsDoNothing) {
  const std::uint8_t key[8] = {9, 8, 7, 6, 5, 4, 3, 2};
  std::uint8_t in[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  std::uint8_t out[24] = {};
  std::memset(out, 0xEE, sizeof out);
  ASSERT_TRUE(BlockCipher(out, in, 9, key, 8, Direction::Encipher));  // two blocks
  std::uint8_t whole[16];
  ASSERT_TRUE(BlockCipher(whole, in, 16, key, 8, Direction::Encipher));
  EXPECT_EQ(0, std::memcmp(out, whole, 16));
  EXPECT_EQ(out[16], 0xEE) << "wrote past the rounded length";

  std::uint8_t untouched[8];
  std::memset(untouched, 0x5A, 8);
  EXPECT_FALSE(BlockCipher(untouched, in, 0, key, 8, Direction::Encipher));
  EXPECT_FALSE(BlockCipher(untouched, in, -8, key, 8, Direction::Encipher));
  EXPECT_FALSE(BlockCipher(untouched, in, 8, nullptr, 8, Direction::Encipher));
  EXPECT_EQ(untouched[0], 0x5A);

  // In place gives the same bytes as out of place.
  std::uint8_t same[16];
  std::memcpy(same, in, 16);
  ASSERT_TRUE(BlockCipher(same, same, 16, key, 8, Direction::Encipher));
  EXPECT_EQ(0, std::memcmp(same, whole, 16));
}

TEST(Password, LowByteOfEachCodeUnitAndDataKeyFromTheFirstFour) {
  EXPECT_EQ(PasswordBytes(u"abc"), "abc");
  EXPECT_EQ(PasswordBytes(u""), "");
  // U+0161 and U+0261 both reduce to 0x61 ('a'): two passwords that accept each other.
  EXPECT_EQ(PasswordBytes(u"\u0161x"), PasswordBytes(u"\u0261x"));
  EXPECT_EQ(PasswordBytes(u"\u0100z"), std::string("\0z", 2));  // a NUL byte is kept, not an end
  EXPECT_EQ(PasswordBytes(u"\xD83D\xDE00").size(), 2u);           // one byte per code unit

  const auto k = DataKey("secret!");
  EXPECT_EQ(std::string(k.begin(), k.end()), std::string("secr\0\0\0\0", 8));
  const auto shortKey = DataKey("ab");
  EXPECT_EQ(std::string(shortKey.begin(), shortKey.end()), std::string("ab\0\0\0\0\0\0", 8));
}

TEST(Password, SharedFirstFourBytesEncipherDataAlikeButOnlyTheExactPasswordMatches) {
  std::uint8_t a[16] = "0123456789abcde", b[16] = "0123456789abcde";
  DataStream("door-one", Direction::Encipher).Process(a, 16);
  DataStream("doorway", Direction::Encipher).Process(b, 16);
  EXPECT_EQ(0, std::memcmp(a, b, 16));

  const auto trailer = BuildTrailer("door-one", "");
  ASSERT_TRUE(trailer);
  const auto parsed = ParseTrailer(trailer->data());
  ASSERT_TRUE(parsed);
  EXPECT_TRUE(PasswordMatches(*parsed, "door-one"));
  EXPECT_FALSE(PasswordMatches(*parsed, "door-one2"));  // extra characters
  EXPECT_FALSE(PasswordMatches(*parsed, "door-on"));
  EXPECT_FALSE(PasswordMatches(*parsed, "doorway"));
  EXPECT_FALSE(PasswordMatches(*parsed, ""));
}

// The trailer before encipherment, byte for byte, for the sources of 0, 5 and 16 bytes.
TEST(Trailer, PlainLayoutFollowsTheFormat) {
  const auto& t = TrailerConstant();
  auto expect = [&](std::string_view password, std::string_view tail) {
    std::array<std::uint8_t, 80> e{};
    const std::size_t r = tail.size();
    for (int i = 0; i < 15; ++i) e[i] = t[17 - i];
    e[15] = static_cast<std::uint8_t>(r);
    for (int i = 16; i < 31; ++i) e[i] = t[i - 15];
    e[31] = static_cast<std::uint8_t>(password.size());
    for (std::size_t i = 0; i < r; ++i) e[32 + i] = static_cast<std::uint8_t>(tail[i]);
    for (std::size_t i = 32 + r; i < 48; ++i) e[i] = t[i - 31];
    for (std::size_t i = 0; i < 32; ++i)
      e[48 + i] = i < password.size() ? static_cast<std::uint8_t>(password[i]) : 0x40;
    return e;
  };
  for (std::string_view tail : {std::string_view(), std::string_view("hello"),
                                std::string_view("1234567")}) {
    for (std::string_view password :
         {std::string_view("pw"), std::string_view("exactly-thirty-two-bytes-long!!!")}) {
      const auto plain = BuildPlainTrailer(password, tail);
      ASSERT_TRUE(plain);
      EXPECT_EQ(*plain, expect(password, tail)) << tail << " / " << password;
    }
  }
  // The enciphered trailer is the plain one in triple mode under T[0..15].
  const auto key = TrailerKey();
  EXPECT_TRUE(std::equal(key.begin(), key.end(), t.begin()));
  auto plain = *BuildPlainTrailer("pw", "hello");
  reference::Ecb(plain.data(), plain.size(), key.data(), key.size(), true);
  EXPECT_EQ(*BuildTrailer("pw", "hello"), plain);
  EXPECT_NE(std::vector<std::uint8_t>(key.begin(), key.begin() + 8),
            std::vector<std::uint8_t>(key.begin() + 8, key.end()))
      << "equal trailer key halves would make triple mode single";
}

TEST(Trailer, RoundTripsAndRefusesWhatDoesNotFit) {
  for (std::size_t r = 0; r < 8; ++r) {
    const std::string tail(r, static_cast<char>('A' + r));
    const auto trailer = BuildTrailer("pass", tail);
    ASSERT_TRUE(trailer);
    const auto parsed = ParseTrailer(trailer->data());
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->tail, tail);
    EXPECT_EQ(parsed->password, "pass");
  }
  const std::string password32(32, 'p');
  ASSERT_TRUE(BuildTrailer(password32, ""));
  EXPECT_EQ(ParseTrailer(BuildTrailer(password32, "")->data())->password, password32);
  EXPECT_FALSE(BuildTrailer(password32 + "q", ""));
  EXPECT_FALSE(BuildTrailer("pw", "12345678"));
  EXPECT_FALSE(ParseTrailer(nullptr));

  // Counts that do not fit, from a damaged or foreign file, are refused rather than trusted.
  const auto key = TrailerKey();
  auto forge = [&](std::uint8_t r, std::uint8_t l) {
    auto plain = *BuildPlainTrailer("pw", "");
    plain[15] = r;
    plain[31] = l;
    reference::Ecb(plain.data(), plain.size(), key.data(), key.size(), true);
    return plain;
  };
  EXPECT_FALSE(ParseTrailer(forge(8, 2).data()));
  EXPECT_FALSE(ParseTrailer(forge(0, 33).data()));
  EXPECT_FALSE(ParseTrailer(forge(255, 255).data()));
  EXPECT_TRUE(ParseTrailer(forge(7, 32).data()));
}

TEST(Sizes, EncryptedSizeAndPlausibility) {
  EXPECT_EQ(EncryptedSize(0), 80u);
  EXPECT_EQ(EncryptedSize(5), 80u);
  EXPECT_EQ(EncryptedSize(16), 96u);
  EXPECT_EQ(EncryptedSize(17), 96u);
  EXPECT_TRUE(PlausibleEncryptedSize(80));
  EXPECT_TRUE(PlausibleEncryptedSize(88));
  EXPECT_FALSE(PlausibleEncryptedSize(0));
  EXPECT_FALSE(PlausibleEncryptedSize(72));
  EXPECT_FALSE(PlausibleEncryptedSize(81));
}

// The data blocks of a file go through DataStream in buffers of any size with the same result
// as one block at a time under the data key.
TEST(DataStream, BufferedMatchesBlockByBlockReference) {
  std::mt19937 rng(99);
  const Bytes data = Random(rng, 8 * 1000);
  Bytes streamed = data;
  DataStream enc("long password", Direction::Encipher);
  for (std::size_t at = 0; at < streamed.size();) {
    const std::size_t chunk = std::min<std::size_t>(8 * (1 + rng() % 50), streamed.size() - at);
    enc.Process(streamed.data() + at, chunk);
    at += chunk;
  }
  Bytes slow = data;
  const auto key = DataKey("long password");
  reference::Ecb(slow.data(), slow.size(), key.data(), key.size(), true);
  EXPECT_EQ(streamed, slow);
  DataStream("long", Direction::Decipher).Process(streamed.data(), streamed.size());
  EXPECT_EQ(streamed, data);
}

}  // namespace
}  // namespace quintar::enfcrypt
