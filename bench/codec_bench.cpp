// Image codec figures: cipher (with its per-call key schedule), checksums and
// the N5 layout walk.
#include "devices/N5/n5_layout.h"
#include "devices/common/device_form.h"

#include "core/image_cipher.h"
#include "core/image_crc.h"

#include <benchmark/benchmark.h>

#include <numeric>
#include <vector>

namespace {

std::vector<std::uint8_t> counting(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{0});
    return bytes;
}

void BM_EncipherDecipher(benchmark::State& state)
{
    auto bytes = counting(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        wendax::ImageCipher::encipher(bytes, "qTz#k9w2v7");
        wendax::ImageCipher::decipher(bytes, "qTz#k9w2v7");
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0) * 2);
}
BENCHMARK(BM_EncipherDecipher)->Arg(4096)->Arg(8192)->Arg(12288);

void BM_ImageCrc16(benchmark::State& state)
{
    const auto bytes = counting(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(wendax::ImageCrc16(bytes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_ImageCrc16)->Arg(4097)->Arg(12288);

void BM_ImageCrc32(benchmark::State& state)
{
    const auto bytes = counting(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(wendax::ImageCrc32(bytes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_ImageCrc32)->Arg(4092)->Arg(12288);

void BM_N5DecodeEncode(benchmark::State& state)
{
    wendax::DeviceForm window(wendax::n5Definition());
    if (window.encodeImage())
        state.SkipWithError("the fresh N5 window does not encode");
    for (auto _ : state) {
        window.decodeImage();
        benchmark::DoNotOptimize(window.encodeImage());
    }
}
BENCHMARK(BM_N5DecodeEncode);

} // namespace

BENCHMARK_MAIN();
