// Fuzz target: any bytes as a map text, through the whole reader and, for a valid level, all
// six writers, in memory. The same text is compiled again with the files handed on in small
// blocks, as the driver writes them; both must agree to the byte. Crashes, hangs, leaks,
// sanitizer reports and disagreements are findings.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "driver/compile.h"

namespace {

// Joins the blocks of each file as they are handed on.
class BlockSink : public ts::LevelFileSink {
 public:
  std::vector<ts::Bytes> files;

  ts::FileOutput& open(const std::string& name) override {
    static_cast<void>(name);
    files.emplace_back();
    output_.start(&files.back());
    return output_;
  }
  void close() override { output_.flush(); }

 private:
  class Output : public ts::FileOutput {
   public:
    Output() : FileOutput(64) {}
    void start(ts::Bytes* file) {
      restart();
      file_ = file;
    }

   protected:
    void handOn(const ts::Bytes& block) override {
      file_->insert(file_->end(), block.begin(), block.end());
    }

   private:
    ts::Bytes* file_ = nullptr;
  };
  Output output_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ts::NameMaps names;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ts::CompileResult result = ts::compileMap(text, names);
  // A valid level always carries its six files.
  if (result.valid && result.files.size() != 6) __builtin_trap();

  std::ostringstream console;
  BlockSink sink;
  const bool valid = ts::compileMap(text, names, console, sink);
  if (valid != result.valid || console.str() != result.console) __builtin_trap();
  if (sink.files.size() != result.files.size()) __builtin_trap();
  for (std::size_t i = 0; i < sink.files.size(); ++i) {
    if (sink.files[i] != result.files[i].bytes) __builtin_trap();
  }
  return 0;
}
