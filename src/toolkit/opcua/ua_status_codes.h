// OPC UA status codes used by the server.
#pragma once

#include <cstdint>

using UaStatusCode = std::uint32_t;

namespace ua_status {
constexpr UaStatusCode Good = 0x00000000;
constexpr UaStatusCode Uncertain = 0x40000000;
constexpr UaStatusCode UncertainLastUsableValue = 0x40900000;
constexpr UaStatusCode Bad = 0x80000000;
constexpr UaStatusCode BadUnexpectedError = 0x80010000;
constexpr UaStatusCode BadInternalError = 0x80020000;
constexpr UaStatusCode BadOutOfMemory = 0x80030000;
constexpr UaStatusCode BadResourceUnavailable = 0x80040000;
constexpr UaStatusCode BadEncodingError = 0x80060000;
constexpr UaStatusCode BadDecodingError = 0x80070000;
constexpr UaStatusCode BadEncodingLimitsExceeded = 0x80080000;
constexpr UaStatusCode BadRequestTooLarge = 0x80B80000;
constexpr UaStatusCode BadResponseTooLarge = 0x80B90000;
constexpr UaStatusCode BadTimeout = 0x800A0000;
constexpr UaStatusCode BadServiceUnsupported = 0x800B0000;
constexpr UaStatusCode BadShutdown = 0x800C0000;
constexpr UaStatusCode BadNothingToDo = 0x800F0000;
constexpr UaStatusCode BadTooManyOperations = 0x80100000;
constexpr UaStatusCode BadTooManyMonitoredItems = 0x80DB0000;
constexpr UaStatusCode BadCertificateInvalid = 0x80120000;
constexpr UaStatusCode BadSecurityChecksFailed = 0x80130000;
constexpr UaStatusCode BadCertificateTimeInvalid = 0x80140000;
constexpr UaStatusCode BadCertificateIssuerTimeInvalid = 0x80150000;
constexpr UaStatusCode BadCertificateUriInvalid = 0x80170000;
constexpr UaStatusCode BadCertificateUseNotAllowed = 0x80180000;
constexpr UaStatusCode BadCertificateIssuerUseNotAllowed = 0x80190000;
constexpr UaStatusCode BadCertificateUntrusted = 0x801A0000;
constexpr UaStatusCode BadCertificateRevocationUnknown = 0x801B0000;
constexpr UaStatusCode BadCertificateIssuerRevocationUnknown = 0x801C0000;
constexpr UaStatusCode BadCertificateRevoked = 0x801D0000;
constexpr UaStatusCode BadCertificateIssuerRevoked = 0x801E0000;
constexpr UaStatusCode BadCertificateChainIncomplete = 0x810D0000;
constexpr UaStatusCode BadCertificatePolicyCheckFailed = 0x81140000;
constexpr UaStatusCode BadNonceInvalid = 0x80240000;
constexpr UaStatusCode BadIdentityTokenInvalid = 0x80200000;
constexpr UaStatusCode BadIdentityTokenRejected = 0x80210000;
constexpr UaStatusCode BadSecureChannelIdInvalid = 0x80220000;
constexpr UaStatusCode BadApplicationSignatureInvalid = 0x80580000;
constexpr UaStatusCode BadSessionIdInvalid = 0x80250000;
constexpr UaStatusCode BadSessionClosed = 0x80260000;
constexpr UaStatusCode BadSessionNotActivated = 0x80270000;
constexpr UaStatusCode BadSubscriptionIdInvalid = 0x80280000;
constexpr UaStatusCode BadTimestampsToReturnInvalid = 0x802B0000;
constexpr UaStatusCode BadNodeIdInvalid = 0x80330000;
constexpr UaStatusCode BadNodeIdUnknown = 0x80340000;
constexpr UaStatusCode BadAttributeIdInvalid = 0x80350000;
constexpr UaStatusCode BadIndexRangeInvalid = 0x80360000;
constexpr UaStatusCode BadDataEncodingInvalid = 0x80380000;
constexpr UaStatusCode BadNotReadable = 0x803A0000;
constexpr UaStatusCode BadNotWritable = 0x803B0000;
constexpr UaStatusCode BadOutOfRange = 0x803C0000;
constexpr UaStatusCode BadNotSupported = 0x803D0000;
constexpr UaStatusCode BadMonitoringModeInvalid = 0x80410000;
constexpr UaStatusCode BadMonitoredItemIdInvalid = 0x80420000;
constexpr UaStatusCode BadMonitoredItemFilterUnsupported = 0x80440000;
constexpr UaStatusCode BadFilterNotAllowed = 0x80450000;
constexpr UaStatusCode BadContinuationPointInvalid = 0x804A0000;
constexpr UaStatusCode BadNoContinuationPoints = 0x804B0000;
constexpr UaStatusCode BadReferenceTypeIdInvalid = 0x804C0000;
constexpr UaStatusCode BadBrowseDirectionInvalid = 0x804D0000;
constexpr UaStatusCode BadSecurityModeRejected = 0x80540000;
constexpr UaStatusCode BadSecurityPolicyRejected = 0x80550000;
constexpr UaStatusCode BadTooManySessions = 0x80560000;
constexpr UaStatusCode BadBrowseNameInvalid = 0x80600000;
constexpr UaStatusCode BadNoMatch = 0x806F0000;
constexpr UaStatusCode BadMaxAgeInvalid = 0x80700000;
constexpr UaStatusCode BadTypeMismatch = 0x80740000;
constexpr UaStatusCode BadTooManySubscriptions = 0x80770000;
constexpr UaStatusCode BadTooManyPublishRequests = 0x80780000;
constexpr UaStatusCode BadNoSubscription = 0x80790000;
constexpr UaStatusCode BadSequenceNumberUnknown = 0x807A0000;
constexpr UaStatusCode BadMessageNotAvailable = 0x807B0000;
constexpr UaStatusCode BadTcpServerTooBusy = 0x807D0000;
constexpr UaStatusCode BadTcpMessageTypeInvalid = 0x807E0000;
constexpr UaStatusCode BadTcpSecureChannelUnknown = 0x807F0000;
constexpr UaStatusCode BadTcpMessageTooLarge = 0x80800000;
constexpr UaStatusCode BadTcpNotEnoughResources = 0x80810000;
constexpr UaStatusCode BadTcpInternalError = 0x80820000;
constexpr UaStatusCode BadTcpEndpointUrlInvalid = 0x80830000;
constexpr UaStatusCode BadRequestTypeInvalid = 0x80530000;
constexpr UaStatusCode BadSecureChannelTokenUnknown = 0x80870000;
constexpr UaStatusCode BadSequenceNumberInvalid = 0x80880000;
constexpr UaStatusCode BadProtocolVersionUnsupported = 0x80BE0000;
constexpr UaStatusCode BadInvalidArgument = 0x80AB0000;
constexpr UaStatusCode GoodSubscriptionTransferred = 0x002D0000;
constexpr UaStatusCode BadUserAccessDenied = 0x801F0000;
constexpr UaStatusCode BadViewIdUnknown = 0x806B0000;
constexpr UaStatusCode BadWriteNotSupported = 0x80730000;
constexpr UaStatusCode BadMethodInvalid = 0x80750000;
constexpr UaStatusCode BadArgumentsMissing = 0x80760000;
constexpr UaStatusCode BadTooManyArguments = 0x80E50000;
constexpr UaStatusCode BadDeadbandFilterInvalid = 0x808E0000;

constexpr bool IsBad(UaStatusCode code) {
  return (code & 0x80000000u) != 0;
}
}  // namespace ua_status
