#include "app/CVantorDoc.h"

#include <filesystem>
#include <fstream>

void CVantorDoc::OnNewDocument() {
    m_editor.Clear();
    m_pathName.clear();
}

CVantorDoc::FileResult CVantorDoc::OnOpenDocument(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return FileResult::OpenFailed;
    std::ifstream file(path, std::ios::binary);
    if (!file) return FileResult::OpenFailed;
    try {
        m_editor.Load(file);
    } catch (...) {
        file.setstate(std::ios::badbit);
    }
    if (file.bad()) {
        // Note: the transcript stays; only the statement cut short goes.
        m_editor.GetProcessor().Reset();
        return FileResult::ReadFailed;
    }
    m_pathName = path;
    return FileResult::Ok;
}

CVantorDoc::FileResult CVantorDoc::OnSaveDocument(const std::string& path) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return FileResult::WriteFailed;
    if (!m_editor.Store(file)) return FileResult::WriteFailed;
    file.close();
    if (file.fail()) return FileResult::WriteFailed;
    m_pathName = path;
    return FileResult::Ok;
}
