// UaCheckUserIdentity and the advertised user token policies.
#include "toolkit/opcua/ua_user_identity.h"

#include "toolkit/opcua/ua_binary_reader.h"
#include "toolkit/opcua/ua_node_ids.h"
#include "toolkit/opcua/ua_user_store.h"
#include "toolkit/opcua/ua_user_token.h"

namespace {

constexpr std::uint32_t kAnonymousTokenType = 0;
constexpr std::uint32_t kUserNameTokenType = 1;

UaIdentityCheck Refuse(UaStatusCode status, std::string reason) {
  return {status, {}, false, std::move(reason)};
}

UaIdentityCheck CheckAnonymous(const UaExtensionObject& token, const UaIdentityContext& ctx) {
  if (!token.typeId.IsNull()) {
    try {
      UaBinaryReader r(reinterpret_cast<const std::uint8_t*>(token.body.data()), token.body.size());
      std::string policyId = r.String();
      if (r.Remaining() != 0 || policyId != ua_user_policy::Anonymous) {
        return Refuse(ua_status::BadIdentityTokenInvalid, "anonymous token of another policy");
      }
    } catch (const UaDecodeError&) {
      return Refuse(ua_status::BadIdentityTokenInvalid, "malformed anonymous token");
    }
  }
  if (!ctx.security.allowAnonymous) {
    return Refuse(ua_status::BadIdentityTokenInvalid, "anonymous login is not allowed");
  }
  return {ua_status::Good, std::string(ua_user_policy::Anonymous), false, {}};
}

UaIdentityCheck CheckUserName(const UaExtensionObject& token, const UaIdentityContext& ctx) {
  if (!UaOffersUserNames(ctx.security)) {
    return Refuse(ua_status::BadIdentityTokenInvalid, "user name login is not offered");
  }
  auto decoded = UaDecodeUserNameToken(token.body);
  if (!decoded || decoded->policyId != ua_user_policy::UserName) {
    return Refuse(ua_status::BadIdentityTokenInvalid, "user name token of another policy");
  }
  std::string_view algorithm = UaUserTokenEncryptionOf(UaUserTokenPolicyFor(ctx.channelPolicyUri));
  auto password = UaDecryptUserPassword(*decoded, algorithm, ctx.security.certificate->key.get(),
                                        ctx.serverNonce);
  if (!password) {
    return Refuse(ua_status::BadIdentityTokenInvalid,
                  "the password is not encrypted with " + std::string(algorithm) +
                      " for the server's key and the session's nonce");
  }
  auto user = ctx.security.users->Authenticate(decoded->userName, *password);
  if (!user) {
    return Refuse(ua_status::BadUserAccessDenied,
                  "wrong user name or password for \"" + decoded->userName + "\"");
  }
  return {ua_status::Good, "user:" + user->name, user->readOnly, {}};
}

}  // namespace

bool UaOffersUserNames(const UaSecurityOptions& security) {
  return security.certificate && security.certificate->key && security.users;
}

std::string_view UaUserTokenPolicyFor(std::string_view channelPolicyUri) {
  if (channelPolicyUri.empty() || channelPolicyUri == ua_policy::None) {
    return ua_policy::Basic256Sha256;
  }
  return channelPolicyUri;
}

UaIdentityCheck UaCheckUserIdentity(const UaExtensionObject& token, const UaIdentityContext& ctx) {
  if (token.encoding == 0 && token.typeId.IsNull()) return CheckAnonymous(token, ctx);
  if (token.encoding == 1 && token.typeId.IsNumeric(0, ua_id::AnonymousIdentityToken)) {
    return CheckAnonymous(token, ctx);
  }
  if (token.encoding == 1 && token.typeId.IsNumeric(0, ua_id::UserNameIdentityToken)) {
    return CheckUserName(token, ctx);
  }
  return Refuse(ua_status::BadIdentityTokenInvalid, "an identity token of a kind not offered");
}

void UaWriteUserTokenPolicies(UaBinaryWriter& w, const UaSecurityOptions& security,
                              std::string_view endpointPolicyUri) {
  bool userNames = UaOffersUserNames(security);
  w.ArrayLength((security.allowAnonymous ? 1 : 0) + (userNames ? 1 : 0));
  if (security.allowAnonymous) {
    w.String(ua_user_policy::Anonymous);
    w.UInt32(kAnonymousTokenType);
    w.NullString();
    w.NullString();
    w.NullString();
  }
  if (userNames) {
    w.String(ua_user_policy::UserName);
    w.UInt32(kUserNameTokenType);
    w.NullString();
    w.NullString();
    // Under None the token names the policy its password is encrypted with; on a secured
    // channel it is the channel's.
    if (endpointPolicyUri == ua_policy::None) {
      w.String(ua_policy::Basic256Sha256);
    } else {
      w.NullString();
    }
  }
}
