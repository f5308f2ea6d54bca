// CDORAzivazDoc: opening and saving projects, and the save prompt before a project is replaced.
#include <optional>
#include <string>

#include "platform/prompt.h"
#include "project/document_strings.h"
#include "project/dorazivaz_doc.h"
#include "project/file_dialogs.h"
#include "project/file_text.h"
#include "project/group_node.h"
#include "project/project_file.h"

bool CDORAzivazDoc::OnOpenDocument(const std::string& path) {
  // Read before anything is cleared: a file that cannot be read leaves the open project, its
  // path and its flag alone, so that a later save does not write an empty project over it.
  const std::optional<std::string> text = ReadFileText(path);
  if (!text) {
    m_services.prompt.Show(kStrFailedToOpenDoc, path);
    return false;
  }
  // Loading into a project that could not be cleared would mix two projects.
  if (!DeleteContents()) return false;
  LoadProjectText(path, *text);
  m_pathName = path;
  SetModifiedFlag(false);
  return true;
}

bool CDORAzivazDoc::OnSaveDocument(const std::string& path) {
  if (!StoreProject(path)) {
    m_services.prompt.Show(kStrFailedToSaveDoc, path);
    return false;
  }
  m_pathName = path;
  SetModifiedFlag(false);
  return true;
}

bool CDORAzivazDoc::SaveModified() {
  if (!IsModified()) return true;
  const std::string title = m_pathName.empty() ? Root().m_name : m_pathName;
  switch (m_services.prompt.Ask(kStrAskToSave, title, PromptKind::Question,
                                PromptButtons::YesNoCancel)) {
    case PromptAnswer::Cancel:
      return false;
    case PromptAnswer::No:
      return true;
    default:
      break;
  }
  std::string path = m_pathName;
  if (path.empty()) {
    if (!m_services.fileDialogs) return false;
    FileDialogRequest request;
    request.filter = "Zelvox (*.zlv)|*.zlv|";
    request.defaultExtension = std::string(kProjectFileExtension.substr(1));
    request.defaultFileName = Root().m_name + std::string(kProjectFileExtension);
    request.mustExist = false;
    const auto chosen = m_services.fileDialogs->SaveFile(request);
    if (!chosen) return false;
    path = *chosen;
  }
  return OnSaveDocument(path);
}
