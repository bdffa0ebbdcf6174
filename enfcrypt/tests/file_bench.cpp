// Encrypting a 64 MiB file end to end against copying it with CopyFileW, on the device's drive,
// best of several runs, through each bit-sliced kernel the processor can run. Run by hand:
// bash tools/wine-test.sh build/<dir>/bin/enfcrypt_bench.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "enfcrypt/bitslice.h"
#include "enfcrypt/enfcrypt.h"
#include "enfcrypt/enfile.h"
#include "win32/handle.h"

namespace {

constexpr DWORD kSize = 64u << 20;
constexpr int kRuns = 7;

double Milliseconds(const std::function<bool()>& work) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  if (!work()) return -1;
  QueryPerformanceCounter(&end);
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain() {
  const std::wstring folder = L"\\enfbench", source = folder + L"\\data.bin";
  CreateDirectoryW(folder.c_str(), nullptr);
  {
    std::vector<std::uint8_t> data(kSize);
    std::mt19937 rng(5);
    std::generate(data.begin(), data.end(), [&] { return static_cast<std::uint8_t>(rng()); });
    const quintar::win32::FileHandle h(
        CreateFileW(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (!h || !WriteFile(h.get(), data.data(), kSize, &written, nullptr) || written != kSize) {
      std::printf("could not write the sample file\n");
      return 1;
    }
  }
  const std::wstring encrypted = source + L".enf", copy = folder + L"\\copy.bin";
  namespace bitslice = quintar::enfcrypt::bitslice;
  const auto kernels = bitslice::Kernels();
  // Turn about, best of each: the machine's other load falls on every kernel and the copy alike.
  std::vector<double> ours(kernels.size(), 1e300);
  double anchor = 1e300;
  bool failed = false;
  for (int run = 0; run < kRuns && !failed; ++run) {
    DeleteFileW(copy.c_str());
    const double a = Milliseconds([&] { return CopyFileW(source.c_str(), copy.c_str(), TRUE) != FALSE; });
    failed = a < 0;
    anchor = std::min(anchor, a);
    for (std::size_t k = 0; k < kernels.size() && !failed; ++k) {
      bitslice::Use(kernels[k].name);
      DeleteFileW(encrypted.c_str());
      const double o = Milliseconds([&] {
        return quintar::enfcrypt::EncryptFile(source, "bench password") == quintar::enfcrypt::FileResult::Ok;
      });
      failed = o < 0;
      ours[k] = std::min(ours[k], o);
    }
  }
  DeleteFileW(encrypted.c_str());
  DeleteFileW(copy.c_str());
  DeleteFileW(source.c_str());
  RemoveDirectoryW(folder.c_str());
  if (failed) {
    std::printf("encrypt file 64 MiB vs CopyFileW: a run failed\n");
    return 1;
  }
  std::vector<std::uint8_t> data(kSize, 0x5A);
  const auto key = quintar::enfcrypt::DataKey("bench password");
  const quintar::enfcrypt::Cipher cipher(key.data(), key.size());
  for (std::size_t k = 0; k < kernels.size(); ++k) {
    // The cipher alone on the same amount of data in memory, single-threaded: the floor.
    bitslice::Use(kernels[k].name);
    double alone = 1e300;
    for (int run = 0; run < 3; ++run)
      alone = std::min(alone, Milliseconds([&] {
                         cipher.Apply(data.data(), kSize / 8, quintar::enfcrypt::Direction::Encipher);
                         return true;
                       }));
    std::printf("(the %s cipher alone, one thread, in memory: %.1f ms)\n", kernels[k].name, alone);
    std::printf("encrypt file 64 MiB vs CopyFileW (%s): ours %.1f ms, anchor %.1f ms, ratio %.2f\n",
                kernels[k].name, ours[k], anchor, ours[k] / anchor);
  }
  return 0;
}
