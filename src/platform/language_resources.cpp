// LanguageResources: loading and looking up the texts of one language.
#include "platform/language_resources.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/resource_file_parser.h"

namespace {

const MenuEntry* FindCommand(const std::vector<MenuEntry>& entries, unsigned command) {
  for (const MenuEntry& entry : entries) {
    if (entry.kind == MenuEntry::Kind::Item && entry.id == command) return &entry;
    if (entry.kind == MenuEntry::Kind::Popup) {
      if (const MenuEntry* found = FindCommand(entry.entries, command)) return found;
    }
  }
  return nullptr;
}

}  // namespace

const DialogControl* Dialog::Find(unsigned control) const {
  for (const DialogControl& c : controls) {
    if (c.id == control) return &c;
  }
  return nullptr;
}

bool LanguageResources::Load(const std::string& path, std::string* error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    if (error) *error = "cannot open " + path + ": it is a directory";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (error) *error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    if (error) *error = "cannot read " + path;
    return false;
  }
  return LoadText(text.str(), path, error);
}

bool LanguageResources::LoadText(std::string_view utf8, std::string_view source,
                                 std::string* error) {
  LanguageResources loaded;
  if (!ResourceFileParser(utf8, source).Parse(&loaded, error)) return false;
  if (loaded.m_strings.empty()) {
    // An empty or truncated file would leave every message blank.
    if (error) *error = std::string(source) + ": no string table entries";
    return false;
  }
  *this = std::move(loaded);
  return true;
}

std::string LanguageResources::String(unsigned id) const {
  const auto it = m_strings.find(id);
  return it == m_strings.end() ? std::string() : it->second;
}

bool LanguageResources::Has(unsigned id) const {
  return m_strings.contains(id);
}

std::string LanguageResources::StringPart(unsigned id, std::size_t index) const {
  const auto it = m_strings.find(id);
  if (it == m_strings.end()) return {};
  std::size_t start = 0;
  for (std::size_t i = 0; i < index; ++i) {
    start = it->second.find('\n', start);
    if (start == std::string::npos) return {};
    ++start;
  }
  return it->second.substr(start, it->second.find('\n', start) - start);
}

const Menu* LanguageResources::FindMenu(unsigned id) const {
  const auto it = m_menus.find(id);
  return it == m_menus.end() ? nullptr : &it->second;
}

std::string LanguageResources::MenuText(unsigned menu, unsigned command) const {
  const Menu* m = FindMenu(menu);
  const MenuEntry* entry = m ? FindCommand(m->entries, command) : nullptr;
  return entry ? entry->text : std::string();
}

const Dialog* LanguageResources::FindDialog(unsigned id) const {
  const auto it = m_dialogs.find(id);
  return it == m_dialogs.end() ? nullptr : &it->second;
}

std::string LanguageResources::DialogTitle(unsigned dialog) const {
  const Dialog* d = FindDialog(dialog);
  return d ? d->title : std::string();
}

std::string LanguageResources::DialogText(unsigned dialog, unsigned control) const {
  const Dialog* d = FindDialog(dialog);
  const DialogControl* c = d ? d->Find(control) : nullptr;
  return c ? c->text : std::string();
}

const Toolbar* LanguageResources::FindToolbar(unsigned id) const {
  const auto it = m_toolbars.find(id);
  return it == m_toolbars.end() ? nullptr : &it->second;
}
