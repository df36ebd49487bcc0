// SPDX-License-Identifier: MIT
// The checker's pass over an image already in memory: no file, no output
// (a valid image prints nothing), so this times the event loop alone.

#include <benchmark/benchmark.h>

#include "app/printed_diagnostics.h"
#include "bench_images.h"
#include "check/check_file.h"

namespace {

constexpr std::uint32_t kMiB = 1024 * 1024;

void checkWholeImage(benchmark::State& state, const Image& image) {
  for (auto _ : state) {
    const bool conforms =
        checkImage(image.data(), static_cast<std::uint32_t>(image.size()), printingSink());
    if (!conforms) {
      state.SkipWithError("the benchmark image does not conform");
      break;
    }
    benchmark::DoNotOptimize(conforms);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(image.size()));
}

void BM_DenseChannelMessages(benchmark::State& state) {
  static const Image image = denseChannelImage(64 * kMiB, 16);
  checkWholeImage(state, image);
}
BENCHMARK(BM_DenseChannelMessages)->Unit(benchmark::kMillisecond);

void BM_LargeSysEx(benchmark::State& state) {
  static const Image image = sysExImage(64 * kMiB, 4 * kMiB);
  checkWholeImage(state, image);
}
BENCHMARK(BM_LargeSysEx)->Unit(benchmark::kMillisecond);

void BM_SmallMetaEvents(benchmark::State& state) {
  static const Image image = metaEventImage(1000000);
  checkWholeImage(state, image);
}
BENCHMARK(BM_SmallMetaEvents)->Unit(benchmark::kMillisecond);

void BM_RealShapedSong(benchmark::State& state) {
  static const Image image = realShapedImage(52000000, 7);
  checkWholeImage(state, image);
}
BENCHMARK(BM_RealShapedSong)->Unit(benchmark::kMillisecond);

void BM_Karaoke(benchmark::State& state) {
  static const Image image = karaokeImage(16 * kMiB, 4);
  checkWholeImage(state, image);
}
BENCHMARK(BM_Karaoke)->Unit(benchmark::kMillisecond);

void BM_SmallFile(benchmark::State& state) {
  static const Image image = smallImage(7);
  checkWholeImage(state, image);
}
BENCHMARK(BM_SmallFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
