// Runs a fuzz target without libFuzzer (any compiler): every seed of a corpus folder, then
// seeded random mutations of them for a fixed number of rounds or seconds. Used by CTest so the
// targets stay alive in ordinary builds; the real fuzzing runs with clang and -fsanitize=fuzzer.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<uint8_t> Mutate(std::vector<uint8_t> v, std::mt19937& rng) {
    static const uint8_t kInteresting[] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x0A, 0x0E,
                                           0x12, 0x14, 0x7F, 0x80, 0xF0, 0xFE, 0xFF};
    int steps = 1 + int(rng() % 4);
    for (int s = 0; s < steps; ++s) {
        size_t n = v.size();
        switch (rng() % 7) {
        case 0:
            if (n) v[rng() % n] ^= uint8_t(1u << (rng() % 8));
            break;
        case 1:
            if (n) v[rng() % n] = kInteresting[rng() % sizeof kInteresting];
            break;
        case 2:
            if (n) v.resize(rng() % n);
            break; // truncate
        case 3:
            if (n) v.erase(v.begin() + long(rng() % n));
            break; // drop a byte
        case 4:
            v.insert(v.begin() + long(n ? rng() % n : 0), uint8_t(rng()));
            break;
        case 5: // a 32-bit field
            if (n >= 4) {
                size_t at = rng() % (n - 3);
                uint32_t val = (rng() % 2) ? rng() : (0xFFFFFFFFu >> (rng() % 32));
                for (int k = 0; k < 4; ++k)
                    v[at + size_t(k)] = uint8_t(val >> (8 * k));
            }
            break;
        case 6: // duplicate a slice
            if (n >= 2) {
                size_t a = rng() % n, len = 1 + rng() % std::min<size_t>(n - a, 64);
                std::vector<uint8_t> slice(v.begin() + long(a), v.begin() + long(a + len));
                v.insert(v.begin() + long(rng() % n), slice.begin(), slice.end());
            }
            break;
        }
    }
    return v;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR [ROUNDS] [SECONDS] [SEED]\n", argv[0]);
        return 2;
    }
    const long rounds = argc > 2 ? std::atol(argv[2]) : 20000;
    const double seconds = argc > 3 ? std::atof(argv[3]) : 3.0;
    std::mt19937 rng(argc > 4 ? unsigned(std::atol(argv[4])) : 12345u);

    std::vector<std::vector<uint8_t>> seeds;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1], ec)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (seeds.empty()) {
        // No corpus: start from nothing and a little noise; mutations grow from there.
        seeds.emplace_back();
        std::vector<uint8_t> noise(64);
        for (uint8_t& b : noise)
            b = uint8_t(rng());
        seeds.push_back(noise);
    }
    for (const auto& s : seeds)
        LLVMFuzzerTestOneInput(s.data(), s.size());
    const auto start = std::chrono::steady_clock::now();
    long done = 0;
    for (; done < rounds; ++done) {
        if ((done & 63) == 0 &&
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() > seconds)
            break;
        std::vector<uint8_t> input = Mutate(seeds[rng() % seeds.size()], rng);
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("%zu seeds, %ld mutated inputs: no crash\n", seeds.size(), done);
    return 0;
}
