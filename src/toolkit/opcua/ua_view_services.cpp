// UaServiceHandler: Browse, BrowseNext and TranslateBrowsePathsToNodeIds.
#include <algorithm>

#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_service_handler.h"

namespace {
constexpr std::size_t kMaxContinuationPoints = 16;

bool ReferenceMatches(const UaReference& ref, const UaNodeId& type, bool includeSubtypes) {
  if (type.IsNull()) return true;
  if (type.ns != 0 || type.kind != UaNodeId::Kind::Numeric) return false;
  return includeSubtypes ? UaAddressSpace::IsSubtypeOf(ref.referenceType, type.numeric)
                         : ref.referenceType == type.numeric;
}
}  // namespace

void UaServiceHandler::WriteReferenceDescription(UaBinaryWriter& w, const UaReference& ref,
                                                 std::uint32_t mask) {
  w.NodeId(UaNodeId::Numeric(0, ref.referenceType));
  w.Boolean(ref.isForward);
  w.ExpandedNodeId(ref.target);
  std::optional<UaNodeInfo> info;
  if ((mask & 0x3C) != 0) info = m_space.Describe(ref.target, (mask & 0x10) != 0);
  if (!info) {
    info.emplace();
    info->nodeClass = UaNodeClass::Unspecified;
  }
  w.QualifiedName(info->browseName);
  w.LocalizedText(info->displayName);
  w.Int32(static_cast<std::int32_t>(info->nodeClass));
  w.ExpandedNodeId(info->typeDefinition == 0 ? UaNodeId{}
                                             : UaNodeId::Numeric(0, info->typeDefinition));
}

void UaServiceHandler::WriteBrowseResult(UaBinaryWriter& w, UaSession& session,
                                         UaBrowseContinuation&& refs) {
  std::size_t remaining = refs.references.size() - refs.next;
  std::size_t count = remaining;
  if (refs.maxReferences != 0) count = std::min<std::size_t>(count, refs.maxReferences);
  UaStatusCode status = ua_status::Good;
  std::string point;
  if (count < remaining) {
    if (session.continuations.size() >= kMaxContinuationPoints) {
      status = ua_status::BadNoContinuationPoints;
      count = 0;
    } else {
      point = std::to_string(session.nextContinuation++);
    }
  }
  w.UInt32(status);
  w.ByteString(point);
  w.ArrayLength(count);
  for (std::size_t k = 0; k < count; ++k) {
    WriteReferenceDescription(w, refs.references[refs.next + k], refs.resultMask);
  }
  if (!point.empty()) {
    refs.next += count;
    session.continuations[point] = std::move(refs);
  }
}

void UaServiceHandler::Browse(Context& ctx, const UaBrowseRequest& req) {
  UaSession* session = ctx.session;
  if (!CheckOperationCount(ctx, req.nodes.size())) return;
  // The whole address space is the only view.
  if (!req.view.IsNull()) return Fault(ctx, ua_status::BadViewIdUnknown);
  // A node's references come in parts of at most the server's limit, the rest by BrowseNext.
  std::uint32_t maxReferences = m_options.maxReferencesPerNode;
  if (req.maxReferences != 0) maxReferences = std::min(maxReferences, req.maxReferences);

  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::BrowseResponse);
  w.ArrayLength(req.nodes.size());
  for (const UaBrowseDescription& d : req.nodes) {
    UaBrowseContinuation refs;
    refs.maxReferences = maxReferences;
    refs.resultMask = d.resultMask;
    UaStatusCode status = ua_status::Good;
    std::vector<UaReference> all;
    if (d.direction > 2) {
      status = ua_status::BadBrowseDirectionInvalid;
    } else if (!d.referenceType.IsNull() &&
               (d.referenceType.ns != 0 || d.referenceType.kind != UaNodeId::Kind::Numeric ||
                !UaAddressSpace::IsSubtypeOf(d.referenceType.numeric, ua_id::References))) {
      status = ua_status::BadReferenceTypeIdInvalid;
    } else if (!m_space.References(d.nodeId, all)) {
      status = ua_status::BadNodeIdUnknown;
    }
    if (status != ua_status::Good) {
      w.UInt32(status);
      w.NullString();
      w.ArrayLength(0);
      continue;
    }
    for (UaReference& ref : all) {
      if (d.direction == 0 && !ref.isForward) continue;
      if (d.direction == 1 && ref.isForward) continue;
      if (!ReferenceMatches(ref, d.referenceType, d.includeSubtypes)) continue;
      if (d.nodeClassMask != 0) {
        auto info = m_space.Describe(ref.target, false);
        std::uint32_t cls = info ? static_cast<std::uint32_t>(info->nodeClass) : 0;
        if ((cls & d.nodeClassMask) == 0) continue;
      }
      refs.references.push_back(std::move(ref));
    }
    WriteBrowseResult(w, *session, std::move(refs));
  }
  w.ArrayLength(0);
  Respond(ctx, out);
}

