// Watches one item of a running server through a node-opcua subscription and prints every
// notification as "<status as 8 hex digits> <value>", one line each, until it is stopped.
// Usage: node watch_item.js <port> <item id>
"use strict";
const fs = require("fs");
const os = require("os");
const path = require("path");
const { OPCUACertificateManager } = require("node-opcua-certificate-manager");
const { makeClient, subscribeValue } = require("./interop_client");

const [port, itemId] = process.argv.slice(2);

async function main() {
  const tmp = fs.mkdtempSync(path.join(os.tmpdir(), "zelvox-watch-"));
  const certificateManager = new OPCUACertificateManager({ rootFolder: path.join(tmp, "pki") });
  const client = makeClient(certificateManager);
  await client.connect(`opc.tcp://127.0.0.1:${port}`);
  const session = await client.createSession();
  await subscribeValue(session, `ns=1;s=${itemId}`, (dv) => {
    const status = (dv.statusCode.value >>> 0).toString(16).padStart(8, "0");
    // One write per line, so that a reader never sees half a line.
    fs.writeSync(1, `${status} ${dv.value.value}\n`);
  });
  const stop = async () => {
    await session.close().catch(() => {});
    await client.disconnect().catch(() => {});
    fs.rmSync(tmp, { recursive: true, force: true });
    process.exit(0);
  };
  process.on("SIGTERM", stop);
  process.on("SIGINT", stop);
}

main().catch((e) => {
  console.error("watch_item: " + (e && e.stack ? e.stack : e));
  process.exit(1);
});
