// MenuBuilder: Qt menus made from the menus that the language file declares.
#pragma once

#include <QKeySequence>
#include <QMenu>
#include <QString>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string_view>

#include "platform/language_resources.h"

class CommandRouter;
class QAction;
class QMenuBar;
class QToolBar;

// The text of an entry before the tab ("&Open...") and the shortcut after it ("Ctrl+O").
QString MenuEntryText(std::string_view text);
QKeySequence MenuEntryShortcut(std::string_view text);

// The main menu bar: one QAction per command identifier, shared with the toolbar (`actions`
// receives them; an identifier already there is reused).
void BuildMenuBar(QMenuBar& bar, const Menu& menu, CommandRouter& router,
                  std::map<unsigned, QAction*>& actions);

// The status bar prompt and tool tip of each action from its command's string ("prompt\ntip").
void SetCommandTips(const std::map<unsigned, QAction*>& actions);

// The toolbar's buttons in the language file's order: the action of each command (commands
// without one are left out) with the picture `imageName` names, and the separators.
void FillToolbar(QToolBar& toolbar, const Toolbar& resource,
                 const std::map<unsigned, QAction*>& actions,
                 const std::function<QString(unsigned)>& imageName);

// How a context menu is trimmed and marked before it is shown.
struct MenuRules {
  // Whether the entry at `position` of the sub-menu stays; null keeps every entry.
  std::function<bool(std::size_t position, const MenuEntry& entry)> keep;
  std::set<unsigned> checked;
  std::set<unsigned> disabled;  // besides the commands the router does not enable
};

// A new pop-up of sub-menu `position` of `menu` (menu 142); null when it has none. Its
// actions carry their command identifier as data and run through `router`.
std::unique_ptr<QMenu> BuildContextMenu(const Menu& menu, std::size_t position,
                                        const MenuRules& rules, CommandRouter& router,
                                        QWidget* parent);
// The action of `command` in `menu` or its sub-menus; null when trimmed away.
QAction* FindCommandAction(const QMenu& menu, unsigned command);
