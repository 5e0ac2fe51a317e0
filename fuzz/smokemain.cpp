// A short run of a fuzz target without libFuzzer: random inputs and mutations of earlier ones,
// for the number of seconds given (default 3). A crash or a hang fails the test.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    std::mt19937_64 rng(20261210);
    std::vector<std::vector<uint8_t>> pool;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    long runs = 0;
    while (std::chrono::steady_clock::now() < end) {
        std::vector<uint8_t> input;
        if (!pool.empty() && rng() % 2) {
            input = pool[rng() % pool.size()];
            const int edits = 1 + int(rng() % 8);
            for (int e = 0; e < edits; ++e) {
                switch (rng() % 4) {
                case 0:
                    if (!input.empty())
                        input[rng() % input.size()] = uint8_t(rng());
                    break;
                case 1: input.insert(input.begin() + long(input.empty() ? 0 : rng() % input.size()), uint8_t(rng())); break;
                case 2:
                    if (!input.empty())
                        input.erase(input.begin() + long(rng() % input.size()));
                    break;
                default: {
                    // Splice in a run of a small alphabet: markup, digits and separators reach more code.
                    static const char alphabet[] = "<>&;=\"'/\\:#[]0123456789\r\n ID3TAG$+-";
                    const size_t n = 1 + rng() % 16;
                    for (size_t k = 0; k < n; ++k)
                        input.push_back(uint8_t(alphabet[rng() % (sizeof alphabet - 1)]));
                }
                }
            }
        } else {
            input.resize(rng() % 2048);
            for (auto &b : input)
                b = uint8_t(rng());
        }
        LLVMFuzzerTestOneInput(input.data(), input.size());
        if (pool.size() < 256)
            pool.push_back(std::move(input));
        else
            pool[rng() % pool.size()] = std::move(input);
        ++runs;
    }
    std::printf("%ld inputs\n", runs);
    return 0;
}
