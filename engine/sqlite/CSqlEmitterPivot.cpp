#include <algorithm>

#include "engine/sqlite/CSqlEmitter.h"
#include "text/Cp932.h"

bool CSqlEmitter::ImplicitBlock(const CSqlSelect& block, std::string& out, std::vector<Typed>* columns,
                                bool orderedForRownum) {
    // Note: the source is written once here to learn its columns; the text
    // is dropped, the block below writes it again.
    CSqlSelect first;
    first.from.push_back(block.from[0]);
    Scope probe;
    std::vector<std::string> texts;
    std::vector<LiteralSlot>* slots = m_slots;
    m_slots = nullptr;
    m_scopes.push_back(Scope{});
    bool known = EachSource(first, probe, texts);
    m_scopes.pop_back();
    m_slots = slots;
    if (!known) return false;
    std::vector<std::string> named;
    for (std::string_view name : block.implicitExcept)
        named.push_back(name.size() >= 2 && name.front() == '"' ? std::string(name.substr(1, name.size() - 2))
                                                                : cp932::ToUpperAscii(name));
    CSqlSelect expanded = block;
    expanded.implicitColumns = false;
    std::vector<CSqlSelectItem> items;
    std::vector<CSqlExpr*> keys;
    for (const Typed& column : probe.sources[0].columns) {
        if (std::find(named.begin(), named.end(), column.name) != named.end()) continue;
        CSqlExpr* name = m_made.Expr();
        name->kind = CSqlExpr::Kind::Name;
        name->at = block.at;
        name->parts = {m_made.Keep("\"" + column.name + "\"")};
        CSqlSelectItem item;
        item.expr = name;
        items.push_back(item);
        keys.push_back(name);
    }
    expanded.items.insert(expanded.items.begin(), items.begin(), items.end());
    if (block.implicitGroup) expanded.groupBy.insert(expanded.groupBy.begin(), keys.begin(), keys.end());
    return Block(expanded, out, columns, orderedForRownum);
}
