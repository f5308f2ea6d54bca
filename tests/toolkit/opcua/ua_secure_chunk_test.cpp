// Chunk security against known vectors: derived keys, a signed and an encrypted chunk built by
// hand, and asymmetric chunks of every policy and key size with tampering detected.
#include <gtest/gtest.h>

#include "toolkit/opcua/ua_binary_writer.h"
#include "toolkit/opcua/ua_secure_chunk.h"
#include "ua_test_certificates.h"

namespace {
std::string Hex(const std::uint8_t* data, std::size_t size) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (std::size_t k = 0; k < size; ++k) {
    out += digits[data[k] >> 4];
    out += digits[data[k] & 15];
  }
  return out;
}
std::string Hex(const std::string& s) {
  return Hex(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}
std::string Hex(const std::vector<std::uint8_t>& v) {
  return Hex(v.data(), v.size());
}

std::string Nonce(int first) {
  std::string n;
  for (int k = 0; k < 32; ++k) n += static_cast<char>(first + k);
  return n;
}

// A MSG chunk as the server writes it before securing: channel 5, token 1, sequence number 51,
// request 7.
std::vector<std::uint8_t> HandBuiltChunk(const std::string& body) {
  std::vector<std::uint8_t> m;
  UaBinaryWriter w(m);
  w.Raw("MSGF", 4);
  w.UInt32(static_cast<std::uint32_t>(24 + body.size()));
  w.UInt32(5);
  w.UInt32(1);
  w.UInt32(51);
  w.UInt32(7);
  w.Raw(body.data(), body.size());
  return m;
}

struct KnownVector {
  std::string_view policy;
  const char* clientSigning;
  const char* clientEncrypting;
  const char* clientIv;
  const char* serverSigning;
  const char* serverEncrypting;
  const char* serverIv;
  const char* signedChunk;
  const char* encryptedChunk;
};

// Computed with node-opcua's key derivation and Node's HMAC and AES for client nonce 00..1f and
// server nonce 20..3f, and the chunk above with the body "hello, secure world".
const KnownVector kVectors[] = {
    {ua_policy::Basic256Sha256, "dd585db0c102dd1a4c1ed4dd195606dec3f7a1c789afca78f9479ed3a5d668af",
     "ce49cb8f1c65a827f412c48e71c9f9cb3b5c2ee2fc2e4b3bd46d4098b5e45475",
     "a77832c6215b6e7ab85f2e668be7aeff",
     "b72593c43fee5fafa0256cd6bb904ff40c066a225db95f66dd744e20858a2220",
     "ddf75067e3d76ac714c08e24eabd85ff425d7f5fb25e6e083b94b174e29db89b",
     "c513e9172274d5ed54e52a3552901ae0",
     "4d5347464b0000000500000001000000330000000700000068656c6c6f2c2073656375726520776f726c645e33"
     "9847677de20883c5244ad993c4f88305ae8fec8a4b42eaee97edfe220c13",
     "4d534746500000000500000001000000dbd7866c5b39b74611f4043f6f106bafeff3f3b2c10d971d8a8f1a2465"
     "260a0d9cefe69459829f3def2dd820bbb4c6c8f10e6e3a22324ce1a7cfd041530b94d5"},
    {ua_policy::Aes128Sha256RsaOaep,
     "dd585db0c102dd1a4c1ed4dd195606dec3f7a1c789afca78f9479ed3a5d668af",
     "ce49cb8f1c65a827f412c48e71c9f9cb", "3b5c2ee2fc2e4b3bd46d4098b5e45475",
     "b72593c43fee5fafa0256cd6bb904ff40c066a225db95f66dd744e20858a2220",
     "ddf75067e3d76ac714c08e24eabd85ff", "425d7f5fb25e6e083b94b174e29db89b",
     "4d5347464b0000000500000001000000330000000700000068656c6c6f2c2073656375726520776f726c645e33"
     "9847677de20883c5244ad993c4f88305ae8fec8a4b42eaee97edfe220c13",
     "4d5347465000000005000000010000006b65c95d7c74898c6c7ea1b49c6859c486fcd057ddea277a456b05516a"
     "206b0560b90719a40bde1a42e5c0e1ac4d78b9ec5a33811c60107fb0dbdcb2b34cb90b"},
};
}  // namespace

