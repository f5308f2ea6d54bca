// MenuBuilder: entries, separators and pop-ups into QMenu, with shortcuts from the texts.
#include "ui/menu_builder.h"

#include <QAction>
#include <QMenuBar>
#include <QToolBar>

#include "platform/current_language.h"
#include "ui/ansi_text.h"
#include "ui/command_router.h"
#include "ui/image_list.h"

namespace {

void AddEntries(QMenu& target, const std::vector<MenuEntry>& entries, const MenuRules* rules,
                CommandRouter& router, std::map<unsigned, QAction*>* shared) {
  for (std::size_t position = 0; position < entries.size(); ++position) {
    const MenuEntry& entry = entries[position];
    if (rules && rules->keep && !rules->keep(position, entry)) continue;
    switch (entry.kind) {
      case MenuEntry::Kind::Separator:
        target.addSeparator();
        break;
      case MenuEntry::Kind::Popup: {
        QMenu* sub = target.addMenu(MenuEntryText(entry.text));
        // Trimming applies to the menu's own level only; checks and disabling reach down.
        MenuRules inner;
        if (rules) {
          inner.checked = rules->checked;
          inner.disabled = rules->disabled;
        }
        AddEntries(*sub, entry.entries, rules ? &inner : nullptr, router, shared);
        break;
      }
      case MenuEntry::Kind::Item: {
        QAction* action = nullptr;
        if (shared) {
          auto found = shared->find(entry.id);
          if (found != shared->end()) action = found->second;
        }
        if (!action) {
          action = new QAction(MenuEntryText(entry.text), &target);
          action->setData(entry.id);
          const QKeySequence shortcut = MenuEntryShortcut(entry.text);
          if (!shortcut.isEmpty()) action->setShortcut(shortcut);
          const unsigned id = entry.id;
          QObject::connect(action, &QAction::triggered, action,
                           [&router, id] { router.RunCommand(id); });
          if (shared) (*shared)[entry.id] = action;
        }
        if (rules) {
          const bool checked = rules->checked.count(entry.id) != 0;
          action->setCheckable(checked);
          action->setChecked(checked);
          action->setEnabled(rules->disabled.count(entry.id) == 0 &&
                             router.CommandEnabled(entry.id));
        }
        target.addAction(action);
        break;
      }
    }
  }
}

}  // namespace

QString MenuEntryText(std::string_view text) {
  return FromAnsi(text.substr(0, text.find('\t')));
}

QKeySequence MenuEntryShortcut(std::string_view text) {
  const std::size_t tab = text.find('\t');
  if (tab == std::string_view::npos) return {};
  return QKeySequence(FromAnsi(text.substr(tab + 1)), QKeySequence::PortableText);
}

void BuildMenuBar(QMenuBar& bar, const Menu& menu, CommandRouter& router,
                  std::map<unsigned, QAction*>& actions) {
  for (const MenuEntry& popup : menu.entries) {
    if (popup.kind != MenuEntry::Kind::Popup) continue;
    QMenu* sub = bar.addMenu(MenuEntryText(popup.text));
    AddEntries(*sub, popup.entries, nullptr, router, &actions);
  }
}

void SetCommandTips(const std::map<unsigned, QAction*>& actions) {
  const auto language = Language();
  for (const auto& [id, action] : actions) {
    const std::string prompt = language->StringPart(id, 0);
    const std::string tip = language->StringPart(id, 1);
    if (!prompt.empty()) action->setStatusTip(FromAnsi(prompt));
    if (!tip.empty()) action->setToolTip(FromAnsi(tip));
  }
}

void FillToolbar(QToolBar& toolbar, const Toolbar& resource,
                 const std::map<unsigned, QAction*>& actions,
                 const std::function<QString(unsigned)>& imageName) {
  for (unsigned id : resource.items) {
    if (id == 0) {
      toolbar.addSeparator();
      continue;
    }
    auto found = actions.find(id);
    if (found == actions.end()) continue;
    found->second->setIcon(ToolbarIcon(imageName(id)));
    toolbar.addAction(found->second);
  }
}

std::unique_ptr<QMenu> BuildContextMenu(const Menu& menu, std::size_t position,
                                        const MenuRules& rules, CommandRouter& router,
                                        QWidget* parent) {
  if (position >= menu.entries.size() || menu.entries[position].kind != MenuEntry::Kind::Popup)
    return nullptr;
  auto popup = std::make_unique<QMenu>(parent);
  AddEntries(*popup, menu.entries[position].entries, &rules, router, nullptr);
  return popup;
}

QAction* FindCommandAction(const QMenu& menu, unsigned command) {
  for (QAction* action : menu.actions()) {
    if (action->menu()) {
      if (QAction* found = FindCommandAction(*action->menu(), command)) return found;
    } else if (!action->isSeparator() && action->data().toUInt() == command) {
      return action;
    }
  }
  return nullptr;
}
