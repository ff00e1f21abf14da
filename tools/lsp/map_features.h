// The editor features over one document, each answering one request of the protocol with the
// protocol's JSON values.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "document.h"

namespace ts::lsp {

using nlohmann::json;

// The diagnostics of textDocument/publishDiagnostics.
[[nodiscard]] json diagnosticsOf(const std::string& uri, Document& doc);

[[nodiscard]] json completion(Document& doc, Position at, bool snippets);
[[nodiscard]] json hover(Document& doc, Position at);
[[nodiscard]] json definition(const std::string& uri, Document& doc, Position at);
[[nodiscard]] json references(const std::string& uri, Document& doc, Position at,
                              bool includeDeclaration);
[[nodiscard]] json documentSymbols(Document& doc);
[[nodiscard]] json codeActions(const std::string& uri, Document& doc, Position from, Position to);

}  // namespace ts::lsp