TEST(UaSecureChunk, DerivedKeysAndHandBuiltChunksMatchKnownVectors) {
  const std::string body = "hello, secure world";
  for (const KnownVector& v : kVectors) {
    SCOPED_TRACE(v.policy);
    const UaSecurityPolicy& policy = *FindSecurityPolicy(v.policy);
    UaChannelKeys keys = DeriveChannelKeys(policy, Nonce(0), Nonce(32));
    EXPECT_EQ(Hex(keys.client.signingKey), v.clientSigning);
    EXPECT_EQ(Hex(keys.client.encryptingKey), v.clientEncrypting);
    EXPECT_EQ(Hex(keys.client.iv), v.clientIv);
    EXPECT_EQ(Hex(keys.server.signingKey), v.serverSigning);
    EXPECT_EQ(Hex(keys.server.encryptingKey), v.serverEncrypting);
    EXPECT_EQ(Hex(keys.server.iv), v.serverIv);

    for (UaSecurityMode mode : {UaSecurityMode::Sign, UaSecurityMode::SignAndEncrypt}) {
      std::vector<std::uint8_t> chunk = HandBuiltChunk(body);
      ASSERT_TRUE(SealSymmetricChunk(policy, mode, keys.server, chunk, 0));
      EXPECT_EQ(Hex(chunk), mode == UaSecurityMode::Sign ? v.signedChunk : v.encryptedChunk);
      // The receiver gets the body back, and with the other side's keys nothing.
      std::vector<std::uint8_t> copy = chunk;
      std::size_t end = 0;
      ASSERT_EQ(OpenSymmetricChunk(policy, mode, keys.server, chunk.data(), chunk.size(), &end),
                ua_status::Good);
      EXPECT_EQ(std::string(chunk.begin() + 24, chunk.begin() + static_cast<long>(end)), body);
      EXPECT_EQ(OpenSymmetricChunk(policy, mode, keys.client, copy.data(), copy.size(), &end),
                ua_status::BadSecurityChecksFailed);
    }
  }
}

TEST(UaSecureChunk, SymmetricChunksFillTheBufferAndRejectEveryFlippedBit) {
  const UaSecurityPolicy& policy = *FindSecurityPolicy(ua_policy::Aes256Sha256RsaPss);
  UaChannelKeys keys = DeriveChannelKeys(policy, Nonce(1), Nonce(2));
  for (UaSecurityMode mode : {UaSecurityMode::Sign, UaSecurityMode::SignAndEncrypt}) {
    // The largest body a chunk holds gives a chunk of at most the buffer size.
    std::size_t maxBody = SymmetricMaxBody(mode, 8192);
    std::vector<std::uint8_t> full = HandBuiltChunk(std::string(maxBody, 'x'));
    ASSERT_TRUE(SealSymmetricChunk(policy, mode, keys.client, full, 0));
    EXPECT_LE(full.size(), 8192u);
    EXPECT_GT(full.size(), 8192u - 16 - 1);
    // Every byte after the header matters: a changed bit anywhere is refused.
    std::vector<std::uint8_t> sealed = HandBuiltChunk("0123456789abcdefghij");
    ASSERT_TRUE(SealSymmetricChunk(policy, mode, keys.client, sealed, 0));
    for (std::size_t k = 0; k < sealed.size(); ++k) {
      std::vector<std::uint8_t> tampered = sealed;
      tampered[k] ^= 0x10;
      std::size_t end = 0;
      EXPECT_EQ(
          OpenSymmetricChunk(policy, mode, keys.client, tampered.data(), tampered.size(), &end),
          ua_status::BadSecurityChecksFailed)
          << "byte " << k;
    }
    // A chunk cut short or of a length that is no whole number of blocks.
    std::size_t end = 0;
    EXPECT_EQ(OpenSymmetricChunk(policy, mode, keys.client, sealed.data(), 20, &end),
              ua_status::BadSecurityChecksFailed);
  }
}

