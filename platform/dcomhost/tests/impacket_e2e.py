#!/usr/bin/python3
"""Drives dcomhost with Debian's impacket, a DCOM client nobody here wrote.

Runs inside a network namespace of its own (the test starts it with
unshare -n), since DCOM clients find the resolver on port 135. For each case
a host is started with the case's minimum level; the client then resolves,
pings, activates the sample server, asks for IOPCServer and releases it, or
is refused.

usage: impacket_e2e.py DCOMHOST NTLMUSER REGISTRY [concurrent]

With "concurrent", several client processes run the whole flow at once
against one host instead (the host built with ThreadSanitizer reports
races through its exit status).
"""
import multiprocessing
import os
import subprocess
import sys
import tempfile
import time

from impacket.dcerpc.v5 import rpcrt, transport
from impacket.dcerpc.v5.dcomrt import DCOMConnection, IObjectExporter, IID_IObjectExporter
from impacket.uuid import string_to_bin

CLSID_SAMPLE = 'B475D66A-1569-4828-A8F8-0F6CED3129BB'
CLSID_UNREGISTERED = '0BADC1A5-0000-4000-8000-00000000BEEF'
IID_IUNKNOWN = '00000000-0000-0000-C000-000000000046'
IID_IOPCSERVER = '39C13A4D-011E-11D0-9675-0020AFD8ADB3'
PASSWORD = 'Secret123!'


def resolve_and_ping(level, password):
    rpc_transport = transport.DCERPCTransportFactory('ncacn_ip_tcp:127.0.0.1[135]')
    rpc_transport.set_credentials('opcuser', password, 'TESTDOM')
    dce = rpc_transport.get_dce_rpc()
    dce.set_auth_type(rpcrt.RPC_C_AUTHN_WINNT)
    dce.set_auth_level(level)
    dce.connect()
    dce.bind(IID_IObjectExporter)
    exporter = IObjectExporter(dce)
    bindings = exporter.ServerAlive2()
    if not bindings:
        raise RuntimeError('ServerAlive2 returned no bindings')
    ping = exporter.ComplexPing()
    exporter.SimplePing(ping['pSetId'])
    dce.disconnect()


def activate(level, password, clsid=CLSID_SAMPLE):
    dcom = DCOMConnection('127.0.0.1', 'opcuser', password, 'TESTDOM', oxidResolver=True, authLevel=level)
    try:
        unknown = dcom.CoCreateInstanceEx(string_to_bin(clsid), string_to_bin(IID_IUNKNOWN))
        server = unknown.RemQueryInterface(1, (string_to_bin(IID_IOPCSERVER),))
        server.RemRelease()
    except Exception:
        # The client's own clean-up may fail after a refused activation; the
        # refusal is what counts.
        try:
            dcom.disconnect()
        except Exception:
            pass
        raise
    dcom.disconnect()


def full_flow(level, password=PASSWORD):
    resolve_and_ping(level, password)
    activate(level, password)


CONNECT, INTEGRITY, PRIVACY = (rpcrt.RPC_C_AUTHN_LEVEL_CONNECT, rpcrt.RPC_C_AUTHN_LEVEL_PKT_INTEGRITY,
                               rpcrt.RPC_C_AUTHN_LEVEL_PKT_PRIVACY)

# (host's minimum level, what the client does, expected: None for success or
# a piece of the error's text)
CASES = [
    ('connect', 'connect level', lambda: full_flow(CONNECT), None),
    ('connect', 'packet integrity', lambda: full_flow(INTEGRITY), None),
    ('connect', 'packet privacy', lambda: full_flow(PRIVACY), None),
    ('connect', 'wrong password', lambda: resolve_and_ping(PRIVACY, 'wrong'), 'access_denied'),
    ('connect', 'wrong password at activation', lambda: activate(PRIVACY, 'wrong'), 'access_denied'),
    ('connect', 'class without a surrogate AppID',
     lambda: activate(PRIVACY, PASSWORD, CLSID_UNREGISTERED), 'REGDB_E_CLASSNOTREG'),
    ('integrity', 'connect level below the minimum', lambda: resolve_and_ping(CONNECT, PASSWORD), 'access_denied'),
    ('integrity', 'activation below the minimum', lambda: activate(CONNECT, PASSWORD), 'access_denied'),
    ('integrity', 'packet privacy above the minimum', lambda: full_flow(PRIVACY), None),
]


def start_host(dcomhost, users, registry, minimum, log):
    host = subprocess.Popen([dcomhost, '--credentials', users, '--minimum-level', minimum],
                            env=dict(os.environ, VELMORA_REGISTRY=registry), stderr=log)
    for _ in range(100):
        time.sleep(0.1)
        log.flush()
        with open(log.name) as text:
            if 'ready:' in text.read():
                return host
        if host.poll() is not None:
            break
    raise RuntimeError('dcomhost did not start')


def client_process(rounds):
    try:
        for level in [CONNECT, INTEGRITY, PRIVACY][:rounds]:
            full_flow(level)
        return None
    except Exception as error:
        return '%s: %s' % (type(error).__name__, error)


def run_concurrent(dcomhost, users, registry, scratch):
    log_path = os.path.join(scratch, 'host.log')
    with open(log_path, 'w') as log:
        host = start_host(dcomhost, users, registry, 'connect', log)
        try:
            with multiprocessing.Pool(4) as pool:
                outcomes = pool.map(client_process, [3] * 6)
        finally:
            host.terminate()
            status = host.wait(timeout=60)
    errors = [outcome for outcome in outcomes if outcome]
    for error in errors:
        print('FAIL client: %s' % error)
    if status != 0:
        print('FAIL host exited with %d' % status)
    if errors or status != 0:
        with open(log_path) as log:
            print(log.read())
        return 1
    print('PASS %d clients at once' % len(outcomes))
    return 0


def main():
    dcomhost, ntlmuser, registry = sys.argv[1:4]
    failures = 0
    with tempfile.TemporaryDirectory() as scratch:
        users = os.path.join(scratch, 'users')
        subprocess.run([ntlmuser, users, 'add', 'opcuser', 'TESTDOM'], input=PASSWORD + '\n', text=True, check=True)
        if sys.argv[4:] == ['concurrent']:
            return run_concurrent(dcomhost, users, registry, scratch)
        for minimum, name, action, expected in CASES:
            log_path = os.path.join(scratch, 'host.log')
            with open(log_path, 'w') as log:
                host = start_host(dcomhost, users, registry, minimum, log)
                try:
                    action()
                    outcome = None
                except Exception as error:  # the refusals end here
                    outcome = '%s: %s' % (type(error).__name__, error)
                finally:
                    host.terminate()
                    status = host.wait(timeout=30)
            passed = (outcome is None) if expected is None else (outcome is not None and expected in outcome)
            if status != 0:
                passed = False
                outcome = (outcome or '') + ' (host exited with %d)' % status
            print('%s %s (minimum %s): %s' % ('PASS' if passed else 'FAIL', name, minimum, outcome or 'ok'))
            if not passed:
                failures += 1
                with open(log_path) as log:
                    print(log.read())
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
