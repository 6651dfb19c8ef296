// Generated PL/SQL blocks on the embedded engine: statements, nested blocks,
// loops, handlers and SQL chosen by the input, or the input itself as a
// block. Nothing may crash or hang (a watchdog cancels a block after a
// while), and a failed block that neither commits nor rolls back leaves the
// table as it was (the block is undone to its start).
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/sqlite/CSqliteConnection.h"
#include "tests/support/TempDir.h"

namespace {

// "%" stands for a number taken from the input, "{}" for nested statements.
constexpr const char* kStatements[] = {
    "n := n + %;",
    "n := n / (% - 3);",
    "s := s || '%';",
    "s := RPAD(NVL(s, 'a'), % * 3000, 'y');",
    "IF n > % THEN n := 0; ELSIF n IS NULL THEN n := 1; ELSE n := n - 1; END IF;",
    "FOR i IN 1..% LOOP {} END LOOP;",
    "WHILE n < % LOOP n := n + 1; {} END LOOP;",
    "BEGIN {} EXCEPTION WHEN ZERO_DIVIDE THEN n := -1; WHEN OTHERS THEN s := SQLERRM; END;",
    "DECLARE k PLS_INTEGER := %; BEGIN {} END;",
    "INSERT INTO F VALUES (%);",
    "DELETE FROM F WHERE n = %;",
    "UPDATE F SET n = n + % WHERE n < 5;",
    "SELECT COUNT(*) INTO n FROM F;",
    "SELECT n INTO n FROM F WHERE n = %;",
    "FOR r IN (SELECT n FROM F ORDER BY n) LOOP n := r.n; {} END LOOP;",
    "RAISE_APPLICATION_ERROR(-20001, 'x%');",
    "RAISE NO_DATA_FOUND;",
    "EXIT WHEN n > %;",
    "dbms_output.put_line(n || s);",
    "CASE n WHEN % THEN NULL; ELSE n := %; END CASE;",
    "EXECUTE IMMEDIATE 'INSERT INTO F VALUES (' || % || ')';",
    "SAVEPOINT a;",
    "COMMIT;",
    "ROLLBACK;",
    "v := %;",
    "s := TO_CHAR(SYSDATE + %, 'YYYY');",
    "i := i + NUMTODSINTERVAL(% * 30, 'HOUR');",
    "s := TO_CHAR(SYSDATE + i, 'YYYY') || i; n := EXTRACT(DAY FROM i);",
};

std::string Statements(const uint8_t*& data, const uint8_t* end, int depth) {
    std::string out;
    int count = data < end ? *data++ % 4 + 1 : 1;
    for (int k = 0; k < count && data < end; ++k) {
        std::string text = kStatements[*data++ % std::size(kStatements)];
        for (std::size_t at; (at = text.find('%')) != std::string::npos;)
            text.replace(at, 1, std::to_string(data < end ? *data++ % 12 : 0));
        if (std::size_t at = text.find("{}"); at != std::string::npos)
            text.replace(at, 2, depth < 4 ? Statements(data, end, depth + 1) : std::string("NULL;"));
        out += text + "\n";
    }
    return out.empty() ? "NULL;\n" : out;
}

// Cancels the connection unless the block ends within the time allowed.
class Watchdog {
public:
    explicit Watchdog(CSqliteConnection& connection)
        : m_thread([this, &connection] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (!m_done.wait_for(lock, std::chrono::milliseconds(500), [this] { return m_finished; }))
                  connection.Cancel();
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_one();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

std::string Count(CSqliteConnection& connection) {
    std::vector<CEngineBind> binds;
    CEngineResult result;
    if (!connection.Query("SELECT COUNT(*), SUM(n) FROM F", binds, result) || result.RowCount() == 0)
        return "?";
    return std::string(result.Value(0, 0)) + "/" +
           (result.IsNull(0, 1) ? std::string("-") : std::string(result.Value(0, 1)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static TempHome home;
    CEngineError error;
    auto connection = CSqliteConnection::Open("", error);
    if (!connection) std::abort();
    std::vector<CEngineBind> binds;
    long rows = 0;
    connection->Execute("DROP TABLE F", binds, rows);
    if (!connection->Execute("CREATE TABLE F (n NUMBER)", binds, rows)) std::abort();
    if (!connection->Execute("BEGIN DBMS_OUTPUT.ENABLE; END;", binds, rows)) std::abort();
    const uint8_t* end = data + size;
    const bool raw = size > 0 && data[0] % 4 == 0;
    std::string block;
    if (raw) {
        block.assign(reinterpret_cast<const char*>(data + 1), size - 1);
    } else {
        block =
            "DECLARE n NUMBER := 0; s VARCHAR2(200); v NUMBER(2); i INTERVAL DAY TO SECOND := INTERVAL '0' "
            "SECOND; BEGIN\n" +
            Statements(data, end, 0) + "END;";
    }
    std::string before = Count(*connection);
    bool ok = false;
    {
        Watchdog watchdog(*connection);
        ok = connection->Execute(block, binds, rows);
    }
    connection->TakeServerOutput();
    bool transactionControl = block.find("COMMIT") != std::string::npos ||
                              block.find("ROLLBACK") != std::string::npos ||
                              block.find("EXECUTE") != std::string::npos || raw;
    if (!ok && !transactionControl && Count(*connection) != before) std::abort();
    return 0;
}
