// BULK COLLECT of 1,000,000 rows on the embedded database: the memory the
// collections take against the memory of the values they hold.
//  - the values: 8 bytes a NUMBER (a 64-bit integer holds each id) and the
//    bytes of each VARCHAR2;
//  - the memory: the peak resident size while the block runs, above the
//    resident size before it (the peak is reset through
//    /proc/self/clear_refs first).
// The goal is a ratio of at most 2.0.
// Run: build/bench/bench_bulk [rows]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/sqlite/CSqliteConnection.h"

namespace fs = std::filesystem;

namespace {

// "VmRSS" or "VmHWM" of this process, in bytes.
long long Resident(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string name;
    while (status >> name) {
        long long kilobytes = 0;
        if (name == std::string(field) + ":" && status >> kilobytes) return kilobytes * 1024;
        status.ignore(1 << 20, '\n');
    }
    return 0;
}

void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

void Execute(CSqliteConnection& connection, const std::string& sql) {
    std::vector<CEngineBind> binds;
    long rows = 0;
    if (!connection.Execute(sql, binds, rows)) {
        std::fprintf(stderr, "%s\n", connection.LastError().message.c_str());
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
    fs::path home = fs::temp_directory_path() / ("tarvex-bench-bulk-" + std::to_string(::getpid()));
    fs::remove_all(home);
    fs::create_directories(home);
    ::setenv("TARVEX_HOME", home.c_str(), 1);
    CEngineError error;
    auto connection = CSqliteConnection::Open("", error);
    if (!connection) return 1;
    Execute(*connection, "CREATE TABLE big (id NUMBER, name VARCHAR2(20))");
    Execute(*connection, "BEGIN FOR i IN 1.." + std::to_string(rows) +
                             " LOOP INSERT INTO big VALUES (i, 'name' || i); END LOOP; COMMIT; END;");
    // The values: the ids as 64-bit integers, the names' bytes.
    long long valueBytes = 8LL * rows;
    for (long i = 1; i <= rows; ++i) valueBytes += 4 + static_cast<long long>(std::to_string(i).size());
    // Warm the file's pages and the compiled statement, then measure.
    const std::string block =
        "DECLARE TYPE ids_t IS TABLE OF NUMBER; TYPE names_t IS TABLE OF VARCHAR2(20); ids ids_t; names "
        "names_t; BEGIN SELECT id, name BULK COLLECT INTO ids, names FROM big; IF ids.COUNT <> " +
        std::to_string(rows) + " THEN RAISE_APPLICATION_ERROR(-20000, 'rows'); END IF; END;";
    Execute(*connection, "DECLARE n NUMBER; BEGIN SELECT COUNT(*) INTO n FROM big; END;");
    ResetPeak();
    long long before = Resident("VmRSS");
    Execute(*connection, block);
    long long peak = Resident("VmHWM");
    double ratio = static_cast<double>(peak - before) / static_cast<double>(valueBytes);
    std::printf("BULK COLLECT of %ld rows (NUMBER, VARCHAR2(20))\n", rows);
    std::printf("  values: %.1f MB, peak above the start: %.1f MB\n", valueBytes / 1048576.0,
                (peak - before) / 1048576.0);
    std::printf("  memory / values: %.2f (at most 2.0 is the goal)\n", ratio);
    connection.reset();
    fs::remove_all(home);
    return 0;
}
