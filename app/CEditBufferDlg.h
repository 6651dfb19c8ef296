#pragma once

#include <QDialog>

#include "text/CScriptLines.h"

class QLabel;
class QPlainTextEdit;

// EDIT: the statement buffer in a multi-line editor. OK keeps the text
// (trailing blank lines dropped) unless it holds a character CP932 cannot
// hold, which the dialog names and stays open; Cancel leaves the lines.
class CEditBufferDlg : public QDialog {
    Q_OBJECT

public:
    // `lines` are CP932.
    explicit CEditBufferDlg(const CScriptLines& lines, QWidget* parent = nullptr);

    // The edited lines (CP932), once the dialog was accepted.
    const CScriptLines& GetLines() const { return m_lines; }
    void accept() override;

private:
    QPlainTextEdit* m_text;
    QLabel* m_note;
    CScriptLines m_lines;
};
