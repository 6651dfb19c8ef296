#pragma once

// Helpers for tests that write script files: a fresh directory per test,
// made the current directory while the test runs ("@" names are relative).
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "text/Encoding.h"

namespace testfiles {

class ScratchDir {
public:
    ScratchDir() {
        static int counter = 0;
        m_path = std::filesystem::temp_directory_path() /
                 ("tarvex-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_path);
    }
    ~ScratchDir() {
        std::error_code error;
        std::filesystem::current_path(m_previous, error);
        std::filesystem::remove_all(m_path, error);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string Path(const std::string& name) const { return (m_path / name).string(); }

    // Writes `bytes` unchanged; returns the file's path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        auto path = m_path / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    // Writes every file of "name=bytes;name=bytes..." (bytes hold no ';').
    void WriteAll(const std::string& files) const {
        std::istringstream in(files);
        for (std::string file; std::getline(in, file, ';');)
            Write(file.substr(0, file.find('=')), file.substr(file.find('=') + 1));
    }

private:
    std::filesystem::path m_path;
    std::filesystem::path m_previous;
};

// The bytes of a file; empty when it cannot be read.
inline std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Program text from UTF-8 source literals.
inline std::string Sjis(const std::string& utf8) { return encoding::Utf8ToCp932(utf8); }

}  // namespace testfiles
