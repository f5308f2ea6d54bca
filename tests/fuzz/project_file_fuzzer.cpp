// Fuzzes loading a project file and its device file (the input split at its first NUL byte).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string_view>

#include "app/headless_document.h"
#include "project/project_file.h"

namespace {

// One document for the whole run (never destroyed: the run ends by exit()).
HeadlessDocument& Headless() {
  static SilentPrompt* prompt = new SilentPrompt;
  static HeadlessDocument* headless = new HeadlessDocument(*prompt);
  if (headless->Dir().empty()) std::abort();  // no private folder for the files
  return *headless;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CDORAzivazDoc& doc = Headless().Doc();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  const std::string path = Headless().Dir() + "/fuzz.zlv";
  std::ofstream(path, std::ios::binary | std::ios::trunc) << input.substr(0, split);
  std::ofstream(DeviceFilePath(path), std::ios::binary | std::ios::trunc)
      << (split == std::string_view::npos ? std::string_view() : input.substr(split + 1));
  if (!doc.DeleteContents() || !doc.LoadProject(path)) __builtin_trap();
  // What was loaded can be written again.
  ProjectFileText(doc.Root());
  DeviceFileText(doc.Devices());
  return 0;
}
