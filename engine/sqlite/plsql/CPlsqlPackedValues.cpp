#include "engine/sqlite/plsql/CPlsqlPackedValues.h"

#include <cstring>
#include <limits>

namespace {

enum Tag : char {
    kNull = 'N',
    kInteger = 'I',
    kDecimal = 'X',
    kText = 'T',
    kDate = 'D',
    // A timestamp of a declared TIMESTAMP(n): n, then as a date.
    kStamp = 'S',
    kBoolean = 'B',
    kLarge = 'L'
};

void PutLength(std::string& out, std::size_t length) {
    while (length >= 0x80) {
        out += static_cast<char>((length & 0x7F) | 0x80);
        length >>= 7;
    }
    out += static_cast<char>(length);
}

std::size_t GetLength(const char*& at) {
    std::size_t length = 0;
    for (int shift = 0;; shift += 7) {
        auto byte = static_cast<unsigned char>(*at++);
        length |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) return length;
    }
}

std::string Pack(const CPlsqlValue& value) {
    std::string out;
    auto text = [&out](Tag tag, const std::string& bytes) {
        out += tag;
        PutLength(out, bytes.size());
        out += bytes;
    };
    switch (value.GetKind()) {
        case CPlsqlValue::Kind::Null:
            out += kNull;
            break;
        case CPlsqlValue::Kind::Number:
            if (value.IsInteger()) {
                std::int64_t number = value.IntegerValue();
                out += kInteger;
                out.append(reinterpret_cast<const char*>(&number), sizeof number);
            } else {
                text(kDecimal, value.NumberText());
            }
            break;
        case CPlsqlValue::Kind::Text:
            text(kText, value.TextValue());
            break;
        case CPlsqlValue::Kind::Date:
            if (value.Fraction() >= 0) {
                out += kStamp;
                out += static_cast<char>(value.Fraction());
            }
            text(kDate, value.TextValue());
            break;
        case CPlsqlValue::Kind::Boolean:
            out += kBoolean;
            out += value.BoolValue() ? '1' : '0';
            break;
    }
    return out;
}

CPlsqlValue Unpack(const char* at) {
    char tag = *at++;
    if (tag == kStamp) {
        const int fraction = *at++;
        CPlsqlValue date = Unpack(at);
        return CPlsqlValue::Date(date.TextValue(), fraction);
    }
    if (tag == kInteger) {
        std::int64_t number = 0;
        std::memcpy(&number, at, sizeof number);
        return CPlsqlValue::Integer(number);
    }
    if (tag == kBoolean) return CPlsqlValue::Bool(*at == '1');
    if (tag == kNull) return CPlsqlValue();
    std::size_t length = GetLength(at);
    std::string bytes(at, length);
    if (tag == kText) return CPlsqlValue::Text(std::move(bytes));
    if (tag == kDate) return CPlsqlValue::Date(std::move(bytes));
    CNumberDecimal number;
    return CNumberDecimal::FromText(bytes, number) ? CPlsqlValue::Decimal(number) : CPlsqlValue();
}

}  // namespace

bool CPlsqlPackedValues::Append(const CPlsqlValue& value) {
    std::string packed = Pack(value);
    if (packed.size() > kChunk / 4) {
        std::uint32_t index = static_cast<std::uint32_t>(m_large.size());
        m_large.push_back(std::move(packed));
        packed.assign(1, kLarge);
        packed.append(reinterpret_cast<const char*>(&index), sizeof index);
    }
    if (m_chunks.empty() || m_chunks.back().size() + packed.size() > kChunk) {
        if ((m_chunks.size() + 1) * kChunk > std::numeric_limits<std::uint32_t>::max()) return false;
        m_chunks.emplace_back();
        m_chunks.back().reserve(kChunk);
    }
    m_positions.push_back(
        static_cast<std::uint32_t>((m_chunks.size() - 1) * kChunk + m_chunks.back().size()));
    m_chunks.back() += packed;
    return true;
}

CPlsqlValue CPlsqlPackedValues::At(std::size_t index) const {
    std::uint32_t position = m_positions[index];
    const char* at = m_chunks[position / kChunk].data() + position % kChunk;
    if (*at != kLarge) return Unpack(at);
    std::uint32_t large = 0;
    std::memcpy(&large, at + 1, sizeof large);
    return Unpack(m_large[large].data());
}
