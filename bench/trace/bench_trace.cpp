// Figures for the call trace's cost: W_ReceiveEntry calls per second when
// draining a large entry memory from the simulated terminal (instant pace),
// straight and with the trace library in front of it, the trace file on
// the local disk.
//
//   bench_trace [entries] [rounds] [folder for the trace file]

#include "link/KestComAbi.h"
#include "terminal/engine/SimTerminalTest.h"

#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr const char *kTerminal = "PONTO_00";

// One library's operations and the simulated terminal behind it.
struct Library
{
    kestcom_abi::InitializeCommWithoutError initialize = nullptr;
    kestcom_abi::W_SendReaderPointer sendReaderPointer = nullptr;
    kestcom_abi::W_ReceiveEntry receive = nullptr;
    decltype(&Sim_SetEntryCapacity) setCapacity = nullptr;
    decltype(&Sim_PassCard) passCard = nullptr;
    decltype(&Sim_EntryCount) entryCount = nullptr;
};

template <typename Fn>
Fn symbol(void *handle, const char *name)
{
    Fn fn = reinterpret_cast<Fn>(dlsym(handle, name));
    if (!fn) {
        std::fprintf(stderr, "missing %s\n", name);
        std::exit(1);
    }
    return fn;
}

void *openOrDie(const std::string &path, int flags)
{
    void *handle = dlopen(path.c_str(), flags);
    if (!handle) {
        std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), dlerror());
        std::exit(1);
    }
    return handle;
}

Library bind(void *ops, void *sim)
{
    Library lib;
    lib.initialize =
        symbol<kestcom_abi::InitializeCommWithoutError>(ops, "InitializeCommWithoutError");
    lib.sendReaderPointer = symbol<kestcom_abi::W_SendReaderPointer>(ops, "W_SendReaderPointer");
    lib.receive = symbol<kestcom_abi::W_ReceiveEntry>(ops, "W_ReceiveEntry");
    lib.setCapacity = symbol<decltype(&Sim_SetEntryCapacity)>(sim, "Sim_SetEntryCapacity");
    lib.passCard = symbol<decltype(&Sim_PassCard)>(sim, "Sim_PassCard");
    lib.entryCount = symbol<decltype(&Sim_EntryCount)>(sim, "Sim_EntryCount");
    return lib;
}

void fill(const Library &lib, int entries)
{
    lib.setCapacity(entries + 10);
    for (int i = 0; i < entries; ++i)
        lib.passCard(kTerminal, 1001 + i % 1000);
    lib.initialize(1, 19200);
}

// Calls per second of one drain from the first entry, the final 0 included.
double drain(const Library &lib)
{
    const int entries = lib.entryCount(kTerminal);
    char name[] = "PONTO_00";
    lib.sendReaderPointer(name, 0);
    char clockName[10 + 256] = "         ";
    int32_t index = 0, seconds = 0, cardCode = 0, orValue = 0, code = 0;
    uint8_t aux1 = 0, justification = 0, presence = 0;
    long calls = 0;
    const auto start = std::chrono::steady_clock::now();
    while (lib.receive(clockName, &index, &seconds, &cardCode, &aux1, &justification, &presence,
                       &orValue, &code))
        ++calls;
    ++calls;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (calls != entries + 1)
        std::fprintf(stderr, "drained %ld calls, expected %d\n", calls, entries + 1);
    return double(calls) / took.count();
}

double best(const Library &lib, int rounds)
{
    double top = 0;
    for (int r = 0; r < rounds; ++r) {
        const double rate = drain(lib);
        top = rate > top ? rate : top;
    }
    return top;
}

} // namespace

int main(int argc, char **argv)
{
    const int entries = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const fs::path base = argc > 3 ? fs::path(argv[3]) : fs::current_path();

    // The trace and its own copy of the simulated terminal in a folder of their own.
    std::string pattern = (base / "bench_trace.XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path folder = pattern;
    fs::copy_file(KESTCOM_TRACE_PATH, folder / "libKestCom.so");
    fs::copy_file(KESTCOM_SIM_PATH, folder / "libKestCom.real.so");
    unsetenv("KESTCOM_TRACE_FILE");

    void *sim = openOrDie(KESTCOM_SIM_PATH, RTLD_NOW | RTLD_LOCAL);
    const Library straight = bind(sim, sim);
    void *trace = openOrDie((folder / "libKestCom.so").string(), RTLD_NOW | RTLD_LOCAL);
    // The first traced call loads the real library; its test interface comes after.
    symbol<kestcom_abi::TerminateComm>(trace, "TerminateComm")(0);
    void *real = openOrDie((folder / "libKestCom.real.so").string(), RTLD_NOW | RTLD_NOLOAD);
    const Library traced = bind(trace, real);

    fill(straight, entries);
    fill(traced, entries);
    const double plain = best(straight, rounds);
    const double withTrace = best(traced, rounds);

    const fs::path traceFile = folder / "KestCom.trace.txt";
    const auto bytes = fs::file_size(traceFile);
    const int held = traced.entryCount(kTerminal);
    const double lines = double(rounds) * (held + 2) + 2;
    std::printf("W_ReceiveEntry, %d entries, best of %d drains\n", held, rounds);
    std::printf("  straight:    %12.0f calls/s  (%.3f us/call)\n", plain, 1e6 / plain);
    std::printf("  with trace:  %12.0f calls/s  (%.3f us/call)\n", withTrace, 1e6 / withTrace);
    std::printf("  trace cost:  %.3f us/call; %.0f bytes per line; trace file on %s\n",
                1e6 / withTrace - 1e6 / plain, double(bytes) / lines, base.c_str());
    fs::remove_all(folder);
    return 0;
}
