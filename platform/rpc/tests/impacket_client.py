#!/usr/bin/python3
"""Calls IObjectExporter's ServerAlive2 and ResolveOxid2 with Debian's
impacket, used as an independent DCE/RPC client. Prints "OK <first string
binding of ServerAlive2> resolved" or "ERROR <text>"."""
import sys

from impacket.dcerpc.v5 import transport
from impacket.dcerpc.v5.dcomrt import IObjectExporter, IID_IObjectExporter
from impacket.dcerpc.v5 import rpcrt

LEVELS = {
    'none': None,
    'connect': rpcrt.RPC_C_AUTHN_LEVEL_CONNECT,
    'integrity': rpcrt.RPC_C_AUTHN_LEVEL_PKT_INTEGRITY,
    'privacy': rpcrt.RPC_C_AUTHN_LEVEL_PKT_PRIVACY,
}


def main():
    port, level, user, password = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4]
    rpc_transport = transport.DCERPCTransportFactory('ncacn_ip_tcp:127.0.0.1[%s]' % port)
    if LEVELS[level] is not None:
        rpc_transport.set_credentials(user, password, 'TESTDOM')
    dce = rpc_transport.get_dce_rpc()
    if LEVELS[level] is not None:
        dce.set_auth_type(rpcrt.RPC_C_AUTHN_WINNT)
        dce.set_auth_level(LEVELS[level])
    try:
        dce.connect()
        dce.bind(IID_IObjectExporter)
        exporter = IObjectExporter(dce)
        alive = exporter.ServerAlive2()
        resolved = exporter.ResolveOxid2(0x1122334455667788, [7])
        first = alive[0]['aNetworkAddr'].rstrip('\x00')
        print('OK %s %s' % (first, 'resolved' if resolved else 'unresolved'))
        dce.disconnect()
        return 0
    except Exception as error:  # the refusal cases end here
        print('ERROR %s' % error)
        return 1


if __name__ == '__main__':
    sys.exit(main())
