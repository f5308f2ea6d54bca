// What the node-opcua interop scenarios share: the client settings, the scenario record and
// its report, a recursive browse that follows continuation points, and the test host's start.
"use strict";
const assert = require("assert");
const { spawn } = require("child_process");
const {
  OPCUAClient, AttributeIds, BrowseDirection, ClientMonitoredItem, ClientSubscription,
  MessageSecurityMode, SecurityPolicy, TimestampsToReturn,
} = require("node-opcua-client");

// A client for security mode None without retries; its certificates live in `certificateManager`.
function makeClient(certificateManager, extra = {}) {
  return OPCUAClient.create({
    endpointMustExist: false,
    securityMode: MessageSecurityMode.None,
    securityPolicy: SecurityPolicy.None,
    clientCertificateManager: certificateManager,
    connectionStrategy: { maxRetry: 0 },
    keepSessionAlive: false,
    ...extra,
  });
}

// Runs named scenarios one after another, keeping each outcome; report() prints them and
// returns how many failed.
class Scenarios {
  constructor() {
    this.results = [];
  }
  async run(name, fn) {
    try {
      await fn();
      this.results.push([name, "ok"]);
    } catch (e) {
      this.results.push([name, "FAILED: " + (e && e.stack ? e.stack : e)]);
    }
  }
  record(name, outcome) {
    this.results.push([name, outcome]);
  }
  report() {
    let failed = 0;
    for (const [name, outcome] of this.results) {
      console.log(`${outcome === "ok" ? "ok  " : "FAIL"} ${name}${outcome === "ok" ? "" : "\n" + outcome}`);
      if (outcome !== "ok") failed++;
    }
    return failed;
  }
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Every node below `nodeId` along hierarchical references, as node id -> browse name.
async function browseAll(session, nodeId, found) {
  const result = await session.browse({
    nodeId, browseDirection: BrowseDirection.Forward, referenceTypeId: "HierarchicalReferences",
    includeSubtypes: true, resultMask: 63,
  });
  assert.strictEqual(result.statusCode.value, 0, "browse " + nodeId);
  let refs = result.references;
  let cp = result.continuationPoint;
  while (cp && cp.length) {
    const next = await session.browseNext(cp, false);
    refs = refs.concat(next.references);
    cp = next.continuationPoint;
  }
  for (const r of refs) {
    const id = r.nodeId.toString();
    if (found.has(id)) continue;
    found.set(id, r.browseName.toString());
    if (r.nodeClass === 1 || r.nodeClass === 2) await browseAll(session, r.nodeId, found);
  }
}

// A started subscription (100 ms, keep-alive every 3 intervals) with one monitored Value;
// `mi` is the monitored item, `values` collects its values, `statuses` their status codes (as
// numbers), `counts.keepAlives` the keep-alives. `onChange(dataValue)`, if given, sees each.
async function subscribeValue(session, nodeId, onChange = null) {
  const sub = ClientSubscription.create(session, {
    requestedPublishingInterval: 100, requestedMaxKeepAliveCount: 3, requestedLifetimeCount: 100,
    publishingEnabled: true,
  });
  const counts = { keepAlives: 0 };
  sub.on("keepalive", () => counts.keepAlives++);
  await new Promise((r) => sub.once("started", r));
  const mi = ClientMonitoredItem.create(sub, { nodeId, attributeId: AttributeIds.Value },
    { samplingInterval: 100, queueSize: 10, discardOldest: true }, TimestampsToReturn.Both);
  const values = [];
  const statuses = [];
  mi.on("changed", (dv) => {
    values.push(dv.value.value);
    statuses.push(dv.statusCode.value);
    if (onChange) onChange(dv);
  });
  return { sub, mi, values, statuses, counts };
}

// Starts the OPC UA test host with `args`; resolves to its process, with its port in `port`.
function startHost(binary, args) {
  return new Promise((resolve, reject) => {
    const child = spawn(binary, args, { stdio: ["pipe", "pipe", "inherit"] });
    let buffered = "";
    child.stdout.on("data", (d) => {
      buffered += d.toString();
      const m = /listening (\d+)/.exec(buffered);
      if (m && !child.port) {
        child.port = Number(m[1]);
        resolve(child);
      }
    });
    child.on("exit", (code) => reject(new Error("host exited " + code)));
  });
}

module.exports = { makeClient, Scenarios, sleep, browseAll, subscribeValue, startHost };
