#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

// A fresh, empty data directory (TARVEX_HOME) for one fuzz input, removed
// afterwards, so that an input that fails does so alone.
class FuzzHome {
public:
    FuzzHome() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvex-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) m_dir = pattern;
        setenv("TARVEX_HOME", m_dir.c_str(), 1);
    }
    ~FuzzHome() {
        std::error_code ignored;
        if (!m_dir.empty()) std::filesystem::remove_all(m_dir, ignored);
    }
    FuzzHome(const FuzzHome&) = delete;
    FuzzHome& operator=(const FuzzHome&) = delete;

    const std::string& Dir() const { return m_dir; }

private:
    std::string m_dir;
};
