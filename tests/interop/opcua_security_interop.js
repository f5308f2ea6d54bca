// Interop of the secure channel with node-opcua as the client against the OPC UA test host:
// endpoints, every policy and mode, an untrusted client certificate refused and then accepted
// once trusted, and token renewal under SignAndEncrypt during a subscription.
// Usage: node opcua_security_interop.js <host-binary>
"use strict";
const fs = require("fs");
const os = require("os");
const path = require("path");
const assert = require("assert");
const {
  AttributeIds, DataType, MessageSecurityMode, SecurityPolicy,
} = require("node-opcua-client");
const { OPCUACertificateManager } = require("node-opcua-certificate-manager");
const {
  makeClient: makeClientWith, Scenarios, sleep, subscribeValue, startHost,
} = require("./interop_client");

const hostBinary = process.argv[2];
const tmp = fs.mkdtempSync(path.join(os.tmpdir(), "zelvox-uasec-"));
const hostFolder = path.join(tmp, "host");
const certificateManager = new OPCUACertificateManager({
  rootFolder: path.join(tmp, "pki"), automaticallyAcceptUnknownCertificate: true,
});
const makeClient = (extra) => makeClientWith(certificateManager, extra);
const scenarios = new Scenarios();
const scenario = (name, fn) => scenarios.run(name, fn);

// The DER of the client's own certificate, which node-opcua made at its first connection.
function clientCertificateDer() {
  const pem = fs.readFileSync(path.join(tmp, "pki", "own", "certs", "client_certificate.pem"), "utf8");
  const base64 = /-----BEGIN CERTIFICATE-----([\s\S]*?)-----END CERTIFICATE-----/.exec(pem)[1];
  return Buffer.from(base64.replace(/\s+/g, ""), "base64");
}

const item = (id) => `ns=1;s=${id}`;
const policies = [
  ["Basic256Sha256", SecurityPolicy.Basic256Sha256],
  ["Aes128_Sha256_RsaOaep", SecurityPolicy.Aes128_Sha256_RsaOaep],
  ["Aes256_Sha256_RsaPss", SecurityPolicy.Aes256_Sha256_RsaPss],
];
const modes = [["Sign", MessageSecurityMode.Sign], ["SignAndEncrypt", MessageSecurityMode.SignAndEncrypt]];

async function readWithSecurity(endpoint, securityPolicy, securityMode, extra = {}) {
  const client = makeClient({ securityPolicy, securityMode, ...extra });
  try {
    await client.connect(endpoint);
    const session = await client.createSession();
    const dv = await session.read({ nodeId: item("Lights.First floor.1/1/1"), attributeId: AttributeIds.Value });
    await session.close();
    return dv;
  } finally {
    await client.disconnect();
  }
}

(async () => {
  const host = await startHost(hostBinary, ["0", hostFolder]);
  const endpoint = `opc.tcp://127.0.0.1:${host.port}`;

  await scenario("endpoints: None and each policy in Sign and SignAndEncrypt, with the certificate", async () => {
    const client = makeClient();
    await client.connect(endpoint);
    const endpoints = await client.getEndpoints();
    await client.disconnect();
    const names = endpoints.map((e) => `${e.securityPolicyUri.split("#")[1]}/${MessageSecurityMode[e.securityMode]}`);
    assert.deepStrictEqual(names.sort(), ["Aes128_Sha256_RsaOaep/Sign", "Aes128_Sha256_RsaOaep/SignAndEncrypt",
      "Aes256_Sha256_RsaPss/Sign", "Aes256_Sha256_RsaPss/SignAndEncrypt", "Basic256Sha256/Sign",
      "Basic256Sha256/SignAndEncrypt", "None/None"]);
    const serverDer = fs.readFileSync(path.join(hostFolder, "server.der"));
    for (const e of endpoints) {
      assert.ok(Buffer.compare(e.serverCertificate, serverDer) === 0, "certificate of " + e.securityPolicyUri);
    }
    const level = (p, m) => endpoints.find((e) => e.securityPolicyUri.endsWith(p) && e.securityMode === m).securityLevel;
    assert.ok(level("#Aes256_Sha256_RsaPss", MessageSecurityMode.SignAndEncrypt) >
      level("#Aes256_Sha256_RsaPss", MessageSecurityMode.Sign));
    assert.ok(level("#Basic256Sha256", MessageSecurityMode.Sign) > level("#None", MessageSecurityMode.None));
  });

  await scenario("an untrusted client certificate is refused, and accepted once trusted", async () => {
    await assert.rejects(readWithSecurity(endpoint, SecurityPolicy.Basic256Sha256, MessageSecurityMode.SignAndEncrypt));
    fs.writeFileSync(path.join(hostFolder, "trusted", "client.der"), clientCertificateDer());
    const dv = await readWithSecurity(endpoint, SecurityPolicy.Basic256Sha256, MessageSecurityMode.SignAndEncrypt);
    assert.strictEqual(dv.value.value, 123456789);
  });

  for (const [policyName, policy] of policies) {
    for (const [modeName, mode] of modes) {
      await scenario(`read under ${policyName} ${modeName}`, async () => {
        const dv = await readWithSecurity(endpoint, policy, mode);
        assert.strictEqual(dv.statusCode.value, 0);
        assert.strictEqual(dv.value.dataType, DataType.Int32);
        assert.strictEqual(dv.value.value, 123456789);
      });
    }
  }

  await scenario("token renewals under SignAndEncrypt keep a subscription's values coming", async () => {
    // The server's shortest token lifetime is 10 s; the client renews at 75% of it.
    const client = makeClient({
      securityPolicy: SecurityPolicy.Aes256_Sha256_RsaPss, securityMode: MessageSecurityMode.SignAndEncrypt,
      defaultSecureTokenLifetime: 10000,
    });
    let renewals = 0;
    client.on("security_token_renewed", () => renewals++);
    await client.connect(endpoint);
    const session = await client.createSession();
    const { sub, mi, values } = await subscribeValue(session, item("Heating.Valves.2/0/9"));
    for (let k = 1; k <= 17; k++) {
      host.stdin.write(`set Heating.Valves.2/0/9 ${100 + k}\n`);
      await sleep(1000);
    }
    assert.ok(renewals >= 2, "renewals " + renewals);
    assert.strictEqual(values[values.length - 1], 117, "values " + values);
    assert.ok(values.length >= 15, "values " + values);
    await mi.terminate();
    await sub.terminate();
    await session.close();
    await client.disconnect();
  });

  host.stdin.end();
  const failed = scenarios.report();
  fs.rmSync(tmp, { recursive: true, force: true });
  process.exit(failed ? 1 : 0);
})().catch((e) => { console.error(e); process.exit(1); });
