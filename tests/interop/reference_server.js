// A node-opcua reference server with N Float variables named like the benchmark's items
// (ns=1;s=Main.Values.3/a/b), for comparing throughput. Usage: node reference_server.js N
"use strict";
const { OPCUAServer } = require("node-opcua-server");
const { DataType, Variant } = require("node-opcua-variant");
const { OPCUACertificateManager } = require("node-opcua-certificate-manager");
const os = require("os");
const fs = require("fs");
const path = require("path");
const net = require("net");

async function freePort() {
  return new Promise((resolve) => {
    const s = net.createServer().listen(0, "127.0.0.1", () => {
      const port = s.address().port;
      s.close(() => resolve(port));
    });
  });
}

(async () => {
  const count = Number(process.argv[2] || 1000);
  const tmp = fs.mkdtempSync(path.join(os.tmpdir(), "zelvox-reference-"));
  const port = await freePort();
  const server = new OPCUAServer({
    port, hostname: "127.0.0.1",
    serverCertificateManager: new OPCUACertificateManager({ rootFolder: path.join(tmp, "pki") }),
    maxConnectionsPerEndpoint: 100,
    serverCapabilities: { operationLimits: { maxNodesPerRead: 100000 } },
  });
  await server.initialize();
  const space = server.engine.addressSpace;
  const ns = space.registerNamespace("urn:Varnok:Zelvox:Items");
  const folder = ns.addFolder(space.rootFolder.objects, { browseName: "Values" });
  for (let k = 0; k < count; k++) {
    const id = `Main.Values.3/${Math.floor(k / 256)}/${k % 256}`;
    const value = new Variant({ dataType: DataType.Float, value: k });
    ns.addVariable({ organizedBy: folder, browseName: id, nodeId: `s=${id}`, dataType: "Float", minimumSamplingInterval: 1000,
      value: { get: () => value } });
  }
  await server.start();
  console.log(`listening ${port}`);
  process.on("SIGTERM", async () => {
    await server.shutdown(0);
    fs.rmSync(tmp, { recursive: true, force: true });
    process.exit(0);
  });
})();
