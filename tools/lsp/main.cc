// Entry point of the language server: tunnelsmith-lsp [--stdio]
#include <iostream>
#include <string>
#include <vector>

#include "options.h"
#include "server.h"
#include "tool_cli.h"

namespace {

constexpr std::string_view kHelp =
    "Usage: tunnelsmith-lsp [--stdio]\n"
    "\n"
    "The language server for Tunnelsmith map files: editors start it and talk to it over\n"
    "standard input and output (the Language Server Protocol 3.17). It reports the checker's\n"
    "problems as you type and offers completion, hover, go to definition, references, the\n"
    "outline and quick fixes.\n"
    "\n"
    "Options:\n"
    "  --stdio     talk over standard input and output (the default and only way)\n"
    "  --help      show this help\n"
    "  --version   show the version\n"
    "\n"
    "Exit status:\n"
    "  0  the editor asked the server to shut down, then to exit\n"
    "  1  the editor asked it to exit without shutting down, or went away\n"
    "  2  usage error\n";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  if (ts::cli::answersHelpOrVersion(args, "tunnelsmith-lsp", kHelp, std::cout)) {
    return ts::cli::kSuccess;
  }
  // Clients add these; the server always talks over standard input and output.
  bool stdio = false;
  std::string client;
  std::vector<std::string> operands;
  std::string error;
  if (!ts::cli::OptionParser()
           .flag("--stdio", stdio)
           .value("--clientProcessId", client, "the client's process number")
           .parse(args, operands, error) ||
      !operands.empty()) {
    std::cerr << "tunnelsmith-lsp: "
              << (error.empty() ? "unknown argument: " + operands.front() : error)
              << " (try tunnelsmith-lsp --help)\n";
    return ts::cli::kUsage;
  }
  std::ios::sync_with_stdio(false);
  std::cin.tie(nullptr);
  ts::lsp::keepMemoryBetweenAnalyses();
  ts::lsp::Server server(std::cout);
  return server.run(std::cin);
}