void UaServiceHandler::BrowseNext(Context& ctx, const UaBrowseNextRequest& req) {
  UaSession* session = ctx.session;
  if (!CheckOperationCount(ctx, req.continuationPoints.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::BrowseNextResponse);
  w.ArrayLength(req.continuationPoints.size());
  for (const std::string& p : req.continuationPoints) {
    auto it = session->continuations.find(p);
    if (it == session->continuations.end()) {
      w.UInt32(ua_status::BadContinuationPointInvalid);
      w.NullString();
      w.ArrayLength(0);
      continue;
    }
    UaBrowseContinuation refs = std::move(it->second);
    session->continuations.erase(it);
    if (req.release) {
      w.UInt32(ua_status::Good);
      w.NullString();
      w.ArrayLength(0);
      continue;
    }
    WriteBrowseResult(w, *session, std::move(refs));
  }
  w.ArrayLength(0);
  Respond(ctx, out);
}

void UaServiceHandler::TranslateBrowsePaths(Context& ctx,
                                            const UaTranslateBrowsePathsRequest& req) {
  if (!CheckOperationCount(ctx, req.paths.size())) return;
  Out out;
  UaBinaryWriter w = BeginResponse(out, ctx, ua_id::TranslateBrowsePathsResponse);
  w.ArrayLength(req.paths.size());
  for (const UaBrowsePath& p : req.paths) {
    std::vector<UaNodeId> current{p.start};
    UaStatusCode status = ua_status::Good;
    std::vector<UaReference> refs;
    if (p.elements.empty()) status = ua_status::BadNothingToDo;
    // Each element costs a walk over the references of every node reached so far.
    if (p.elements.size() > m_options.maxBrowsePathElements) {
      status = ua_status::BadTooManyOperations;
    }
    if (status == ua_status::Good && !m_space.References(p.start, refs)) {
      status = ua_status::BadNodeIdUnknown;
    }
    for (const UaRelativePathElement& e : p.elements) {
      if (status != ua_status::Good) break;
      if (e.target.name.empty()) {
        status = ua_status::BadBrowseNameInvalid;
        break;
      }
      std::vector<UaNodeId> next;
      for (const UaNodeId& node : current) {
        refs.clear();
        m_space.References(node, refs);
        for (const UaReference& ref : refs) {
          if (ref.isForward == e.isInverse) continue;
          if (!ReferenceMatches(ref, e.referenceType, e.includeSubtypes)) continue;
          auto info = m_space.Describe(ref.target, false);
          if (!info || !(info->browseName == e.target)) continue;
          if (std::find(next.begin(), next.end(), ref.target) == next.end()) {
            next.push_back(ref.target);
          }
        }
      }
      current = std::move(next);
      if (current.empty()) status = ua_status::BadNoMatch;
    }
    w.UInt32(status);
    if (status != ua_status::Good) {
      w.ArrayLength(0);
      continue;
    }
    w.ArrayLength(current.size());
    for (const UaNodeId& target : current) {
      w.ExpandedNodeId(target);
      w.UInt32(0xFFFFFFFFu);  // the whole path was followed
    }
  }
  w.ArrayLength(0);
  Respond(ctx, out);
}
