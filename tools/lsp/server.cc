#include "server.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <optional>
#include <set>
#include <stdexcept>

#include "framing.h"
#include "map_features.h"
#include "message.h"
#include "tunnelsmith/version.h"

namespace ts::lsp {

using nlohmann::json;

namespace {

// A request whose answer is a protocol error rather than a result.
struct RequestError : std::runtime_error {
  RequestError(int code, const std::string& message) : std::runtime_error(message), code(code) {}
  int code;
};

Position positionOf(const json& p) {
  return {p.at("line").get<std::size_t>(), p.at("character").get<std::size_t>()};
}

bool isId(const json& id) { return id.is_number_integer() || id.is_string(); }

// A member of an object, or null when `j` is no object or has no such member. Looking a member
// up this way copies nothing, which matters for the whole map texts in the messages.
const json* member(const json* j, const char* key) {
  if (j == nullptr || !j->is_object()) return nullptr;
  const auto it = j->find(key);
  return it == j->end() ? nullptr : &*it;
}
const json* member(const json& j, const char* key) { return member(&j, key); }

const std::string* stringMember(const json& j, const char* key) {
  const json* value = member(j, key);
  return value != nullptr && value->is_string() ? &value->get_ref<const std::string&>() : nullptr;
}

// The document a textDocument/didChange message names.
const std::string* changedUri(const json& message) {
  const json* document = member(member(message, "params"), "textDocument");
  return document == nullptr ? nullptr : stringMember(*document, "uri");
}

json capabilities() {
  return {{"positionEncoding", "utf-16"},
          {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
          {"completionProvider", {{"resolveProvider", false}}},
          {"hoverProvider", true},
          {"definitionProvider", true},
          {"referencesProvider", true},
          {"documentSymbolProvider", true},
          {"codeActionProvider", {{"codeActionKinds", json::array({"quickfix"})}}}};
}

}  // namespace

void keepMemoryBetweenAnalyses() {
#if defined(__GLIBC__)
  // Large blocks come from the heap rather than from mappings of their own, and freed memory at
  // the heap's top stays with the process.
  constexpr int kLargest = 1 << 30;
  mallopt(M_MMAP_THRESHOLD, kLargest);
  mallopt(M_TRIM_THRESHOLD, kLargest);
#endif
}

int Server::run(std::istream& in) {
  bool ended = false;
  while (!ended && !exited_) {
    std::vector<std::string> batch;
    std::string body;
    // Wait for one message, then take every message already arrived with it.
    do {
      const FrameStatus status = readFrame(in, body);
      if (status == FrameStatus::kEnd) {
        ended = true;
        break;
      }
      // A body that is no JSON gets the parse error a broken header deserves too.
      batch.push_back(status == FrameStatus::kMessage ? std::move(body) : std::string());
    } while (in.rdbuf()->in_avail() > 0);
    handle(batch);
  }
  return exitStatus();
}

void Server::handle(const std::vector<std::string>& bodies) {
  std::vector<json> messages;
  messages.reserve(bodies.size());
  std::set<json> cancelled;
  std::map<std::string, std::size_t> lastChange;
  for (const std::string& body : bodies) {
    json message = parseMessage(body);
    const std::string* method = stringMember(message, "method");
    if (method != nullptr && *method == "$/cancelRequest") {
      const json* params = member(message, "params");
      if (const json* id = member(params, "id")) cancelled.insert(*id);
    }
    if (method != nullptr && *method == "textDocument/didChange") {
      if (const std::string* uri = changedUri(message)) lastChange[*uri] = messages.size();
    }
    messages.push_back(std::move(message));
  }
  for (std::size_t i = 0; i < messages.size() && !exited_; ++i) {
    json& m = messages[i];
    if (m.is_discarded()) {
      error(nullptr, kParseError, "the message is not JSON");
      continue;
    }
    bool publish = true;
    const std::string* method = stringMember(m, "method");
    if (method != nullptr && *method == "textDocument/didChange") {
      const std::string* uri = changedUri(m);
      publish = uri == nullptr || lastChange[*uri] == i;
    }
    const bool isCancelled = m.is_object() && m.contains("id") && cancelled.contains(m["id"]);
    // The message is not needed after it is handled: its texts may move into the documents.
    dispatch(m, publish, isCancelled);
  }
}

void Server::dispatch(json& m, bool publish, bool cancelled) {
  if (!m.is_object()) {
    error(nullptr, kInvalidRequest, "a message is a JSON object");
    return;
  }
  const json id = m.contains("id") ? m["id"] : json();
  if (!m.contains("method") || !m["method"].is_string()) {
    // Answers to requests of ours: the server sends none, so there is nothing to match.
    if (m.contains("result") || m.contains("error")) return;
    error(isId(id) ? id : json(), kInvalidRequest, "a request names its method");
    return;
  }
  const std::string method = m["method"].get<std::string>();
  json noParams = json::object();
  json& params = m.contains("params") ? m["params"] : noParams;
  const bool isRequest = m.contains("id");
  if (isRequest && !isId(id)) {
    error(nullptr, kInvalidRequest, "a request's id is a number or a string");
    return;
  }
  if (!isRequest) {
    try {
      notification(method, params, publish);
    } catch (const std::exception&) {
      // A notification has no answer: one that cannot be understood is dropped.
    }
    return;
  }
  if (cancelled) {
    error(id, kRequestCancelled, "the request was cancelled");
    return;
  }
  try {
    reply(id, request(method, params));
  } catch (const RequestError& e) {
    error(id, e.code, e.what());
  } catch (const json::exception& e) {
    error(id, kInvalidParams, std::string("invalid parameters: ") + e.what());
  } catch (const std::exception& e) {
    error(id, kInternalError, e.what());
  }
}

json Server::request(const std::string& method, const json& params) {
  if (state_ == State::kStarting && method != "initialize") {
    throw RequestError(kServerNotInitialized, "the server is not initialized");
  }
  if (state_ == State::kShutDown) throw RequestError(kInvalidRequest, "the server is shut down");
  if (method == "initialize") {
    if (state_ != State::kStarting) throw RequestError(kInvalidRequest, "already initialized");
    const json* support = nullptr;
    const json::json_pointer pointer(
        "/capabilities/textDocument/completion/completionItem/snippetSupport");
    if (params.is_object() && params.contains(pointer)) support = &params.at(pointer);
    snippets_ = support != nullptr && support->is_boolean() && support->get<bool>();
    state_ = State::kRunning;
    return {{"capabilities", capabilities()},
            {"serverInfo", {{"name", "tunnelsmith-lsp"}, {"version", tunnelsmith::kVersion}}}};
  }
  if (method == "shutdown") {
    state_ = State::kShutDown;
    return nullptr;
  }
  const bool known = method == "textDocument/completion" || method == "textDocument/hover" ||
                     method == "textDocument/definition" || method == "textDocument/references" ||
                     method == "textDocument/documentSymbol" || method == "textDocument/codeAction";
  if (!known) throw RequestError(kMethodNotFound, "unknown method " + method);
  Document* doc = find(params);
  if (doc == nullptr) return nullptr;  // a map that is not open has nothing to show
  const std::string uri = params["textDocument"]["uri"].get<std::string>();
  if (method == "textDocument/documentSymbol") return documentSymbols(*doc);
  if (method == "textDocument/codeAction") {
    const json& range = params.at("range");
    return codeActions(uri, *doc, positionOf(range.at("start")), positionOf(range.at("end")));
  }
  const Position at = positionOf(params.at("position"));
  if (method == "textDocument/completion") return completion(*doc, at, snippets_);
  if (method == "textDocument/hover") return hover(*doc, at);
  if (method == "textDocument/definition") return definition(uri, *doc, at);
  const bool declaration =
      params.value("context", json::object()).value("includeDeclaration", false);
  return references(uri, *doc, at, declaration);
}

void Server::notification(const std::string& method, json& params, bool publish) {
  if (method == "exit") {
    exited_ = true;
    return;
  }
  if (state_ != State::kRunning) return;
  if (method == "textDocument/didOpen") {
    json& item = params.at("textDocument");
    const std::string uri = item.at("uri").get<std::string>();
    documents_[uri] =
        std::make_unique<Document>(std::move(item.at("text").get_ref<std::string&>()), names_);
    this->publish(uri);
  } else if (method == "textDocument/didChange") {
    Document* doc = find(params);
    if (doc == nullptr) return;
    // Changes arrive as edits of part of the text (an editor types into a large map without
    // sending it whole), each applied where it stands; a whole text moves out of the message.
    for (json& change : params.at("contentChanges")) {
      if (change.contains("range")) {
        const LineIndex& lines = doc->lines();
        const std::size_t from = offsetOf(lines, positionOf(change["range"].at("start")));
        const std::size_t to = offsetOf(lines, positionOf(change["range"].at("end")));
        doc->replace(from, std::max(from, to), change.at("text").get_ref<const std::string&>());
      } else {
        doc->setText(std::move(change.at("text").get_ref<std::string&>()));
      }
    }
    if (publish) this->publish(params["textDocument"]["uri"].get<std::string>());
  } else if (method == "textDocument/didClose") {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    if (documents_.erase(uri) > 0) {
      send({{"jsonrpc", "2.0"},
            {"method", "textDocument/publishDiagnostics"},
            {"params", {{"uri", uri}, {"diagnostics", json::array()}}}});
    }
  }
}

Document* Server::find(const json& params) {
  const std::string uri = params.at("textDocument").at("uri").get<std::string>();
  const auto it = documents_.find(uri);
  return it == documents_.end() ? nullptr : it->second.get();
}

void Server::publish(const std::string& uri) {
  Document& doc = *documents_.at(uri);
  send({{"jsonrpc", "2.0"},
        {"method", "textDocument/publishDiagnostics"},
        {"params", {{"uri", uri}, {"diagnostics", diagnosticsOf(uri, doc)}}}});
}

void Server::send(const json& message) {
  // A map text need not be UTF-8: bytes that are not go out as U+FFFD.
  writeFrame(out_, message.dump(-1, ' ', false, json::error_handler_t::replace));
}

void Server::reply(const json& id, json result) {
  send({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

void Server::error(const json& id, int code, const std::string& message) {
  send({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

}  // namespace ts::lsp
