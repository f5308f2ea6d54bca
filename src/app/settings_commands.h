// SettingsCommands: the options and language commands and the running values they change.
#pragma once

#include <cstdint>

#include "app/settings_dialogs.h"

class CDORAzivazDoc;
class SettingsStore;

constexpr unsigned kCmdOptions = 32778;
constexpr unsigned kCmdLanguage = 32857;
constexpr unsigned kMsgLanguageNextStart = 195;
constexpr unsigned kMsgTimeBaseNextStart = 204;

// Owned by the application; `startmode` is the application's running "Startmode".
class SettingsCommands {
 public:
  SettingsCommands(SettingsStore& store, std::int32_t& startmode)
      : m_store(store), m_startmode(startmode) {}

  // Registers 32778 and 32857 on the document; without a dialog (headless) they do nothing.
  void Register(CDORAzivazDoc& doc);
  // Main thread; null while headless or when the window goes.
  void SetDialogs(OptionsDialog* options, LanguageDialog* language) {
    m_optionsDialog = options;
    m_languageDialog = language;
  }

  // What the options dialog is filled with: the running values.
  OptionsValues CurrentOptions(const CDORAzivazDoc& doc) const;
  // The options dialog's OK: writes each value that differs from the running one. Start mode,
  // linked reads and the initial read with its speed take effect at once; a changed time base
  // is written, keeps its running value and is announced with message 204.
  void ApplyOptions(CDORAzivazDoc& doc, const OptionsValues& chosen);
  // The language dialog's OK: a choice that differs from the stored "Language" is written and
  // announced with message 195; the running language stays.
  void ApplyLanguage(CDORAzivazDoc& doc, std::int32_t chosen);
  std::int32_t StoredLanguage() const;

 private:
  SettingsStore& m_store;
  std::int32_t& m_startmode;
  OptionsDialog* m_optionsDialog = nullptr;
  LanguageDialog* m_languageDialog = nullptr;
};
