#include "app/CEditBufferDlg.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "text/Encoding.h"

namespace {

QString Utf8(const char* text) { return QString::fromUtf8(text); }

// The first character of `text` that CP932 cannot hold, as "「ß」(U+00DF)"
// (empty: none).
QString FirstUnheld(const QString& text) {
    for (const char32_t c : text.toUcs4()) {
        std::string bytes;
        const QString one = QString::fromUcs4(&c, 1);
        if (encoding::Utf8ToCp932Strict(one.toStdString(), bytes)) continue;
        const QString code =
            QString::number(static_cast<uint>(c), 16).toUpper().rightJustified(4, QLatin1Char('0'));
        return Utf8("「") + one + Utf8("」(U+") + code + QStringLiteral(")");
    }
    return QString();
}

}  // namespace

CEditBufferDlg::CEditBufferDlg(const CScriptLines& lines, QWidget* parent)
    : QDialog(parent), m_text(new QPlainTextEdit(this)), m_note(new QLabel(this)) {
    setWindowTitle(Utf8("編集 - Tarvex"));
    m_text->setObjectName(QStringLiteral("text"));
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setPlainText(QString::fromStdString(encoding::Cp932ToUtf8(lines.Join())));
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setVisible(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(Utf8("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(Utf8("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CEditBufferDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CEditBufferDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_note);
    layout->addWidget(buttons);
    resize(640, 400);
    m_text->setFocus();
}

void CEditBufferDlg::accept() {
    const QString text = m_text->toPlainText();
    std::string bytes;
    if (!encoding::Utf8ToCp932Strict(text.toStdString(), bytes)) {
        m_note->setText(FirstUnheld(text) + Utf8("はCP932で表せない文字です。"));
        m_note->setVisible(true);
        return;
    }
    m_lines.clear();
    m_lines.AppendText(bytes);
    for (auto& line : m_lines)
        while (!line.empty() && line.back() == '\r') line.pop_back();
    while (!m_lines.empty() && m_lines.back().find_first_not_of(" \t") == std::string::npos)
        m_lines.pop_back();
    QDialog::accept();
}
