// UaServiceHandler: the table of served services and the dispatch that checks a request's
// session before its body is decoded, so that a client without a session makes the server
// allocate nothing for what it sends.
#include <cstdio>
#include <new>

#include "platform/log.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_service_handler.h"

namespace {
std::string StatusText(UaStatusCode status) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", status);
  return text;
}
}  // namespace

template <typename Request,
          void (UaServiceHandler::*Handler)(UaServiceHandler::Context&, const Request&)>
void UaServiceHandler::Serve(Context& ctx, UaBinaryReader& r) {
  Request request;
  DecodeWhole(r, request);
  (this->*Handler)(ctx, request);
}

void UaServiceHandler::ServeRead(Context& ctx, UaBinaryReader& r) {
  DecodeWhole(r, m_readRequest);
  Read(ctx, m_readRequest);
}

using H = UaServiceHandler;
const UaServiceHandler::Service UaServiceHandler::kServices[] = {
    {ua_id::GetEndpointsRequest, SessionNeed::None,
     &H::Serve<UaGetEndpointsRequest, &H::GetEndpoints>},
    {ua_id::FindServersRequest, SessionNeed::None,
     &H::Serve<UaFindServersRequest, &H::FindServers>},
    {ua_id::CreateSessionRequest, SessionNeed::None,
     &H::Serve<UaCreateSessionRequest, &H::CreateSession>},
    {ua_id::ActivateSessionRequest, SessionNeed::Created,
     &H::Serve<UaActivateSessionRequest, &H::ActivateSession>},
    {ua_id::CloseSessionRequest, SessionNeed::Created,
     &H::Serve<UaCloseSessionRequest, &H::CloseSessionService>},
    {ua_id::BrowseRequest, SessionNeed::Activated, &H::Serve<UaBrowseRequest, &H::Browse>},
    {ua_id::BrowseNextRequest, SessionNeed::Activated,
     &H::Serve<UaBrowseNextRequest, &H::BrowseNext>},
    {ua_id::TranslateBrowsePathsRequest, SessionNeed::Activated,
     &H::Serve<UaTranslateBrowsePathsRequest, &H::TranslateBrowsePaths>},
    {ua_id::RegisterNodesRequest, SessionNeed::Activated,
     &H::Serve<UaNodesRequest, &H::RegisterNodes>},
    {ua_id::UnregisterNodesRequest, SessionNeed::Activated,
     &H::Serve<UaNodesRequest, &H::UnregisterNodes>},
    {ua_id::ReadRequest, SessionNeed::Activated, &H::ServeRead},
    {ua_id::WriteRequest, SessionNeed::Activated, &H::Serve<UaWriteRequest, &H::Write>},
    {ua_id::CreateSubscriptionRequest, SessionNeed::Activated,
     &H::Serve<UaCreateSubscriptionRequest, &H::CreateSubscription>},
    {ua_id::ModifySubscriptionRequest, SessionNeed::Activated,
     &H::Serve<UaModifySubscriptionRequest, &H::ModifySubscription>},
    {ua_id::SetPublishingModeRequest, SessionNeed::Activated,
     &H::Serve<UaSetPublishingModeRequest, &H::SetPublishingMode>},
    {ua_id::DeleteSubscriptionsRequest, SessionNeed::Activated,
     &H::Serve<UaDeleteSubscriptionsRequest, &H::DeleteSubscriptions>},
    {ua_id::CreateMonitoredItemsRequest, SessionNeed::Activated,
     &H::Serve<UaCreateMonitoredItemsRequest, &H::CreateMonitoredItems>},
    {ua_id::ModifyMonitoredItemsRequest, SessionNeed::Activated,
     &H::Serve<UaModifyMonitoredItemsRequest, &H::ModifyMonitoredItems>},
    {ua_id::SetMonitoringModeRequest, SessionNeed::Activated,
     &H::Serve<UaSetMonitoringModeRequest, &H::SetMonitoringMode>},
    {ua_id::DeleteMonitoredItemsRequest, SessionNeed::Activated,
     &H::Serve<UaDeleteMonitoredItemsRequest, &H::DeleteMonitoredItems>},
    {ua_id::PublishRequest, SessionNeed::Activated, &H::Serve<UaPublishRequest, &H::Publish>},
    {ua_id::RepublishRequest, SessionNeed::Activated, &H::Serve<UaRepublishRequest, &H::Republish>},
    {ua_id::SetTriggeringRequest, SessionNeed::Activated,
     &H::Serve<UaSetTriggeringRequest, &H::SetTriggering>},
    {ua_id::TransferSubscriptionsRequest, SessionNeed::Activated,
     &H::Serve<UaTransferSubscriptionsRequest, &H::TransferSubscriptions>},
    {ua_id::CallRequest, SessionNeed::Activated, &H::Serve<UaCallRequest, &H::Call>},
};

void UaServiceHandler::OnServiceRequest(UaConnection& connection, std::uint32_t requestId,
                                        UaBinaryReader& r) {
  UaDecodeLimits limits;
  limits.maxStringLength = m_options.maxStringLength;
  limits.maxArrayLength = m_options.maxArrayLength;
  limits.maxOperations = m_options.maxNodesPerRequest;
  r.SetLimits(limits);
  std::uint32_t type = 0;
  UaRequestHeader header;
  try {
    UaNodeId typeId = r.NodeId();
    if (typeId.ns != 0 || typeId.kind != UaNodeId::Kind::Numeric) throw UaDecodeError{};
    type = typeId.numeric;
    header = ReadRequestHeader(r);
  } catch (const UaDecodeError& e) {
    m_refusalLog.Log(LogLevel::Warning, "OPC UA: malformed request header on connection " +
                                            std::to_string(connection.Id()) + " refused");
    connection.SendResponse(requestId, 0, MakeServiceFault(0, e.status));
    return;
  }
  Context ctx{connection, requestId, std::move(header), m_options.Now()};
  try {
    Dispatch(ctx, type, r);
  } catch (const UaDecodeError& e) {
    if (e.status != ua_status::BadDecodingError) {
      m_refusalLog.Log(LogLevel::Warning, "OPC UA: request of type " + std::to_string(type) +
                                              " over a limit refused with status " +
                                              StatusText(e.status));
    }
    Fault(ctx, e.status);
  } catch (const std::bad_alloc&) {
    m_refusalLog.Log(LogLevel::Error,
                     "OPC UA: out of memory serving a request of type " + std::to_string(type));
    Fault(ctx, ua_status::BadOutOfMemory);
  }
}

void UaServiceHandler::Dispatch(Context& ctx, std::uint32_t type, UaBinaryReader& r) {
  for (const Service& service : kServices) {
    if (service.requestType != type) continue;
    if (service.session != SessionNeed::None) {
      ctx.session = SessionFor(ctx, service.session == SessionNeed::Activated);
      if (ctx.session == nullptr) return;
    }
    return (this->*service.serve)(ctx, r);
  }
  Fault(ctx, ua_status::BadServiceUnsupported);
}
