// A 1,000,000-row query through the server engine over the stand-in client
// library, read as the console reads it (100 rows a call), with no delay and
// with a simulated round trip of 5 ms: prints the round trips and the time
// of each. Usage: bench_server [rows] [delay ms]
#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "engine/CEngineFactory.h"

namespace {

struct Run {
    std::size_t rows = 0;
    unsigned long trips = 0;
    double seconds = 0;
};

template <typename Fn>
Fn Knob(const char* name) {
    void* library = dlopen(TARVEX_FAKEOCI, RTLD_NOW | RTLD_NOLOAD);
    return library != nullptr ? reinterpret_cast<Fn>(dlsym(library, name)) : nullptr;
}

bool Exec(CEngineConnection& connection, const std::string& sql) {
    std::vector<CEngineBind> binds;
    long rows = 0;
    if (connection.Execute(sql, binds, rows)) return true;
    std::fprintf(stderr, "%s: %s\n", sql.c_str(), connection.LastError().message.c_str());
    return false;
}

bool Fill(CEngineConnection& connection, long count) {
    if (!Exec(connection, "CREATE TABLE BIG (I NUMBER, S VARCHAR2(20))") ||
        !Exec(connection, "INSERT INTO BIG VALUES (1, 'ROW')"))
        return false;
    for (long have = 1; have < count; have *= 2)
        if (!Exec(connection, "INSERT INTO BIG SELECT I + " + std::to_string(have) +
                                  ", S FROM BIG WHERE I <= " + std::to_string(count - have)))
            return false;
    return connection.Commit();
}

bool Read(CEngineConnection& connection, long delayMs, Run& run) {
    Knob<void (*)(long)>("fakeoci_SetDelay")(delayMs);
    const unsigned long before = Knob<unsigned long (*)()>("fakeoci_RoundTrips")();
    const auto started = std::chrono::steady_clock::now();
    std::vector<CEngineBind> binds;
    auto cursor = connection.OpenCursor("SELECT I, S FROM BIG", binds, CEngineConnection::CursorMode::Rows);
    if (cursor == nullptr) return false;
    CEngineResult batch;
    run.rows = 0;
    do {
        if (!cursor->Fetch(100, batch)) return false;
        run.rows += batch.RowCount();
    } while (batch.RowCount() == 100);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    run.trips = Knob<unsigned long (*)()>("fakeoci_RoundTrips")() - before;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
    const long delay = argc > 2 ? std::atol(argv[2]) : 5;
    const std::string home =
        std::filesystem::temp_directory_path() / ("tarvex-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(home);
    setenv("TARVEX_HOME", home.c_str(), 1);
    setenv("TARVEX_OCI_LIBRARY", TARVEX_FAKEOCI, 1);
    CEngineError error;
    auto connection = CEngineFactory::Open("//localhost/BENCH", "u", "p", error);
    int status = 1;
    Run fast;
    Run slow;
    if (connection == nullptr) {
        std::fprintf(stderr, "%s\n", error.message.c_str());
    } else if (Fill(*connection, count) && Read(*connection, 0, fast) && Read(*connection, delay, slow)) {
        std::printf(
            "rows %zu\nno delay:   %lu round trips, %.2f s\n%ld ms trips: %lu round trips, %.2f s (%.2fx)\n",
            fast.rows, fast.trips, fast.seconds, delay, slow.trips, slow.seconds,
            slow.seconds / std::max(fast.seconds, 1e-9));
        status = slow.trips <= 200 && slow.seconds <= 2 * fast.seconds ? 0 : 2;
    }
    connection.reset();
    std::filesystem::remove_all(home);
    return status;
}
