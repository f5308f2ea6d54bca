// CMainFrame: the undo stack of the project edits, the statistics dialog, and how the views
// follow the editing commands.
#include <QKeySequence>

#include "project/delete_commands.h"
#include "project/dorazivaz_doc.h"
#include "project/group_node.h"
#include "ui/list_view.h"
#include "ui/main_frame.h"
#include "ui/statistics_dialog.h"
#include "ui/tree_view.h"

void CMainFrame::AttachEditing(CDORAzivazDoc* doc) {
  m_undo.Clear();
  if (!doc) return;
  doc->SetEditSink([this](DocumentEditPtr edit) {
    m_undo.Push(std::move(edit));
    UpdateCommandStates();
  });
  doc->SetCommand(kCmdStatistics, [this] { ShowStatistics(); });
}

void CMainFrame::SetUndoShortcuts() {
  if (QAction* undo = Action(kCmdEditUndo)) undo->setShortcuts(QKeySequence::Undo);
  // Ctrl+Y as on the system's first desktop, and the desktop's own redo key.
  if (QAction* redo = Action(kCmdEditRedo)) {
    QList<QKeySequence> keys{QKeySequence(Qt::CTRL | Qt::Key_Y)};
    for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::Redo)) {
      if (!keys.contains(key)) keys.push_back(key);
    }
    redo->setShortcuts(keys);
  }
}

bool CMainFrame::UndoEdit(bool redo) {
  if (!m_doc) return false;
  return redo ? m_undo.Redo() : m_undo.Undo();
}

void CMainFrame::ShowStatistics() {
  StatisticsDialog dialog(Statistics(*m_doc), this);
  dialog.exec();
}

void CMainFrame::NodeChanged(GroupNode& node) {
  m_tree->RefreshName(node);
}

void CMainFrame::SelectNode(GroupNode& node) {
  if (auto* entry = static_cast<QTreeWidgetItem*>(node.m_treeItem)) m_tree->setCurrentItem(entry);
}

void CMainFrame::ItemRemoving(GroupItem& item) {
  m_list->ItemRemoving(item);
}

void CMainFrame::ItemChanged(GroupItem& item) {
  m_list->RefreshWholeRow(item);
  m_list->SortList();
}

std::vector<GroupItem*> CMainFrame::SelectedItems() {
  // With the tree in focus the selection that counts is the tree's node.
  if (m_tree->hasFocus()) return {};
  return m_list->SelectedItems();
}
