// The user identities the server accepts in ActivateSession (anonymous, user name and password)
// and the user token policies its endpoints advertise for them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "toolkit/opcua/ua_binary_writer.h"
#include "toolkit/opcua/ua_security_options.h"
#include "toolkit/opcua/ua_status_codes.h"
#include "toolkit/opcua/ua_types.h"

namespace ua_user_policy {
constexpr std::string_view Anonymous = "anonymous";
constexpr std::string_view UserName = "username";
}  // namespace ua_user_policy

struct UaIdentityCheck {
  UaStatusCode status = ua_status::Good;
  // "anonymous" or "user:" and the name: a session keeps the identity it was activated with.
  std::string identity;
  bool readOnly = false;
  // Why it was refused, for the server's log only: the client learns nothing beyond the code.
  std::string reason;
};

struct UaIdentityContext {
  const UaSecurityOptions& security;
  // The policy of the secure channel the session is activated on.
  std::string_view channelPolicyUri;
  // The nonce the server last gave the session (CreateSession or the previous activation).
  std::span<const std::uint8_t> serverNonce;
};

// Checks an ActivateSession's identity token: anonymous when allowed; a user name whose
// password, encrypted as its token policy says, decrypts with the server's key and the
// session's nonce and matches the users file. Wrong name or password: Bad_UserAccessDenied;
// a token that fits no offered policy or does not decrypt: Bad_IdentityTokenInvalid.
UaIdentityCheck UaCheckUserIdentity(const UaExtensionObject& token, const UaIdentityContext& ctx);

// Whether user name login is offered: it needs the server's key and a users file.
bool UaOffersUserNames(const UaSecurityOptions& security);
// The security policy that protects user name passwords on a channel of `channelPolicyUri`: the
// channel's own, and under None Basic256Sha256 (the password still travels encrypted).
std::string_view UaUserTokenPolicyFor(std::string_view channelPolicyUri);

// The UserTokenPolicy array of an endpoint with `endpointPolicyUri`.
void UaWriteUserTokenPolicies(UaBinaryWriter& w, const UaSecurityOptions& security,
                              std::string_view endpointPolicyUri);
