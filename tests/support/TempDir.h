#pragma once

// Fresh directories for tests, removed with all they hold at the end of the
// test: a plain one, one named as the data directory (TARVEX_HOME), and one
// made the current directory ("@" names are relative).
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace testfiles {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvex-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp: " + pattern);
        m_path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string Path(const std::string& name) const { return m_path + "/" + name; }

    // Writes `bytes` unchanged; returns the file's path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    }
    // Writes every file of "name=bytes;name=bytes..." (bytes hold no ';').
    void WriteAll(const std::string& files) const {
        std::istringstream in(files);
        for (std::string file; std::getline(in, file, ';');)
            Write(file.substr(0, file.find('=')), file.substr(file.find('=') + 1));
    }

private:
    std::string m_path;
};

class TempHome : public TempDir {
public:
    TempHome() { setenv("TARVEX_HOME", Path().c_str(), 1); }
    ~TempHome() { unsetenv("TARVEX_HOME"); }
};

class ScratchDir : public TempDir {
public:
    ScratchDir() : m_previous(std::filesystem::current_path()) { std::filesystem::current_path(Path()); }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::current_path(m_previous, ignored);
    }

private:
    std::filesystem::path m_previous;
};

// The bytes of a file; empty when it cannot be read.
inline std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace testfiles

using testfiles::TempHome;
