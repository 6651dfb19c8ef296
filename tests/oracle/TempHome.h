#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

// A fresh data directory for one test, named by TARVEX_HOME while it lives.
class TempHome {
public:
    TempHome() {
        char pattern[] = "/tmp/tarvex-oracle-XXXXXX";
        m_dir = mkdtemp(pattern);
        setenv("TARVEX_HOME", m_dir.c_str(), 1);
    }
    ~TempHome() {
        unsetenv("TARVEX_HOME");
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::string& Dir() const { return m_dir; }
    std::string File(const std::string& name) const { return m_dir + "/" + name; }

private:
    std::string m_dir;
};
