#include "report/CTitle.h"

#include <algorithm>

#include "report/ReportMessages.h"
#include "report/ReportText.h"
#include "text/Cp932.h"

namespace {

using reporttext::IsAbbreviation;

// The text of one title line so far, by where it stands.
struct TitleLine {
    std::string left, center, right;
};

void PlaceAt(std::string& line, std::size_t column, const std::string& text) {
    if (line.size() < column) line.append(column - line.size(), ' ');
    line += text;
}

std::string LayOut(const TitleLine& parts, int width) {
    const std::size_t room = static_cast<std::size_t>(std::max(width, 0));
    std::string line = parts.left;
    if (!parts.center.empty())
        PlaceAt(line, room > parts.center.size() ? (room - parts.center.size()) / 2 : 0, parts.center);
    if (!parts.right.empty())
        PlaceAt(line, room > parts.right.size() ? room - parts.right.size() : 0, parts.right);
    return line;
}

}  // namespace

void CTitle::Clear() {
    m_pieces.clear();
    m_typed.clear();
    m_on = false;
}

std::vector<std::string> CTitle::Command(std::string_view arguments) {
    std::vector<bool> quoted;
    const auto words = reporttext::Words(arguments, &quoted);
    if (words.empty()) {
        if (m_pieces.empty()) return {m_command + " OFF"};
        return {m_command + (m_on ? " ON " : " OFF ") + m_typed};
    }
    const std::string first = cp932::ToUpperAscii(words[0]);
    if (words.size() == 1 && !quoted[0] && (first == "ON" || first == "OFF")) {
        m_on = first == "ON";
        return {};
    }
    std::vector<Piece> pieces;
    int count = 0;
    for (std::size_t k = 0; k < words.size(); ++k) {
        const std::string word = quoted[k] ? std::string() : cp932::ToUpperAscii(words[k]);
        if (IsAbbreviation(word, "LEFT", 2)) {
            pieces.push_back({Kind::Left, {}});
        } else if (IsAbbreviation(word, "CENTER", 2) || IsAbbreviation(word, "CENTRE", 2)) {
            pieces.push_back({Kind::Center, {}});
        } else if (IsAbbreviation(word, "RIGHT", 1)) {
            pieces.push_back({Kind::Right, {}});
        } else if (word == "SQL.PNO") {
            pieces.push_back({Kind::PageNumber, {}});
        } else if (IsAbbreviation(word, "SKIP", 1)) {
            int count = 1;
            if (k + 1 < words.size() && reporttext::ParseInt(words[k + 1], 0, 99, count)) ++k;
            pieces.push_back({Kind::Skip, {}, count});
        } else if ((IsAbbreviation(word, "COL", 3) || IsAbbreviation(word, "TAB", 3)) &&
                   k + 1 < words.size() && reporttext::ParseInt(words[k + 1], 1, 9999, count)) {
            pieces.push_back({word == "TAB" ? Kind::Tab : Kind::Column, {}, count});
            ++k;
        } else if (word == "SQL.USER") {
            pieces.push_back({Kind::Text, "_USER", 0, true});
        } else if (IsAbbreviation(word, "FORMAT", 4) && k + 1 < words.size()) {
            // Note: the format of the values after it; they are shown as
            // they come.
            ++k;
        } else if (IsAbbreviation(word, "BOLD", 4) || word == "PAGE") {
            // Note: PAGE (a report title on a page of its own) is read past;
            // the title shares the first or last page.
        } else {
            pieces.push_back({Kind::Text, words[k], 0, !quoted[k]});
        }
    }
    // Note: a title of text alone (the old form) is centred.
    const bool placed = std::any_of(pieces.begin(), pieces.end(), [](const Piece& p) {
        return p.kind == Kind::Left || p.kind == Kind::Center || p.kind == Kind::Right ||
               p.kind == Kind::Column || p.kind == Kind::Tab;
    });
    if (!placed) {
        // The old form: every word of text, blanks between, on one centred line.
        std::string text;
        for (const auto& piece : pieces) {
            if (piece.kind != Kind::Text) continue;
            if (!text.empty()) text += ' ';
            text += piece.text;
        }
        pieces = {{Kind::Center, {}}, {Kind::Text, text}};
    }
    m_pieces = std::move(pieces);
    m_typed = std::string(arguments);
    m_on = true;
    return {};
}

std::vector<std::string> CTitle::Render(int page, int width, const Variables* variables) const {
    std::string value;
    std::vector<std::string> lines;
    TitleLine current;
    std::string* target = &current.left;
    bool pending = false;
    for (const auto& piece : m_pieces) {
        switch (piece.kind) {
            case Kind::Left:
                target = &current.left;
                break;
            case Kind::Center:
                target = &current.center;
                break;
            case Kind::Right:
                target = &current.right;
                break;
            case Kind::Text:
                *target += piece.variable && variables != nullptr && (*variables)(piece.text, value)
                               ? value
                               : piece.text;
                pending = true;
                break;
            case Kind::PageNumber:
                *target += std::to_string(page);
                pending = true;
                break;
            case Kind::Column:
                if (target->size() < static_cast<std::size_t>(piece.count - 1))
                    target->append(static_cast<std::size_t>(piece.count - 1) - target->size(), ' ');
                break;
            case Kind::Tab:
                target->append(static_cast<std::size_t>(piece.count), ' ');
                break;
            case Kind::Skip:
                lines.push_back(LayOut(current, width));
                for (int k = 1; k < piece.count; ++k) lines.emplace_back();
                current = TitleLine();
                pending = piece.count == 0;
                break;
        }
    }
    if (pending || lines.empty()) lines.push_back(LayOut(current, width));
    return lines;
}

int CTitle::LineCount() const { return IsOn() ? static_cast<int>(Render(1, 0).size()) : 0; }
