#include "tool_cli.h"

#include <unistd.h>

#include <cstdlib>

namespace ts::cli {

OutputContext standardOutput() {
  const char* noColor = std::getenv("NO_COLOR");
  return {::isatty(STDOUT_FILENO) == 1, noColor != nullptr && *noColor != '\0'};
}

}  // namespace ts::cli
