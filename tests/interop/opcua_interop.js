// Interop scenarios against the OPC UA server with node-opcua as the client, all in one
// process (the library's start-up self-test is slow). Usage: node opcua_interop.js <host-binary>
"use strict";
const { spawn } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");
const assert = require("assert");
const {
  OPCUAClient, AttributeIds, BrowseDirection, DataType, StatusCodes,
} = require("node-opcua-client");
const { OPCUACertificateManager } = require("node-opcua-certificate-manager");
const { BrowseRequest } = require("node-opcua-service-browse");
const {
  makeClient: makeClientWith, Scenarios, sleep, browseAll, subscribeValue, startHost,
} = require("./interop_client");

const hostBinary = process.argv[2];
const tmp = fs.mkdtempSync(path.join(os.tmpdir(), "zelvox-opcua-"));
const certificateManager = new OPCUACertificateManager({ rootFolder: path.join(tmp, "pki") });
const makeClient = (extra) => makeClientWith(certificateManager, extra);
const scenarios = new Scenarios();
const scenario = (name, fn) => scenarios.run(name, fn);

// Asks the host how many sessions are open.
function hostSessions(host) {
  return new Promise((resolve) => {
    const onData = (d) => {
      const m = /sessions (\d+)/.exec(d.toString());
      if (m) {
        host.stdout.off("data", onData);
        resolve(Number(m[1]));
      }
    };
    host.stdout.on("data", onData);
    host.stdin.write("sessions\n");
  });
}

const ns = 1;
const item = (id) => `ns=${ns};s=${id}`;

