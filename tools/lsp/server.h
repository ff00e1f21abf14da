// The language server: JSON-RPC messages in, answers and diagnostics out, one document snapshot
// per open map, every answer from the checker's analysis and the map's index.
#pragma once

#include <istream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "document.h"

namespace ts::lsp {

// Error codes of JSON-RPC and of the protocol.
inline constexpr int kParseError = -32700;
inline constexpr int kInvalidRequest = -32600;
inline constexpr int kMethodNotFound = -32601;
inline constexpr int kInvalidParams = -32602;
inline constexpr int kInternalError = -32603;
inline constexpr int kServerNotInitialized = -32002;
inline constexpr int kRequestCancelled = -32800;

// Keeps the memory of one analysis for the next, where the C library allows it: an analysis of
// a large map fills a few hundred megabytes of short-lived vectors, and handing them back to the
// system after every edit makes the next edit fault every page in again (most of an edit's time
// on a 200,000-entry map). Call once, before the first document.
void keepMemoryBetweenAnalyses();

class Server {
 public:
  explicit Server(std::ostream& out) : out_(out) {}

  // Serves the framed messages of `in` until the exit notification or the end of the stream.
  // The exit status: 0 after shutdown and exit, 1 for an exit (or an end) without shutdown.
  int run(std::istream& in);

  // Handles message bodies that arrived together. A cancellation among them cancels the request
  // it names, and of several changes to one document only the last is checked.
  void handle(const std::vector<std::string>& bodies);

  [[nodiscard]] bool exited() const { return exited_; }
  [[nodiscard]] int exitStatus() const { return state_ == State::kShutDown ? 0 : 1; }

 private:
  enum class State { kStarting, kRunning, kShutDown };

  void dispatch(nlohmann::json& message, bool publish, bool cancelled);
  nlohmann::json request(const std::string& method, const nlohmann::json& params);
  void notification(const std::string& method, nlohmann::json& params, bool publish);
  void send(const nlohmann::json& message);
  void reply(const nlohmann::json& id, nlohmann::json result);
  void error(const nlohmann::json& id, int code, const std::string& message);
  void publish(const std::string& uri);
  Document* find(const nlohmann::json& params);

  std::ostream& out_;
  NameMaps names_;
  std::map<std::string, std::unique_ptr<Document>> documents_;
  State state_ = State::kStarting;
  bool exited_ = false;
  bool snippets_ = false;
};

}  // namespace ts::lsp
