// NameSpaceHolder: the owner of the name space's root, the devices node and the tag lock.
#pragma once

#include <memory>
#include <mutex>

class GroupNode;
class OpcDocument;

// Implemented by the OPC side (OpcServerCallback), which serves the name space to clients; the
// document builds the project under the root and hands client reads and writes to itself
// through SetDocument. The tag lock guards the name space and every item's value, quality and
// time stamp; it is re-entrant, taken after the device list lock and before the request
// queue, check queue and failed list locks.
class NameSpaceHolder {
 public:
  virtual GroupNode& Root() = 0;
  // The devices node of the main window's tree; not part of the name space. Null until set.
  virtual GroupNode* DevicesNode() const = 0;
  virtual void SetDevicesNode(std::unique_ptr<GroupNode> node) = 0;
  virtual std::recursive_mutex& GetTagLock() = 0;
  // The shape of the name space changed (a group or item came or went, a group was renamed):
  // clients' subscriptions check the items they watch against it.
  virtual void NameSpaceChanged() = 0;

  // Where client writes and device reads go; none until the document exists.
  virtual void SetDocument(OpcDocument* document) = 0;
  virtual OpcDocument* Document() const = 0;

 protected:
  ~NameSpaceHolder() = default;
};
