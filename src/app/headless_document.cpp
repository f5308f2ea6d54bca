// HeadlessDocument: a temporary settings folder around a document without views.
#include "app/headless_document.h"

#include <stdlib.h>

#include <filesystem>

namespace {

std::string MakePrivateDir() {
  std::error_code error;
  const auto temp = std::filesystem::temp_directory_path(error);
  std::string pattern = ((error ? "/tmp" : temp.string()) + "/zelvox-XXXXXX");
  return mkdtemp(pattern.data()) ? pattern : std::string();
}

}  // namespace

HeadlessDocument::HeadlessDocument(Prompt& prompt, std::function<std::string(unsigned)> strings)
    : m_dir(MakePrivateDir()),
      // Without a private folder the store's writes fail and the document runs on defaults.
      m_settings((m_dir.empty() ? std::string("/nonexistent") : m_dir) + "/settings") {
  CDORAzivazDoc::Services services{m_callback, prompt, m_loop, m_settings};
  services.strings = std::move(strings);
  m_doc = std::make_unique<CDORAzivazDoc>(services);
}

HeadlessDocument::~HeadlessDocument() {
  m_doc.reset();
  if (m_dir.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(m_dir, ignored);
}
