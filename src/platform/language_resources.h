// LanguageResources: the string table, menus, dialog texts and toolbars of one user language.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

// One entry of a menu: a command, a separator or a pop-up with its own entries.
struct MenuEntry {
  enum class Kind { Item, Separator, Popup };
  Kind kind = Kind::Item;
  unsigned id = 0;   // command identifier of an item
  std::string text;  // with "&" before the mnemonic and "\t" before a shortcut
  std::vector<MenuEntry> entries;
};

// A menu bar or a set of context menus: its top-level entries are pop-ups, addressed by position.
struct Menu {
  unsigned id = 0;
  std::vector<MenuEntry> entries;
};

struct DialogControl {
  enum class Kind { Label, Edit, Button, Check, Radio, Combo, List, Tree, Group };
  Kind kind = Kind::Label;
  unsigned id = 0;
  std::string text;
  std::vector<std::string> entries;  // the fixed entries of a drop-down or list
};

struct Dialog {
  unsigned id = 0;
  std::string title;
  std::vector<DialogControl> controls;

  const DialogControl* Find(unsigned control) const;
};

// Command identifiers of a toolbar's items in order; 0 stands for a separator.
struct Toolbar {
  unsigned id = 0;
  std::vector<unsigned> items;
};

// The texts of one language, read from a UTF-8 resource file and held as Windows-1252.
//
// File format: one statement per line; "#" starts a comment line; texts are in double quotes
// with the escapes \" \\ \n \r \t; identifiers are decimal numbers up to 65535.
//   string <id> "<text>"
//   menu <id> ... end          with   popup "<text>" ... end | item <id> "<text>" | separator
//   dialog <id> "<title>" ... end
//                              with   <kind> <id> "<text>"  (kind: label edit button check
//                                     radio combo list tree group), each control optionally
//                                     followed by   entry "<text>"   lines for its fixed entries
//   toolbar <id> ... end       with   button <id> | separator
class LanguageResources {
 public:
  // Reads a resource file; on failure returns false with a message (file and line) in `error`
  // and keeps the previous contents.
  bool Load(const std::string& path, std::string* error);
  // The same for text already in memory; `source` names it in messages.
  bool LoadText(std::string_view utf8, std::string_view source, std::string* error);

  // A string table entry; empty when the identifier has none.
  std::string String(unsigned id) const;
  bool Has(unsigned id) const;
  // Part `index` of a string whose parts are separated by "\n" (the document template strings,
  // the status line prompt and tool tip of a command); empty when missing.
  std::string StringPart(unsigned id, std::size_t index) const;

  const Menu* FindMenu(unsigned id) const;
  // The text of the command's entry anywhere in the menu; empty when missing.
  std::string MenuText(unsigned menu, unsigned command) const;
  const Dialog* FindDialog(unsigned id) const;
  std::string DialogTitle(unsigned dialog) const;
  // The text of a dialog's control; empty when missing.
  std::string DialogText(unsigned dialog, unsigned control) const;
  const Toolbar* FindToolbar(unsigned id) const;

  const std::map<unsigned, std::string>& Strings() const { return m_strings; }
  const std::map<unsigned, Menu>& Menus() const { return m_menus; }
  const std::map<unsigned, Dialog>& Dialogs() const { return m_dialogs; }
  const std::map<unsigned, Toolbar>& Toolbars() const { return m_toolbars; }

 private:
  friend class ResourceFileParser;

  std::map<unsigned, std::string> m_strings;
  std::map<unsigned, Menu> m_menus;
  std::map<unsigned, Dialog> m_dialogs;
  std::map<unsigned, Toolbar> m_toolbars;
};
