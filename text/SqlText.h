#pragma once

// Rules of SQL text shared by the interpreter and the engines.
namespace sqltext {

// The delimiter that closes a q'x...x' literal opened with `open`: the
// bracket's partner for [ { ( <, else the same character.
char QQuoteClose(char open);

}  // namespace sqltext
