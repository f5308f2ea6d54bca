// Interop scenario of node-opcua against the project document while it is edited: a watched
// item whose group is renamed reports Bad_NodeIdUnknown, a browse shows the edited tree at once,
// a group whose item is watched is not deleted, and undoing brings the tree back.
// Usage: node name_space_edits_interop.js <edit_test_host> <demo export>
"use strict";
const { spawn } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");
const assert = require("assert");
const { AttributeIds, BrowseDirection, StatusCodes } = require("node-opcua-client");
const { OPCUACertificateManager } = require("node-opcua-certificate-manager");
const { makeClient: makeClientWith, Scenarios, sleep, subscribeValue } = require("./interop_client");

const [hostBinary, demoExport] = process.argv.slice(2);
const tmp = fs.mkdtempSync(path.join(os.tmpdir(), "zelvox-edits-"));
const certificateManager = new OPCUACertificateManager({ rootFolder: path.join(tmp, "pki") });
const scenarios = new Scenarios();

function startHost() {
  return new Promise((resolve, reject) => {
    const child = spawn(hostBinary, ["0", path.join(tmp, "settings"), demoExport],
      { stdio: ["pipe", "pipe", "inherit"] });
    child.lines = [];
    child.waiting = [];
    let buffered = "";
    child.stdout.on("data", (d) => {
      buffered += d.toString();
      let end;
      while ((end = buffered.indexOf("\n")) >= 0) {
        const line = buffered.slice(0, end);
        buffered = buffered.slice(end + 1);
        const m = /^listening (\d+)$/.exec(line);
        if (m) {
          child.port = Number(m[1]);
          resolve(child);
        } else if (child.waiting.length) {
          child.waiting.shift()(line);
        }
      }
    });
    child.on("exit", (code) => reject(new Error("host exited " + code)));
  });
}

// Sends one edit command (fields joined by TAB); resolves with the host's answer.
function edit(host, ...fields) {
  return new Promise((resolve) => {
    host.waiting.push(resolve);
    host.stdin.write(fields.join("\t") + "\n");
  });
}

// The names of the project folder's child folders.
async function folders(session) {
  const result = await session.browse({
    nodeId: "ns=1;i=1", browseDirection: BrowseDirection.Forward,
    referenceTypeId: "HierarchicalReferences", includeSubtypes: true, resultMask: 63,
  });
  assert.strictEqual(result.statusCode.value, 0);
  return result.references.filter((r) => r.nodeClass === 1).map((r) => r.browseName.name);
}

async function until(test, what, ms = 5000) {
  for (const start = Date.now(); Date.now() - start < ms; await sleep(50)) {
    if (test()) return;
  }
  assert.fail("timed out waiting for " + what);
}

(async () => {
  const host = await startHost();
  const client = makeClientWith(certificateManager);
  await client.connect(`opc.tcp://127.0.0.1:${host.port}`);
  const session = await client.createSession();

  await scenarios.run("a rename ends the watched item with Bad_NodeIdUnknown", async () => {
    const watched = await subscribeValue(session, "ns=1;s=Ground floor.Lights.1/1/1");
    await until(() => watched.statuses.length >= 1, "the first value");
    assert.notStrictEqual(watched.statuses[0], StatusCodes.BadNodeIdUnknown.value);
    // Held by the subscription, the group is not deleted.
    assert.strictEqual(await edit(host, "delete", "Ground floor"), "refused 161");
    assert.ok((await folders(session)).includes("Ground floor"));

    assert.strictEqual(await edit(host, "rename", "Ground floor", "Erdgeschoss"), "ok");
    await until(() => watched.statuses.includes(StatusCodes.BadNodeIdUnknown.value),
      "Bad_NodeIdUnknown");
    const now = await folders(session);
    assert.ok(now.includes("Erdgeschoss") && !now.includes("Ground floor"), now.join(","));
    const read = await session.read({
      nodeId: "ns=1;s=Ground floor.Lights.1/1/1", attributeId: AttributeIds.Value,
    });
    assert.strictEqual(read.statusCode.value, StatusCodes.BadNodeIdUnknown.value);
    const renamed = await session.read({
      nodeId: "ns=1;s=Erdgeschoss.Lights.1/1/1", attributeId: AttributeIds.Value,
    });
    assert.notStrictEqual(renamed.statusCode.value, StatusCodes.BadNodeIdUnknown.value);

    // The subscription let the item go: now the group can be deleted, and undone.
    assert.strictEqual(await edit(host, "delete", "Erdgeschoss"), "ok");
    assert.ok(!(await folders(session)).includes("Erdgeschoss"));
    assert.strictEqual(await edit(host, "undo"), "ok");
    assert.strictEqual(await edit(host, "undo"), "ok");
    assert.ok((await folders(session)).includes("Ground floor"));
    // Under its old name again, the item reports values again.
    const seen = watched.statuses.length;
    await until(() => watched.statuses.length > seen &&
      watched.statuses[watched.statuses.length - 1] !== StatusCodes.BadNodeIdUnknown.value,
    "the value back");
    await watched.sub.terminate();
  });

  await session.close();
  await client.disconnect();
  host.stdin.end();
  process.exitCode = scenarios.report() ? 1 : 0;
})().catch((e) => {
  console.error(e);
  process.exitCode = 1;
});
