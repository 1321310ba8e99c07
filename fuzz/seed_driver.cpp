// Runs a fuzz target without libFuzzer, as a test of the ordinary build: every
// seed file of its corpus folder, each of which its parser must take, then a
// fixed number of inputs made from the seeds by small mutations, the same on
// every run. A crash or an abort fails the test, and leaves the input that
// caused it in <program>-crash.bin in the working folder, to be replayed by
// the libFuzzer build.
//   fuzz_rdm_answer_fuzz fuzz/corpus/rdm_answer_fuzz 2000
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "fuzz_target.h"

namespace {

std::vector<uint8_t> current; // the input being run
std::string crashFile;

void SaveCrash(int signal) {
    // Only what is safe in a signal handler.
    const int fd = open(crashFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t n = write(fd, current.data(), current.size());
        close(fd);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void Run(const std::vector<uint8_t>& input) {
    current = input;
    LLVMFuzzerTestOneInput(current.data(), current.size());
}

// One to four bit flips, byte changes, cuts and insertions.
std::vector<uint8_t> Mutate(std::vector<uint8_t> bytes, std::mt19937& rng) {
    for (uint32_t n = 1 + rng() % 4; n > 0; --n) {
        const uint32_t kind = rng() % 4;
        if (bytes.empty() || kind == 3) {
            bytes.insert(bytes.begin() + long(rng() % (bytes.size() + 1)), uint8_t(rng()));
            continue;
        }
        const size_t at = rng() % bytes.size();
        if (kind == 0) bytes[at] ^= uint8_t(1u << rng() % 8);
        if (kind == 1) bytes[at] = uint8_t(rng());
        if (kind == 2) bytes.resize(at);
    }
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "Usage: %s CORPUS-FOLDER RUNS\n", argv[0]);
        return 2;
    }
    crashFile = std::filesystem::path(argv[0]).filename().string() + "-crash.bin";
    for (const int s : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL})
        std::signal(s, SaveCrash);

    std::vector<std::filesystem::path> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1], error))
        if (entry.is_regular_file()) names.push_back(entry.path());
    if (error || names.empty()) {
        std::fprintf(stderr, "No seed files in %s\n", argv[1]);
        return 1;
    }
    std::sort(names.begin(), names.end());

    std::vector<std::vector<uint8_t>> seeds;
    bool ok = true;
    for (const auto& name : names) {
        std::ifstream in(name, std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        Run(seeds.back());
        if (!FuzzInputAccepted()) {
            std::fprintf(stderr, "Seed %s is not taken\n", name.c_str());
            ok = false;
        }
    }

    std::mt19937 rng(20240601);
    const unsigned long runs = std::strtoul(argv[2], nullptr, 10);
    for (unsigned long i = 0; i < runs; ++i)
        Run(Mutate(seeds[i % seeds.size()], rng));
    std::printf("%zu seeds, %lu mutated inputs\n", seeds.size(), runs);
    return ok ? 0 : 1;
}
