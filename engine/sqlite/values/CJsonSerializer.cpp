#include "engine/sqlite/values/CJsonSerializer.h"

#include <sqlite3.h>

#include <cstdio>

#include "engine/sqlite/SqliteApi.h"
#include "engine/sqlite/values/CJsonReader.h"
#include "text/Encoding.h"

namespace {

// The characters of a UTF-8 text, each as its code point and its bytes.
class Characters {
public:
    explicit Characters(std::string_view text) : m_text(text) {}
    bool Next(char32_t& code, std::string_view& bytes) {
        if (m_at >= m_text.size()) return false;
        const auto lead = static_cast<unsigned char>(m_text[m_at]);
        const std::size_t size = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        bytes = m_text.substr(m_at, size);
        m_at += bytes.size();
        code = size == 1 ? lead : lead & (0x3F >> (size - 1));
        for (std::size_t k = 1; k < bytes.size(); ++k) code = (code << 6) | (bytes[k] & 0x3F);
        return true;
    }

private:
    std::string_view m_text;
    std::size_t m_at = 0;
};

void Escape(char32_t code, std::string& out) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(code));
    out += buffer;
}

// A string's content (UTF-8) as JSON writes it.
void Quoted(std::string_view text, bool ascii, std::string& out) {
    static constexpr std::string_view kFrom = "\"\\\b\f\n\r\t";
    static constexpr std::string_view kTo = "\"\\bfnrt";
    out += '"';
    Characters characters(text);
    char32_t code = 0;
    for (std::string_view bytes; characters.Next(code, bytes);) {
        if (std::size_t k = code < 0x80 ? kFrom.find(static_cast<char>(code)) : std::string_view::npos;
            k != std::string_view::npos) {
            out += '\\';
            out += kTo[k];
        } else if (code < 0x20) {
            Escape(code, out);
        } else if (ascii && code >= 0x80) {
            // Note: a character beyond the basic plane is its surrogate pair.
            if (code >= 0x10000) {
                Escape(0xD800 + ((code - 0x10000) >> 10), out);
                Escape(0xDC00 + ((code - 0x10000) & 0x3FF), out);
            } else {
                Escape(code, out);
            }
        } else {
            out += bytes;
        }
    }
    out += '"';
}

class Writer {
public:
    Writer(CJsonSerializer::Options options, std::string& out) : m_options(options), m_out(out) {}

    bool Value(CJsonReader& reader, int depth) {
        const char c = reader.Peek();
        if (c == '"') {
            std::string text;
            if (!reader.String(text)) return false;
            Quoted(text, m_options.ascii, m_out);
            return true;
        }
        if (c == '{' || c == '[') return Container(reader, depth, c == '{');
        std::string_view atom;
        if (!reader.Atom(atom)) return false;
        m_out += atom;
        return true;
    }

private:
    void Line(int depth) {
        if (!m_options.pretty) return;
        m_out += '\n';
        m_out.append(static_cast<std::size_t>(depth) * 2, ' ');
    }

    bool Container(CJsonReader& reader, int depth, bool object) {
        const char close = object ? '}' : ']';
        reader.Accept(object ? '{' : '[');
        m_out += object ? '{' : '[';
        if (reader.Accept(close)) {
            m_out += close;
            return true;
        }
        do {
            Line(depth + 1);
            if (object && !Member(reader, depth + 1)) return false;
            if (!object && !Value(reader, depth + 1)) return false;
        } while (reader.Accept(',') && (m_out += ',', true));
        if (!reader.Accept(close)) return false;
        Line(depth);
        m_out += close;
        return true;
    }

    bool Member(CJsonReader& reader, int depth) {
        std::string key;
        std::string_view bare;
        if (reader.Peek() == '"' ? !reader.String(key) : !reader.BareName(bare)) return false;
        if (!bare.empty()) key = std::string(bare);
        if (!reader.Accept(':')) return false;
        Quoted(key, m_options.ascii, m_out);
        m_out += m_options.pretty ? " :" : ":";
        // Note: an object or array (not empty) opens on a line of its own.
        const char next = reader.Peek();
        if (m_options.pretty && (next == '{' || next == '[')) {
            CJsonReader ahead = reader;
            ahead.Accept(next);
            if (ahead.Peek() != (next == '{' ? '}' : ']')) {
                Line(depth);
                return Value(reader, depth);
            }
        }
        if (m_options.pretty) m_out += ' ';
        return Value(reader, depth);
    }

    CJsonSerializer::Options m_options;
    std::string& m_out;
};

void Text(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
    const std::string options = sqliteapi::TextOf(argv[1]);
    CJsonSerializer::Options written;
    written.pretty = options.find('P') != std::string::npos;
    written.ascii = options.find('A') != std::string::npos;
    std::string out;
    if (!CJsonSerializer::Write(sqliteapi::TextOf(argv[0]), written, out))
        return sqlite3_result_null(context);
    const sqlite3_int64 limit = sqlite3_value_int64(argv[2]);
    const bool chars = sqlite3_value_int(argv[3]) != 0;
    if (limit > 0) {
        std::string cut = CJsonSerializer::Cut(out, static_cast<std::size_t>(limit), chars);
        if (cut.size() < out.size() && options.find('T') == std::string::npos)
            return sqlite3_result_null(context);
        out = std::move(cut);
    }
    sqliteapi::ResultText(context, out);
}

}  // namespace

bool CJsonSerializer::Write(std::string_view json, Options options, std::string& out) {
    CJsonReader reader(json);
    Writer writer(options, out);
    return writer.Value(reader, 0) && reader.AtEnd();
}

std::string CJsonSerializer::Cut(std::string_view text, std::size_t limit, bool chars) {
    Characters characters(text);
    std::size_t used = 0;
    std::size_t end = 0;
    char32_t code = 0;
    for (std::string_view bytes; characters.Next(code, bytes); end += bytes.size()) {
        used += chars ? 1 : encoding::Utf8ToCp932(bytes).size();
        if (used > limit) break;
    }
    return std::string(text.substr(0, end));
}

bool CJsonSerializer::Register(sqlite3* db) {
    static constexpr sqliteapi::FunctionRule kRules[] = {{"ORA_JSON_TEXT", 4, Text}};
    return sqliteapi::RegisterFunctions(db, kRules, nullptr);
}
