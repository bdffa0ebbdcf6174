// The shipped cipher against OpenSSL's DES on the same 64 MiB buffer in the same run: single
// mode against DES-ECB, triple mode against two-key DES-EDE-ECB, through each bit-sliced kernel
// the processor can run. Prints "name (kernel): ours X ms, anchor Y ms, ratio Z" (ratio = ours /
// anchor, best of several runs).
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "enfcrypt/bitslice.h"
#include "enfcrypt/enfcrypt.h"

namespace {

using quintar::enfcrypt::Cipher;
using quintar::enfcrypt::Direction;
using quintar::enfcrypt::bitslice::Kernel;
using quintar::enfcrypt::bitslice::Kernels;
using quintar::enfcrypt::bitslice::Use;

constexpr std::size_t kSize = std::size_t{64} << 20;
constexpr int kRuns = 5;

double BestMs(const std::function<void()>& work) {
  double best = 1e300;
  for (int i = 0; i < kRuns; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

bool OpenSsl(const EVP_CIPHER* cipher, const std::uint8_t* key, std::uint8_t* data, std::size_t n) {
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  int len = 0;
  bool ok = ctx && EVP_EncryptInit_ex(ctx, cipher, nullptr, key, nullptr) == 1 &&
            EVP_CIPHER_CTX_set_padding(ctx, 0) == 1;
  for (std::size_t at = 0; ok && at < n; at += std::size_t{1} << 30)
    ok = EVP_EncryptUpdate(ctx, data + at, &len, data + at,
                           static_cast<int>(std::min(n - at, std::size_t{1} << 30))) == 1;
  EVP_CIPHER_CTX_free(ctx);
  return ok;
}

// Each kernel the processor can run against the same OpenSSL figure, one line each.
int Compare(const char* name, const char* openSslName, const std::uint8_t* key, std::size_t keyLength,
            std::vector<std::uint8_t>& buffer) {
  EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, openSslName, nullptr);
  if (!cipher) {
    std::printf("%s: OpenSSL has no %s (legacy provider missing)\n", name, openSslName);
    return 1;
  }
  bool ok = true;
  const double anchorMs = BestMs([&] { ok = OpenSsl(cipher, key, buffer.data(), buffer.size()) && ok; });
  EVP_CIPHER_free(cipher);
  const Cipher ours(key, keyLength);
  for (const Kernel& kernel : Kernels()) {
    ok = Use(kernel.name) && ok;
    const double oursMs = BestMs([&] { ours.Apply(buffer.data(), buffer.size() / 8, Direction::Encipher); });
    std::printf("%s (%s): ours %.1f ms, anchor %.1f ms, ratio %.2f\n", name, kernel.name, oursMs, anchorMs,
                oursMs / anchorMs);
  }
  Use(Kernels().front().name);
  return ok ? 0 : 1;
}

}  // namespace

int main() {
  OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
  OSSL_PROVIDER* base = OSSL_PROVIDER_load(nullptr, "default");
  std::vector<std::uint8_t> buffer(kSize);
  std::mt19937 rng(1);
  std::generate(buffer.begin(), buffer.end(), [&] { return static_cast<std::uint8_t>(rng()); });
  const std::uint8_t key[16] = {0x13, 0x34, 0x57, 0x79, 0x9B, 0xBC, 0xDF, 0xF1,
                                0x0E, 0x32, 0x92, 0x32, 0xEA, 0x6D, 0x0D, 0x73};
  int rc = Compare("single mode 64 MiB vs DES-ECB", "DES-ECB", key, 8, buffer);
  rc |= Compare("triple mode 64 MiB vs DES-EDE-ECB", "DES-EDE-ECB", key, 16, buffer);
  if (legacy) OSSL_PROVIDER_unload(legacy);
  if (base) OSSL_PROVIDER_unload(base);
  return rc;
}