(async () => {
  const host = await startHost(hostBinary, ["0"]);
  const endpoint = `opc.tcp://127.0.0.1:${host.port}`;
  const client = makeClient({ requestedSessionTimeout: 60000 });
  await client.connect(endpoint);
  const session = await client.createSession();

  await scenario("recursive browse finds folders, items and properties", async () => {
    const found = new Map();
    await browseAll(session, "ns=0;i=85", found);
    assert.strictEqual(found.get("ns=1;i=1"), "1:Project");
    assert.strictEqual(found.get(item("Lights")), "1:Lights");
    assert.strictEqual(found.get(item("Lights.Ground floor")), "1:Ground floor");
    assert.strictEqual(found.get(item("Lights.Ground floor.1/0/1")), "1:1/0/1");
    assert.strictEqual(found.get(item("Failed Devices")), "1:Failed Devices");
    assert.strictEqual(found.get(item("Heating.Valves.2/0/39")), "1:2/0/39");
    assert.strictEqual(found.get(item("Lights.Ground floor.1/0/1#101")), "1:Item Description");
    assert.ok(found.has("ns=0;i=2253"));
  });

  await scenario("browse pages with BrowseNext", async () => {
    const r = await session.browse({
      nodeId: item("Heating.Valves"), browseDirection: BrowseDirection.Forward,
      referenceTypeId: "Organizes", includeSubtypes: true, resultMask: 63,
    }).catch((e) => { throw e; });
    // The client asks for no limit; a second request with a small limit must page.
    const paged = await session.performMessageTransaction(new BrowseRequest({
      requestedMaxReferencesPerNode: 7,
      nodesToBrowse: [{ nodeId: item("Heating.Valves"), browseDirection: BrowseDirection.Forward,
        referenceTypeId: "ns=0;i=35", includeSubtypes: true, resultMask: 63 }],
    }));
    let refs = paged.results[0].references.length;
    assert.strictEqual(refs, 7);
    let cp = paged.results[0].continuationPoint;
    let pages = 1;
    while (cp && cp.length) {
      const next = await session.browseNext(cp, false);
      refs += next.references.length;
      cp = next.continuationPoint;
      pages++;
    }
    assert.strictEqual(refs, r.references.length);
    assert.strictEqual(refs, 40);
    assert.strictEqual(pages, 6);
  });

  await scenario("reads of every type", async () => {
    const expect = [
      ["Lights.Ground floor.1/0/1", DataType.Boolean, true],
      ["Lights.Ground floor.1/0/2", DataType.Byte, 200],
      ["Lights.Ground floor.1/0/3", DataType.Int16, -1234],
      ["Lights.First floor.1/1/1", DataType.Int32, 123456789],
      ["Lights.First floor.1/1/2", DataType.Float, 21.5],
      ["Lights.First floor.1/1/3", DataType.String, "Hello"],
    ];
    for (const [id, type, value] of expect) {
      const dv = await session.read({ nodeId: item(id), attributeId: AttributeIds.Value });
      assert.strictEqual(dv.statusCode.value, 0, id);
      assert.strictEqual(dv.value.dataType, type, id);
      assert.strictEqual(dv.value.value, value, id);
      assert.ok(dv.sourceTimestamp instanceof Date && Math.abs(dv.sourceTimestamp - Date.now()) < 600000, id);
      const dt = await session.read({ nodeId: item(id), attributeId: AttributeIds.DataType });
      assert.strictEqual(dt.value.value.value, type, id + " DataType");
    }
    const raw = await session.read({ nodeId: item("Lights.First floor.1/1/4"), attributeId: AttributeIds.Value });
    assert.strictEqual(raw.value.dataType, DataType.ByteString);
    assert.deepStrictEqual([...raw.value.value], [0x41, 0x42]);
    const failed = await session.read({ nodeId: item("Failed Devices"), attributeId: AttributeIds.Value });
    assert.strictEqual(failed.value.dataType, DataType.String);
    assert.strictEqual(failed.value.arrayType, 1);
    assert.deepStrictEqual(failed.value.value, ["01.01.005", "01.01.007"]);
    const desc = await session.read({ nodeId: item("Lights.First floor.1/1/2"), attributeId: AttributeIds.Description });
    assert.strictEqual(desc.value.value.text, "Temperature");
    const status = await session.read({ nodeId: "ns=0;i=2256", attributeId: AttributeIds.Value });
    assert.strictEqual(status.value.value.state, 0);
    assert.strictEqual(status.value.value.buildInfo.manufacturerName, "Quendra s.c.");
    const nsArray = await session.read({ nodeId: "ns=0;i=2255", attributeId: AttributeIds.Value });
    assert.strictEqual(nsArray.value.value.length, 2);
  });

  await scenario("write, type mismatch, unknown node, read-only item", async () => {
    let s = await session.write({ nodeId: item("Lights.Ground floor.1/0/3"), attributeId: AttributeIds.Value,
      value: { value: { dataType: DataType.Int16, value: 42 } } });
    assert.strictEqual(s.value, 0);
    const dv = await session.read({ nodeId: item("Lights.Ground floor.1/0/3"), attributeId: AttributeIds.Value });
    assert.strictEqual(dv.value.value, 42);
    s = await session.write({ nodeId: item("Lights.First floor.1/1/2"), attributeId: AttributeIds.Value,
      value: { value: { dataType: DataType.String, value: "not a number" } } });
    assert.strictEqual(s.value, StatusCodes.BadTypeMismatch.value);
    s = await session.write({ nodeId: item("No.Such.Item"), attributeId: AttributeIds.Value,
      value: { value: { dataType: DataType.Int16, value: 1 } } });
    assert.strictEqual(s.value, StatusCodes.BadNodeIdUnknown.value);
    s = await session.write({ nodeId: item("Lights.First floor.1/1/5"), attributeId: AttributeIds.Value,
      value: { value: { dataType: DataType.Int16, value: 1 } } });
    assert.strictEqual(s.value, StatusCodes.BadNotWritable.value);
    s = await session.write({ nodeId: item("Check Device"), attributeId: AttributeIds.Value,
      value: { value: { dataType: DataType.String, value: "01.01.005" } } });
    assert.strictEqual(s.value, 0);
    const unknown = await session.read({ nodeId: item("No.Such.Item"), attributeId: AttributeIds.Value });
    assert.strictEqual(unknown.statusCode.value, StatusCodes.BadNodeIdUnknown.value);
  });

  await scenario("subscription: initial value, a change, keep-alives", async () => {
    const { sub, mi, values, counts } = await subscribeValue(session, item("Heating.Valves.2/0/5"));
    await sleep(1200);
    assert.deepStrictEqual(values, [5], "initial value");
    host.stdin.write("set Heating.Valves.2/0/5 77\n");
    await sleep(400);
    assert.deepStrictEqual(values, [5, 77], "after the change");
    assert.ok(counts.keepAlives >= 1, "keep-alives " + counts.keepAlives);
    await mi.terminate();
    await sub.terminate();
  });

  await scenario("20 clients at once", async () => {
    const clients = [];
    for (let k = 0; k < 20; k++) clients.push(makeClient());
    const sessions = await Promise.all(clients.map(async (c) => { await c.connect(endpoint); return c.createSession(); }));
    const reads = await Promise.all(sessions.map((s) => s.read({ nodeId: item("Lights.First floor.1/1/1"), attributeId: AttributeIds.Value })));
    for (const dv of reads) assert.strictEqual(dv.value.value, 123456789);
    await Promise.all(sessions.map((s) => s.close()));
    await Promise.all(clients.map((c) => c.disconnect()));
  });

  await scenario("a vanished client's session is cleaned up after its time-out", async () => {
    const before = await hostSessions(host);
    const script = `
      const { OPCUAClient } = require("node-opcua-client");
      const { OPCUACertificateManager } = require("node-opcua-certificate-manager");
      (async () => {
        const c = OPCUAClient.create({ endpointMustExist: false, requestedSessionTimeout: 1000,
          clientCertificateManager: new OPCUACertificateManager({ rootFolder: ${JSON.stringify(path.join(tmp, "pki2"))} }),
          connectionStrategy: { maxRetry: 0 } });
        await c.connect(${JSON.stringify(endpoint)});
        const s = await c.createSession();
        await s.createSubscription2({ requestedPublishingInterval: 100 });
        console.log("ready");
      })();`;
    const child = spawn(process.execPath, ["-e", script], { cwd: __dirname, stdio: ["ignore", "pipe", "ignore"] });
    await new Promise((resolve) => child.stdout.on("data", (d) => { if (/ready/.test(d)) resolve(); }));
    assert.strictEqual(await hostSessions(host), before + 1);
    process.kill(child.pid, "SIGKILL");
    await sleep(2500);
    assert.strictEqual(await hostSessions(host), before);
  });

  await session.close();
  await client.disconnect();
  host.stdin.end();
  const failed = scenarios.report();
  fs.rmSync(tmp, { recursive: true, force: true });
  process.exit(failed ? 1 : 0);
})().catch((e) => { console.error(e); process.exit(1); });
