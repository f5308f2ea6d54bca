// SettingsCommands: filling and applying the options and language dialogs.
#include "app/settings_commands.h"

#include "platform/prompt.h"
#include "platform/settings_store.h"
#include "project/document_settings.h"
#include "project/dorazivaz_doc.h"

void SettingsCommands::Register(CDORAzivazDoc& doc) {
  doc.SetCommand(kCmdOptions, [this, &doc] {
    if (!m_optionsDialog) return;
    OptionsValues values = CurrentOptions(doc);
    if (m_optionsDialog->Run(values)) ApplyOptions(doc, values);
  });
  doc.SetCommand(kCmdLanguage, [this, &doc] {
    if (!m_languageDialog) return;
    std::int32_t language = StoredLanguage() == 1 ? 1 : 0;
    if (m_languageDialog->Run(language)) ApplyLanguage(doc, language);
  });
}

OptionsValues SettingsCommands::CurrentOptions(const CDORAzivazDoc& doc) const {
  const DocumentSettings& s = doc.Settings();
  OptionsValues values;
  values.startmode = m_startmode != 0;
  values.readLinks = s.readLinks != 0;
  values.initRead = s.initRead != 0;
  values.useGmt = s.useGmt != 0;
  values.initSpeed = s.initSpeedCombobox;
  return values;
}

void SettingsCommands::ApplyOptions(CDORAzivazDoc& doc, const OptionsValues& chosen) {
  const OptionsValues current = CurrentOptions(doc);
  DocumentSettings& s = doc.Settings();
  if (chosen.startmode != current.startmode) {
    m_startmode = chosen.startmode ? 1 : 0;
    m_store.SetInt(kParameterKey, "Startmode", m_startmode);
  }
  if (chosen.readLinks != current.readLinks) {
    s.readLinks = chosen.readLinks ? 1 : 0;
    m_store.SetInt(kParameterKey, "ReadLinks", s.readLinks);
  }
  if (chosen.initRead != current.initRead) {
    s.initRead = chosen.initRead ? 1 : 0;
    m_store.SetInt(kParameterKey, "InitRead", s.initRead);
  }
  if (chosen.initSpeed != current.initSpeed) {
    s.initSpeedCombobox = chosen.initSpeed;
    m_store.SetInt(kParameterKey, "InitSpeedCombobox", s.initSpeedCombobox);
  }
  // Time stamps already given keep their time base; the new one applies from the next start.
  if (chosen.useGmt != current.useGmt) {
    m_store.SetInt(kParameterKey, "UseGMT", chosen.useGmt ? 1 : 0);
    doc.GetPrompt().Show(kMsgTimeBaseNextStart, {}, PromptKind::Information);
  }
}

std::int32_t SettingsCommands::StoredLanguage() const {
  return m_store.GetInt(kParameterKey, "Language").value_or(0);
}

void SettingsCommands::ApplyLanguage(CDORAzivazDoc& doc, std::int32_t chosen) {
  if (chosen == StoredLanguage()) return;
  m_store.SetInt(kParameterKey, "Language", chosen);
  doc.GetPrompt().Show(kMsgLanguageNextStart, {}, PromptKind::Information);
}
