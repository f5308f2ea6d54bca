// UaValidateCertificate: chain building by OpenSSL, the further OPC UA checks by us.
#include "toolkit/opcua/ua_certificate_validation.h"

#include <openssl/x509v3.h>

#include <algorithm>

namespace {

struct ChainFree {
  void operator()(STACK_OF(X509) * s) const { sk_X509_pop_free(s, X509_free); }
};
using Chain = std::unique_ptr<STACK_OF(X509), ChainFree>;

UaCertificateCheck Refuse(UaStatusCode status, std::string reason) {
  return {status, std::move(reason)};
}

// OpenSSL's verification errors, collected instead of ending the verification at the first, so
// that they can be ranked as OPC UA ranks them.
int CollectErrors(int ok, X509_STORE_CTX* ctx) {
  if (ok) return 1;
  auto* errors = static_cast<std::vector<int>*>(X509_STORE_CTX_get_app_data(ctx));
  if (errors) errors->push_back(X509_STORE_CTX_get_error(ctx));
  return 1;
}

bool IsSelfSigned(X509* certificate) {
  return (X509_get_extension_flags(certificate) & EXFLAG_SS) != 0;
}

bool HasAny(const std::vector<int>& errors, std::initializer_list<int> codes) {
  return std::any_of(errors.begin(), errors.end(), [&](int e) {
    return std::find(codes.begin(), codes.end(), e) != codes.end();
  });
}

// The key and signature algorithm the security policies accept: RSA of 2048 to 4096 bits,
// signed with SHA-256 or better.
std::string PolicyProblem(X509* certificate) {
  EVP_PKEY* key = X509_get0_pubkey(certificate);
  int type = key ? EVP_PKEY_get_base_id(key) : NID_undef;
  if (type != EVP_PKEY_RSA && type != EVP_PKEY_RSA_PSS) return "the key is no RSA key";
  int bits = EVP_PKEY_get_bits(key);
  if (bits < 2048 || bits > 4096) {
    return "an RSA key of " + std::to_string(bits) + " bits (2048 to 4096 accepted)";
  }
  int digest = NID_undef;
  X509_get_signature_info(certificate, &digest, nullptr, nullptr, nullptr);
  if (digest == NID_sha1 || digest == NID_md5 || digest == NID_undef) {
    return "signed with a digest weaker than SHA-256";
  }
  return {};
}

std::string TimeProblem(X509* certificate) {
  if (X509_cmp_current_time(X509_get0_notBefore(certificate)) > 0) return "not valid yet";
  if (X509_cmp_current_time(X509_get0_notAfter(certificate)) < 0) return "expired";
  return {};
}

// An application certificate signs and carries keys; if it limits its extended use, a client
// use must be among them.
bool UsableByApplication(X509* certificate) {
  std::uint32_t flags = X509_get_extension_flags(certificate);
  if (flags & EXFLAG_KUSAGE) {
    std::uint32_t usage = X509_get_key_usage(certificate);
    if (!(usage & KU_DIGITAL_SIGNATURE) || !(usage & KU_KEY_ENCIPHERMENT)) return false;
  }
  if (flags & EXFLAG_XKUSAGE) {
    if (!(X509_get_extended_key_usage(certificate) & XKU_SSL_CLIENT)) return false;
  }
  return true;
}

bool UsableAsIssuer(X509* certificate) {
  if (X509_check_ca(certificate) < 1) return false;
  std::uint32_t flags = X509_get_extension_flags(certificate);
  return !(flags & EXFLAG_KUSAGE) || (X509_get_key_usage(certificate) & KU_KEY_CERT_SIGN);
}

// Good, revoked or unknown for `certificate` issued by `issuer`: a CRL of that issuer, signed by
// it, must be there.
UaStatusCode RevocationOf(X509* certificate, X509* issuer, const UaTrustList& trust, bool leaf) {
  bool found = false;
  for (const UaX509Crl& crl : trust.crls) {
    if (X509_NAME_cmp(X509_CRL_get_issuer(crl.get()), X509_get_subject_name(issuer)) != 0) {
      continue;
    }
    if (X509_CRL_verify(crl.get(), X509_get0_pubkey(issuer)) != 1) continue;
    found = true;
    X509_REVOKED* entry = nullptr;
    if (X509_CRL_get0_by_cert(crl.get(), &entry, certificate) == 1) {
      return leaf ? ua_status::BadCertificateRevoked : ua_status::BadCertificateIssuerRevoked;
    }
  }
  if (found) return ua_status::Good;
  return leaf ? ua_status::BadCertificateRevocationUnknown
              : ua_status::BadCertificateIssuerRevocationUnknown;
}

}  // namespace

