#pragma once

#include <string>

#include "console/CSQLEditor.h"

// The document: the one console and the file it was last opened from or
// saved to. New and Open reuse it, so the console's history, interpreter
// state and connection live as long as the program.
class CVantorDoc {
public:
    enum class FileResult { Ok, OpenFailed, ReadFailed, WriteFailed };

    CVantorDoc() = default;
    CVantorDoc(const CVantorDoc&) = delete;
    CVantorDoc& operator=(const CVantorDoc&) = delete;

    CSQLEditor* GetEditor() { return &m_editor; }
    const std::string& GetPathName() const { return m_pathName; }

    // Empties the console and forgets the file name.
    void OnNewDocument();
    // Replays every line of the file as typed input, appended to the
    // console. OpenFailed leaves the console as it was; ReadFailed keeps
    // what the replay had shown and drops the unfinished statement.
    FileResult OnOpenDocument(const std::string& path);
    // Writes the console file; the input line is emptied only when the
    // write succeeded.
    FileResult OnSaveDocument(const std::string& path);

private:
    CSQLEditor m_editor;
    std::string m_pathName;
};
