// node-opc-da (with its node-dcom) against dcomhost and the sample server,
// used as a black box through its documented API: connect, browse, add a
// group and items, read them, read the status, remove the group. Prints one
// PASS/FAIL line per step and exits non-zero on any failure.
//
// usage: node --openssl-legacy-provider node_opc_da.js
// (with NODE_PATH naming the node_modules that hold node-opc-da; the host
// must accept NTLMv1, which the library logs on with)
'use strict';
const { Session, ComServer, Clsid } = require('node-dcom');
const opcda = require('node-opc-da');

const CLSID_SAMPLE = 'B475D66A-1569-4828-A8F8-0F6CED3129BB';
let failures = 0;

async function step(name, body) {
  try {
    const detail = await body();
    console.log(`PASS ${name}${detail !== undefined ? ': ' + JSON.stringify(detail) : ''}`);
    return true;
  } catch (error) {
    failures += 1;
    console.log(`FAIL ${name}: ${error && error.stack ? error.stack : error}`);
    return false;
  }
}

function expect(condition, what) {
  if (!condition) throw new Error(what);
}

async function main() {
  let session = new Session();
  session = session.createSession('TESTDOM', 'opcuser', 'Secret123!');
  session.setGlobalSocketTimeout(10000);
  const comServer = new ComServer(new Clsid(CLSID_SAMPLE), '127.0.0.1', session);
  let opcServer;
  let ok = await step('connect and activate the sample server', async () => {
    await comServer.init();
    const comObject = await comServer.createInstance();
    opcServer = new opcda.OPCServer();
    await opcServer.init(comObject);
  });
  if (!ok) return;
  await step('browse the address space flat', async () => {
    const browser = await opcServer.getBrowser();
    const items = await browser.browseAllFlat();
    expect(items.includes('Static.I4') && items.includes('Simulation.Ramp'), 'items: ' + items.slice(0, 10));
    return items.length;
  });
  await step('read the status', async () => {
    const status = await opcServer.getStatus();
    expect(status, 'no status');
    return status.serverState !== undefined ? status.serverState : Object.keys(status);
  });
  let group;
  let handles = [];
  ok = await step('add a group and items', async () => {
    group = await opcServer.addGroup('node group', { active: true, updateRate: 1000, clientHandle: 5 });
    const manager = await group.getItemManager();
    const added = await manager.add([{ itemID: 'Static.I4', clientHandle: 1 },
                                     { itemID: 'Static.BSTR', clientHandle: 2 }]);
    handles = added.map((entry) => entry[1].serverHandle);
    expect(handles.length === 2 && handles.every((h) => typeof h === 'number'), 'handles ' + JSON.stringify(added));
    return handles;
  });
  if (ok) {
    await step('read the items', async () => {
      const sync = await group.getSyncIO();
      const values = await sync.read(opcda.constants.opc.dataSource.DEVICE, handles);
      const plain = values.map((v) => v.value);
      expect(plain[0] === -123456 && plain[1] === 'Hello OPC', 'values ' + JSON.stringify(values));
      return plain;
    });
    // removeGroup, like the group's getState, throws inside the library
    // (ReferenceError/TypeError) before anything is sent; that is told
    // apart from a failure the server caused.
    await step('remove the group', async () => {
      try {
        await opcServer.removeGroup(group, true);
      } catch (error) {
        if (error instanceof ReferenceError || error instanceof TypeError) return 'not possible with this library: ' + error.message;
        throw error;
      }
    });
  }
  try {
    await opcServer.end();
    await comServer.closeStub();
  } catch (error) {
    // Tear-down errors of the library do not concern the server.
  }
}

main().then(() => process.exit(failures ? 1 : 0), (error) => {
  console.log('FAIL ' + error);
  process.exit(1);
});
