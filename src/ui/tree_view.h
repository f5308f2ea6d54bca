// TreeView: the left pane: the project root, its main and middle groups and the devices node.
#pragma once

#include <QTreeWidget>
#include <memory>

class CDORAzivazDoc;
class CommandRouter;
class GroupNode;
class QMenu;

// Each node's entry is kept in GroupNode::m_treeItem; the entry carries the node back.
class TreeView : public QTreeWidget {
  Q_OBJECT

 public:
  TreeView(CommandRouter& router, QWidget* parent = nullptr);
  void SetDocument(CDORAzivazDoc* doc) { m_doc = doc; }

  // Deletes every entry (the nodes forget their entries).
  void ClearTree();
  void ShowRoot(GroupNode& root, GroupNode& devicesNode);
  void NodeAdded(GroupNode& node);
  void NodeRemoving(GroupNode& node);
  void RefreshName(GroupNode& node);
  // Overlay 1 while the node's untyped mark is set.
  void RefreshNodeMark(GroupNode& node);
  // Overlay 2 on the devices node while a device has failed.
  void ShowDevicesFailed(bool anyFailed);
  void ExpandRoot();

  GroupNode* SelectedNode() const;
  static GroupNode* NodeOf(const QTreeWidgetItem* entry);
  // The context menu of `node` (sub-menus 5, 4 or 2 of menu 142); null for none.
  std::unique_ptr<QMenu> ContextMenu(GroupNode& node);
  // Image and overlay of a node's entry, as shown.
  static int Image(const QTreeWidgetItem& entry);
  static int Overlay(const QTreeWidgetItem& entry);

 signals:
  // The selected node changed (null: none).
  void NodeSelected(GroupNode* node);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QTreeWidgetItem* Insert(GroupNode& node, QTreeWidgetItem* parent);
  void SetImage(QTreeWidgetItem& entry, int image, int overlay);

  CommandRouter& m_router;
  CDORAzivazDoc* m_doc = nullptr;
  QTreeWidgetItem* m_devicesEntry = nullptr;
};