UaCertificateCheck UaValidateCertificate(X509* certificate, const UaTrustList& trust,
                                         std::string_view applicationUri) {
  if (!certificate) return Refuse(ua_status::BadCertificateInvalid, "no certificate");
  std::unique_ptr<X509_STORE, UaSslFree> store(X509_STORE_new());
  for (const UaX509& c : trust.trusted) X509_STORE_add_cert(store.get(), c.get());
  Chain issuers(sk_X509_new_null());
  for (const UaX509& c : trust.issuers) {
    X509_up_ref(c.get());
    sk_X509_push(issuers.get(), c.get());
  }
  std::unique_ptr<X509_STORE_CTX, UaSslFree> ctx(X509_STORE_CTX_new());
  if (!store || !issuers || !ctx ||
      X509_STORE_CTX_init(ctx.get(), store.get(), certificate, issuers.get()) != 1) {
    return Refuse(ua_status::BadInternalError, UaSslError("cannot set up the verification"));
  }
  // Times, key usages and revocation are checked below with OPC UA's status codes; a trusted
  // certificate needs no trusted root above it.
  X509_STORE_CTX_set_flags(ctx.get(), X509_V_FLAG_PARTIAL_CHAIN | X509_V_FLAG_CHECK_SS_SIGNATURE |
                                          X509_V_FLAG_NO_CHECK_TIME);
  std::vector<int> errors;
  X509_STORE_CTX_set_app_data(ctx.get(), &errors);
  X509_STORE_CTX_set_verify_cb(ctx.get(), CollectErrors);
  if (X509_verify_cert(ctx.get()) < 0) {
    return Refuse(ua_status::BadCertificateInvalid, UaSslError("the certificate is unreadable"));
  }
  Chain chain(X509_STORE_CTX_get1_chain(ctx.get()));
  int depth = chain ? sk_X509_num(chain.get()) : 0;
  if (depth == 0) return Refuse(ua_status::BadCertificateInvalid, "no chain could be built");

  if (HasAny(errors, {X509_V_ERR_CERT_SIGNATURE_FAILURE, X509_V_ERR_CRL_SIGNATURE_FAILURE,
                      X509_V_ERR_UNABLE_TO_DECODE_ISSUER_PUBLIC_KEY,
                      X509_V_ERR_UNABLE_TO_DECRYPT_CERT_SIGNATURE})) {
    return Refuse(ua_status::BadCertificateInvalid, "a signature in the chain does not verify");
  }
  bool untrusted =
      HasAny(errors, {X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT, X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN,
                      X509_V_ERR_CERT_UNTRUSTED, X509_V_ERR_CERT_REJECTED});
  if (!untrusted && HasAny(errors, {X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT,
                                    X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY,
                                    X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE})) {
    return Refuse(ua_status::BadCertificateChainIncomplete, "the issuer is not known");
  }
  if (std::string problem = PolicyProblem(certificate); !problem.empty()) {
    return Refuse(ua_status::BadCertificatePolicyCheckFailed, problem);
  }
  if (untrusted) return Refuse(ua_status::BadCertificateUntrusted, "not trusted");
  if (!errors.empty()) {
    return Refuse(ua_status::BadCertificateInvalid,
                  X509_verify_cert_error_string(static_cast<long>(errors.front())));
  }
  for (int i = 0; i < depth; ++i) {
    if (std::string problem = TimeProblem(sk_X509_value(chain.get(), i)); !problem.empty()) {
      return Refuse(i == 0 ? ua_status::BadCertificateTimeInvalid
                           : ua_status::BadCertificateIssuerTimeInvalid,
                    (i == 0 ? "the certificate is " : "an issuer is ") + problem);
    }
  }
  if (!applicationUri.empty()) {
    std::vector<std::string> uris = UaSubjectAltUris(certificate);
    if (std::find(uris.begin(), uris.end(), applicationUri) == uris.end()) {
      return Refuse(
          ua_status::BadCertificateUriInvalid,
          "the certificate does not name the application URI " + std::string(applicationUri));
    }
  }
  if (!UsableByApplication(certificate)) {
    return Refuse(ua_status::BadCertificateUseNotAllowed,
                  "its key usage does not allow an application's signatures and key transport");
  }
  for (int i = 1; i < depth; ++i) {
    if (!UsableAsIssuer(sk_X509_value(chain.get(), i))) {
      return Refuse(ua_status::BadCertificateIssuerUseNotAllowed, "an issuer is no CA");
    }
  }
  for (int i = 0; i < depth; ++i) {
    X509* current = sk_X509_value(chain.get(), i);
    if (IsSelfSigned(current) || i + 1 >= depth) break;
    UaStatusCode status = RevocationOf(current, sk_X509_value(chain.get(), i + 1), trust, i == 0);
    if (ua_status::IsBad(status)) {
      bool revoked = status == ua_status::BadCertificateRevoked ||
                     status == ua_status::BadCertificateIssuerRevoked;
      return Refuse(status, revoked ? "revoked by its issuer's CRL" : "its issuer has no CRL");
    }
  }
  return {};
}