TEST(UaSecureChunk, AsymmetricChunksOfEveryPolicyAndKeySizeRoundTrip) {
  const UaApplicationCertificate& small = SharedTestCertificate(2048, "urn:test:client");
  const UaApplicationCertificate& large = SharedTestCertificate(4096, "urn:test:server");
  UaRsaKey smallPrivate = UaRsaKey::FromKey(small.key);
  UaRsaKey smallPublic = UaRsaKey::FromCertificate(DerString(small));
  UaRsaKey largePrivate = UaRsaKey::FromKey(large.key);
  UaRsaKey largePublic = UaRsaKey::FromCertificate(DerString(large));
  ASSERT_TRUE(smallPrivate.Matches(smallPublic));
  ASSERT_FALSE(smallPrivate.Matches(largePublic));
  struct Pair {
    const UaRsaKey& senderPrivate;
    const UaRsaKey& senderPublic;
    const UaRsaKey& receiverPrivate;
    const UaRsaKey& receiverPublic;
  };
  // A 4096-bit receiver needs the extra padding byte; a 2048-bit one must not get it.
  const Pair pairs[] = {{smallPrivate, smallPublic, largePrivate, largePublic},
                        {largePrivate, largePublic, smallPrivate, smallPublic}};
  for (const UaSecurityPolicy* policy : SecuredPolicies()) {
    for (const Pair& p : pairs) {
      SCOPED_TRACE(std::string(policy->uri) + " to a key of " +
                   std::to_string(p.receiverPublic.Size() * 8) + " bits");
      // Header and a security header of 20 bytes, then sequence header and a body whose size
      // is prime so that padding is always needed.
      for (std::size_t bodySize : {0u, 1u, 211u, 997u}) {
        std::vector<std::uint8_t> chunk(32 + 8 + bodySize, 0x5A);
        chunk[0] = 'O';
        const std::size_t securedFrom = 32;
        ASSERT_TRUE(
            SealAsymmetricChunk(*policy, p.senderPrivate, p.receiverPublic, chunk, 0, securedFrom));
        EXPECT_EQ((chunk.size() - securedFrom) % p.receiverPublic.Size(), 0u);
        std::vector<std::uint8_t> plain;
        ASSERT_EQ(OpenAsymmetricChunk(*policy, p.receiverPrivate, p.senderPublic, chunk.data(),
                                      chunk.size(), securedFrom, plain),
                  ua_status::Good);
        ASSERT_EQ(plain.size(), 32 + 8 + bodySize);
        EXPECT_EQ(plain.back(), 0x5A);
        // The size in the header is the sent one and is signed: changing it is noticed, as is
        // a flipped bit in the encrypted part or a signature by another key.
        std::vector<std::uint8_t> tampered = chunk;
        tampered[4] ^= 1;
        EXPECT_EQ(OpenAsymmetricChunk(*policy, p.receiverPrivate, p.senderPublic, tampered.data(),
                                      tampered.size(), securedFrom, plain),
                  ua_status::BadSecurityChecksFailed);
        tampered = chunk;
        tampered[tampered.size() - 3] ^= 0x80;
        EXPECT_EQ(OpenAsymmetricChunk(*policy, p.receiverPrivate, p.senderPublic, tampered.data(),
                                      tampered.size(), securedFrom, plain),
                  ua_status::BadSecurityChecksFailed);
        EXPECT_EQ(OpenAsymmetricChunk(*policy, p.receiverPrivate, p.receiverPublic, chunk.data(),
                                      chunk.size(), securedFrom, plain),
                  ua_status::BadSecurityChecksFailed);
      }
    }
  }
}
