#!/usr/bin/python3
"""An OPC Data Access client on impacket's NDR and DCOM layers (written here
from the published interface definitions, see opc_interfaces.py) against
dcomhost and the sample server, at packet privacy with NTLMv2: every method
of every interface the sample server offers, the per-item errors, out-arrays
and strings, 10,000 items in one AddItems and one Read, and the server list.

Runs inside a network namespace of its own (started with unshare -n), since
DCOM clients find the resolver on port 135.

usage: impacket_opc.py DCOMHOST NTLMUSER REGISTRY
"""
import os
import subprocess
import sys
import tempfile
import threading
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from impacket.dcerpc.v5 import rpcrt  # noqa: E402
from impacket.dcerpc.v5.dcomrt import DCOMConnection, INTERFACE, IRemUnknown2  # noqa: E402
from impacket.dcerpc.v5.dtypes import DWORD, GUID, USHORT
from impacket.dcerpc.v5.ndr import NULL  # noqa: E402
from impacket.uuid import bin_to_string, string_to_bin  # noqa: E402

import opc_interfaces as opc  # noqa: E402

CLSID_SAMPLE = 'B475D66A-1569-4828-A8F8-0F6CED3129BB'
PASSWORD = 'Secret123!'

S_OK, S_FALSE = 0, 1
E_FAIL = -2147467259
E_INVALIDARG = -2147024809
CONNECT_E_CANNOTCONNECT = -2147220990
OPC_E_INVALIDHANDLE = -1073479679
OPC_E_BADRIGHTS = -1073479674
OPC_E_UNKNOWNITEMID = -1073479673
OPC_E_INVALIDITEMID = -1073479672
VT_I4, VT_R8, VT_BSTR = 3, 5, 8
OPC_DS_CACHE, OPC_DS_DEVICE = 1, 2
OPC_BRANCH, OPC_LEAF, OPC_FLAT = 1, 2, 3
OPC_BROWSE_UP, OPC_BROWSE_DOWN, OPC_BROWSE_TO = 1, 2, 3
OPC_ENUM_ALL = 6


def plain(value):
    """An element of an impacket array as a Python value."""
    return value if isinstance(value, (int, float, str, bytes)) else value['Data']


def ints(array):
    return [plain(e) for e in array]


def signed(value):
    value = plain(value)
    return value - (1 << 32) if value >= 1 << 31 else value


class Remote:
    """One interface of a remote object, as impacket's INTERFACE holds it."""

    def __init__(self, interface, iid):
        self.interface = interface
        self.iid = iid

    def call(self, request):
        request['ORPCthis'] = self.interface.get_cinstance().get_ORPCthis()
        request['ORPCthis']['flags'] = 0
        self.interface.connect(self.iid)
        return self.interface.get_dce_rpc().request(request, self.interface.get_iPid(), checkError=False)

    def query(self, iid):
        return Remote(self.interface.RemQueryInterface(1, (iid,)), iid)

    def unwrap(self, pointer, iid):
        interface = INTERFACE(self.interface.get_cinstance(), b''.join(pointer['abData']),
                              self.interface.get_ipidRemUnknown(), target=self.interface.get_target())
        return Remote(IRemUnknown2(interface), iid)

    def release(self):
        self.interface.RemRelease()


def text(value):
    return value + '\x00'


def untext(value):
    value = plain(value)
    return value[:-1] if value and value.endswith('\x00') else value


def result(answer):
    return signed(answer['ErrorCode'])


def expect(condition, what):
    if not condition:
        raise AssertionError(what)


def expect_result(answer, wanted, what):
    got = result(answer)
    expect(got == wanted, '%s: result 0x%08X, wanted 0x%08X' % (what, got & 0xFFFFFFFF, wanted & 0xFFFFFFFF))


def item_def(item_id, client, access_path='', active=True, vt=0):
    definition = opc.OPCITEMDEF()
    definition['szAccessPath'] = text(access_path)
    definition['szItemID'] = text(item_id)
    definition['bActive'] = 1 if active else 0
    definition['hClient'] = client
    definition['dwBlobSize'] = 0
    definition['pBlob'] = NULL
    definition['vtRequestedDataType'] = vt
    definition['wReserved'] = 0
    return definition


def variant_value(v):
    vt = v['vt']
    if vt == VT_I4:
        return vt, v['_varUnion']['lVal']
    if vt == VT_R8:
        return vt, v['_varUnion']['dblVal']
    if vt == VT_BSTR:
        return vt, v['_varUnion']['bstrVal']['asData']
    return vt, None


def strings_of(enumerator, chunk=100):
    """Every string an IEnumString hands out."""
    names = []
    while True:
        request = opc.NextString()
        request['celt'] = chunk
        answer = enumerator.call(request)
        fetched = answer['pceltFetched']
        expect(len(answer['rgelt']) == fetched, 'IEnumString::Next: %d strings for %d fetched' % (
            len(answer['rgelt']), fetched))
        names += [untext(s) for s in answer['rgelt']]
        if result(answer) != S_OK:
            expect_result(answer, S_FALSE, 'IEnumString::Next at the end')
            return names


def add_items(items, definitions):
    request = opc.AddItems()
    request['dwCount'] = len(definitions)
    for definition in definitions:
        request['pItemArray'].append(definition)
    return items.call(request)


def handles_array(handles, kind=None):
    """A list of NDR scalars for an array parameter."""
    result = []
    for handle in handles:
        element = (kind or DWORD)()
        element['Data'] = handle
        result.append(element)
    return result


class Flow:
    """The checks, sharing one connection and the server object."""

    def __init__(self, scratch):
        self.scratch = scratch
        self.dcom = DCOMConnection('127.0.0.1', 'opcuser', PASSWORD, 'TESTDOM', oxidResolver=True,
                                   authLevel=rpcrt.RPC_C_AUTHN_LEVEL_PKT_PRIVACY)
        unknown = self.dcom.CoCreateInstanceEx(string_to_bin(CLSID_SAMPLE), opc.IID_IUnknown)
        self.server = Remote(unknown.RemQueryInterface(1, (opc.IID_IOPCServer,)), opc.IID_IOPCServer)

    def close(self):
        self.dcom.disconnect()

    def add_group(self, name, iid=opc.IID_IOPCItemMgt, rate=1000, client=7, deadband=None):
        request = opc.AddGroup()
        request['szName'] = text(name)
        request['bActive'] = 1
        request['dwRequestedUpdateRate'] = rate
        request['hClientGroup'] = client
        request['pTimeBias'] = NULL
        if deadband is None:
            request['pPercentDeadband'] = NULL
        else:
            request['pPercentDeadband'] = deadband
        request['dwLCID'] = 0x409
        request['riid'] = iid
        answer = self.server.call(request)
        expect_result(answer, S_OK, 'AddGroup %s' % name)
        return self.server.unwrap(answer['ppUnk'], iid), answer['phServerGroup'], answer['pRevisedUpdateRate']

    def remove_group(self, handle, force=False):
        request = opc.RemoveGroup()
        request['hServerGroup'] = handle
        request['bForce'] = 1 if force else 0
        return self.server.call(request)

    # ---- IOPCCommon
    def check_common(self):
        common = self.server.query(opc.IID_IOPCCommon)
        answer = common.call(opc.QueryAvailableLocaleIDs())
        expect_result(answer, S_OK, 'QueryAvailableLocaleIDs')
        locales = ints(answer['pdwLcid'])
        expect(answer['pdwCount'] == len(locales) and locales, 'locales %r' % locales)
        request = opc.SetLocaleID()
        request['dwLcid'] = locales[-1]
        expect_result(common.call(request), S_OK, 'SetLocaleID')
        answer = common.call(opc.GetLocaleID())
        expect(answer['Value'] == locales[-1], 'GetLocaleID %r' % answer['Value'])
        request['dwLcid'] = 0x12345
        expect_result(common.call(request), E_INVALIDARG, 'SetLocaleID of an unknown locale')
        request = opc.CommonGetErrorString()
        request['dwError'] = OPC_E_UNKNOWNITEMID
        answer = common.call(request)
        expect_result(answer, S_OK, 'IOPCCommon::GetErrorString')
        expect(len(untext(answer['ppString'])) > 5, 'error text %r' % answer['ppString'])
        request = opc.SetClientName()
        request['szName'] = text('impacket client \u00e9')
        expect_result(common.call(request), S_OK, 'SetClientName')
        common.release()

    # ---- IOPCServer
    def check_server(self):
        answer = self.server.call(opc.GetStatus())
        expect_result(answer, S_OK, 'GetStatus')
        status = answer['ppServerStatus']
        expect(status['dwServerState'] == 1, 'server state %r' % status['dwServerState'])
        expect(len(untext(status['szVendorInfo'])) > 0, 'vendor info')
        request = opc.ServerGetErrorString()
        request['dwError'] = OPC_E_INVALIDHANDLE
        request['dwLocale'] = 0x409
        answer = self.server.call(request)
        expect_result(answer, S_OK, 'IOPCServer::GetErrorString')
        expect(untext(answer['ppString']), 'error text')

        group, handle, rate = self.add_group('Wire group', rate=1000)
        request = opc.GetGroupByName()
        request['szName'] = text('Wire group')
        request['riid'] = opc.IID_IOPCGroupStateMgt
        answer = self.server.call(request)
        expect_result(answer, S_OK, 'GetGroupByName')
        by_name = self.server.unwrap(answer['ppUnk'], opc.IID_IOPCGroupStateMgt)
        state = by_name.call(opc.GetState())
        expect(state['phServerGroup'] == handle, 'the group found by name is the one added')
        by_name.release()
        request['szName'] = text('No such group')
        answer = self.server.call(request)
        expect(result(answer) < 0, 'GetGroupByName of an unknown name fails')

        request = opc.CreateGroupEnumerator()
        request['dwScope'] = OPC_ENUM_ALL
        request['riid'] = opc.IID_IEnumString
        answer = self.server.call(request)
        expect_result(answer, S_OK, 'CreateGroupEnumerator(IEnumString)')
        names = self.server.unwrap(answer['ppUnk'], opc.IID_IEnumString)
        expect('Wire group' in strings_of(names), 'group names')
        names.release()
        request['riid'] = opc.IID_IEnumUnknown
        answer = self.server.call(request)
        expect_result(answer, S_OK, 'CreateGroupEnumerator(IEnumUnknown)')
        groups = self.server.unwrap(answer['ppUnk'], opc.IID_IEnumUnknown)
        next_request = opc.NextUnknown()
        next_request['celt'] = 50
        answer = groups.call(next_request)
        expect(answer['pceltFetched'] >= 1 and len(answer['rgelt']) == answer['pceltFetched'], 'IEnumUnknown::Next')
        first = self.server.unwrap(answer['rgelt'][0], opc.IID_IUnknown)
        first.query(opc.IID_IOPCGroupStateMgt).release()
        self.check_enumerator_basics(groups, opc.IID_IEnumUnknown)
        groups.release()

        OPC_S_INUSE = 0x0004000F
        expect_result(self.remove_group(handle), OPC_S_INUSE, 'RemoveGroup of a group still referenced')
        group.release()
        expect(result(self.remove_group(handle)) < 0, 'RemoveGroup of a removed group')

    def check_enumerator_basics(self, enumerator, iid):
        request = opc.Skip()
        request['celt'] = 1
        expect(result(enumerator.call(request)) in (S_OK, S_FALSE), 'Skip')
        expect_result(enumerator.call(opc.Reset()), S_OK, 'Reset')
        answer = enumerator.call(opc.Clone())
        expect_result(answer, S_OK, 'Clone')
        enumerator.unwrap(answer['ppUnk'], iid).release()

    # ---- IOPCBrowseServerAddressSpace
    def check_browse(self):
        browse = self.server.query(opc.IID_IOPCBrowseServerAddressSpace)
        answer = browse.call(opc.QueryOrganization())
        expect(result(answer) == S_OK and answer['pNameSpaceType'] == 1, 'QueryOrganization')
        request = opc.ChangeBrowsePosition()
        request['dwBrowseDirection'] = OPC_BROWSE_DOWN
        request['szString'] = text('Static')
        expect_result(browse.call(request), S_OK, 'ChangeBrowsePosition down')
        request['szString'] = text('Nowhere')
        expect(result(browse.call(request)) < 0, 'ChangeBrowsePosition into an unknown branch fails')
        listing = opc.BrowseOPCItemIDs()
        listing['dwBrowseFilterType'] = OPC_LEAF
        listing['szFilterCriteria'] = text('')
        listing['vtDataTypeFilter'] = 0
        listing['dwAccessRightsFilter'] = 0
        answer = browse.call(listing)
        expect_result(answer, S_OK, 'BrowseOPCItemIDs')
        leaves = browse.unwrap(answer['ppUnk'], opc.IID_IEnumString)
        names = strings_of(leaves, chunk=3)
        expect('I4' in names and 'BSTR' in names, 'leaves of Static: %r' % names)
        self.check_enumerator_basics(leaves, opc.IID_IEnumString)
        leaves.release()
        request = opc.GetItemID()
        request['szItemDataID'] = text('I4')
        answer = browse.call(request)
        expect(result(answer) == S_OK and untext(answer['ppString']) == 'Static.I4', 'GetItemID')
        up = opc.ChangeBrowsePosition()
        up['dwBrowseDirection'] = OPC_BROWSE_UP
        up['szString'] = text('')
        expect_result(browse.call(up), S_OK, 'ChangeBrowsePosition up')
        listing['dwBrowseFilterType'] = OPC_FLAT
        answer = browse.call(listing)
        expect_result(answer, S_OK, 'BrowseOPCItemIDs flat')
        flat = browse.unwrap(answer['ppUnk'], opc.IID_IEnumString)
        expect('Simulation.Ramp' in strings_of(flat), 'flat listing')
        flat.release()
        paths = opc.BrowseAccessPaths()
        paths['szItemID'] = text('Paths.Level')
        answer = browse.call(paths)
        expect_result(answer, S_OK, 'BrowseAccessPaths')
        enumerator = browse.unwrap(answer['ppUnk'], opc.IID_IEnumString)
        expect(strings_of(enumerator) == ['Line1', 'Line2'], 'access paths')
        enumerator.release()
        browse.release()

    # ---- IOPCItemProperties
    def check_properties(self):
        properties = self.server.query(opc.IID_IOPCItemProperties)
        request = opc.QueryAvailableProperties()
        request['szItemID'] = text('Analog.Temperature')
        answer = properties.call(request)
        expect_result(answer, S_OK, 'QueryAvailableProperties')
        ids = ints(answer['ppPropertyIDs'])
        expect(answer['pdwCount'] == len(ids) == len(answer['ppDescriptions']) == len(answer['ppvtDataTypes']),
               'property arrays')
        expect(1 in ids and 100 in ids, 'property ids %r' % ids)
        request['szItemID'] = text('No.Such.Item')
        expect(result(properties.call(request)) < 0, 'QueryAvailableProperties of an unknown item fails')
        values = opc.GetItemProperties()
        values['szItemID'] = text('Static.I4')
        values['dwCount'] = 3
        values['pdwPropertyIDs'] = handles_array([1, 2, 4999])
        answer = properties.call(values)
        expect_result(answer, S_FALSE, 'GetItemProperties with an unknown property')
        errors = [signed(e) for e in answer['ppErrors']]
        expect(errors[0] == S_OK and errors[1] == S_OK and errors[2] < 0, 'property errors %r' % errors)
        expect(variant_value(answer['ppvData'][1]) == (VT_I4, -123456), 'property value')
        lookup = opc.LookupItemIDs()
        lookup['szItemID'] = text('Analog.Temperature')
        lookup['dwCount'] = 2
        lookup['pdwPropertyIDs'] = handles_array([100, 2])
        answer = properties.call(lookup)
        expect(result(answer) in (S_OK, S_FALSE), 'LookupItemIDs')
        expect(untext(answer['ppszNewItemIDs'][0]).endswith('EngineeringUnits'), 'looked-up id %r' % (
            answer['ppszNewItemIDs'][0],))
        properties.release()

    # ---- IOPCItemMgt, IOPCSyncIO, IEnumOPCItemAttributes
    def check_items(self):
        items, group_handle, _ = self.add_group('Items group')
        definitions = [item_def('Static.I4', 1), item_def('Static.BSTR', 2), item_def('No.Such.Item', 3),
                       item_def('Access.ReadOnly', 4), item_def('Access.WriteOnly', 5), item_def('', 6)]
        answer = add_items(items, definitions)
        expect_result(answer, S_FALSE, 'AddItems with bad items')
        errors = [signed(e) for e in answer['ppErrors']]
        expect(errors[:2] == [S_OK, S_OK] and errors[2] == OPC_E_UNKNOWNITEMID and errors[3:5] == [S_OK, S_OK]
               and errors[5] == OPC_E_INVALIDITEMID, 'AddItems errors %r' % errors)
        results = answer['ppResults']
        expect(results[0]['vtCanonicalDataType'] == VT_I4 and results[3]['dwAccessRights'] == 1,
               'item results')
        handles = [results[i]['hServer'] for i in range(6)]
        i4, bstr, read_only, write_only = handles[0], handles[1], handles[3], handles[4]

        request = opc.ValidateItems()
        request['dwCount'] = 2
        request['pItemArray'].append(item_def('Static.R8', 9))
        request['pItemArray'].append(item_def('Static.Nothing', 10))
        request['bBlobUpdate'] = 0
        answer = items.call(request)
        errors = [signed(e) for e in answer['ppErrors']]
        expect(result(answer) == S_FALSE and errors[0] == S_OK and errors[1] == OPC_E_UNKNOWNITEMID,
               'ValidateItems %r' % errors)

        sync = items.query(opc.IID_IOPCSyncIO)
        read = opc.SyncRead()
        read['dwSource'] = OPC_DS_DEVICE
        read['dwCount'] = 4
        read['phServer'] = handles_array([i4, bstr, write_only, 0xDEAD])
        answer = sync.call(read)
        expect_result(answer, S_FALSE, 'Read with bad handles')
        errors = [signed(e) for e in answer['ppErrors']]
        expect(errors == [S_OK, S_OK, OPC_E_BADRIGHTS, OPC_E_INVALIDHANDLE], 'Read errors %r' % errors)
        states = answer['ppItemValues']
        expect(variant_value(states[0]['vDataValue']) == (VT_I4, -123456), 'I4 value')
        expect(variant_value(states[1]['vDataValue']) == (VT_BSTR, 'Hello OPC'), 'BSTR value %r' % (
            variant_value(states[1]['vDataValue']),))
        expect(states[0]['hClient'] == 1 and states[0]['wQuality'] == 0xC0, 'client handle and quality')

        # Writes carry stub bytes encoded in opc_interfaces (see there why).
        write = opc.SyncWrite([i4, read_only, write_only, 0xDEAD],
                              [(VT_I4, -7), (VT_I4, 5), (VT_R8, 99.0), (VT_I4, 1)])
        answer = sync.call(write)
        expect_result(answer, S_FALSE, 'Write with bad rights and a bad handle')
        errors = [signed(e) for e in answer['ppErrors']]
        expect(errors == [S_OK, OPC_E_BADRIGHTS, S_OK, OPC_E_INVALIDHANDLE], 'Write errors %r' % errors)
        read['dwCount'] = 2
        read['phServer'] = handles_array([i4, read_only])
        answer = sync.call(read)
        values = [variant_value(state['vDataValue']) for state in answer['ppItemValues']]
        expect(values == [(VT_I4, -7), (VT_I4, 1234)], 'values after Write %r' % values)
        # A VT_R8 into the VT_I4 item, converted by the server; it also puts
        # the value back for the checks that follow.
        answer = sync.call(opc.SyncWrite([i4], [(VT_R8, -123456.0)]))
        expect(result(answer) == S_OK and [signed(e) for e in answer['ppErrors']] == [S_OK], 'Write of a VT_R8')
        read['dwCount'] = 1
        read['phServer'] = handles_array([i4])
        answer = sync.call(read)
        expect(variant_value(answer['ppItemValues'][0]['vDataValue']) == (VT_I4, -123456), 'value written back')
        read['dwSource'] = OPC_DS_CACHE
        read['dwCount'] = 3
        read['phServer'] = handles_array([i4, bstr, read_only])
        answer = sync.call(read)
        expect_result(answer, S_OK, 'Read from the cache')
        expect(variant_value(answer['ppItemValues'][2]['vDataValue']) == (VT_I4, 1234), 'read-only value')

        active = opc.SetActiveState()
        active['dwCount'] = 2
        active['phServer'] = handles_array([i4, 0xDEAD])
        active['bActive'] = 0
        answer = items.call(active)
        expect([signed(e) for e in answer['ppErrors']] == [S_OK, OPC_E_INVALIDHANDLE], 'SetActiveState')
        clients = opc.SetClientHandles()
        clients['dwCount'] = 1
        clients['phServer'] = handles_array([i4])
        clients['phClient'] = handles_array([41])
        expect_result(items.call(clients), S_OK, 'SetClientHandles')
        types = opc.SetDatatypes()
        types['dwCount'] = 2
        types['phServer'] = handles_array([i4, 0xDEAD])
        types['pRequestedDatatypes'] = handles_array([VT_R8, VT_R8], USHORT)
        answer = items.call(types)
        expect([signed(e) for e in answer['ppErrors']] == [S_OK, OPC_E_INVALIDHANDLE], 'SetDatatypes')
        read['dwCount'] = 1
        read['phServer'] = handles_array([i4])
        answer = sync.call(read)
        expect(variant_value(answer['ppItemValues'][0]['vDataValue']) == (VT_R8, -123456.0), 'value as VT_R8')
        expect(answer['ppItemValues'][0]['hClient'] == 41, 'new client handle')

        request = opc.CreateEnumerator()
        request['riid'] = opc.IID_IEnumOPCItemAttributes
        answer = items.call(request)
        expect_result(answer, S_OK, 'CreateEnumerator')
        attributes = items.unwrap(answer['ppUnk'], opc.IID_IEnumOPCItemAttributes)
        next_request = opc.NextItemAttributes()
        next_request['celt'] = 100
        answer = attributes.call(next_request)
        expect_result(answer, S_FALSE, 'IEnumOPCItemAttributes::Next')
        listed = [untext(a['szItemID']) for a in answer['ppItemArray']]
        expect(answer['pceltFetched'] == 4 and 'Static.I4' in listed, 'item attributes %r' % listed)
        self.check_enumerator_basics(attributes, opc.IID_IEnumOPCItemAttributes)
        attributes.release()

        remove = opc.RemoveItems()
        remove['dwCount'] = 2
        remove['phServer'] = handles_array([bstr, 0xDEAD])
        answer = items.call(remove)
        expect([signed(e) for e in answer['ppErrors']] == [S_OK, OPC_E_INVALIDHANDLE], 'RemoveItems')

        self.check_async(items, i4)
        self.check_group_state(items, group_handle)
        sync.release()
        OPC_E_PUBLIC = -1073479675
        expect_result(self.remove_group(group_handle, force=True), OPC_E_PUBLIC, 'RemoveGroup of a public group')
        groups = self.server.query(opc.IID_IOPCServerPublicGroups)
        remove = opc.RemovePublicGroup()
        remove['hServerGroup'] = group_handle
        remove['bForce'] = 1
        expect_result(groups.call(remove), S_OK, 'RemovePublicGroup')
        groups.release()
        items.release()

    def check_async(self, items, handle):
        async_io = items.query(opc.IID_IOPCAsyncIO)
        read = opc.AsyncRead()
        read['dwConnection'] = 12345
        read['dwSource'] = OPC_DS_DEVICE
        read['dwCount'] = 1
        read['phServer'] = handles_array([handle])
        expect(result(async_io.call(read)) < 0, 'AsyncIO Read without an advise connection fails')
        refresh = opc.Refresh()
        refresh['dwConnection'] = 12345
        refresh['dwSource'] = OPC_DS_CACHE
        expect(result(async_io.call(refresh)) < 0, 'AsyncIO Refresh without an advise connection fails')
        # The request decodes (an answer, not a fault) and is refused for the
        # missing connection like the Read.
        answer = async_io.call(opc.AsyncWrite(12345, [handle, 0xDEAD], [(VT_I4, 1), (VT_R8, 2.5)]))
        expect(result(answer) < 0, 'AsyncIO Write without an advise connection fails')
        cancel = opc.Cancel()
        cancel['dwTransactionID'] = 999
        expect(result(async_io.call(cancel)) < 0, 'AsyncIO Cancel of an unknown transaction fails')
        async_io.release()

    def check_group_state(self, items, handle):
        state = items.query(opc.IID_IOPCGroupStateMgt)
        answer = state.call(opc.GetState())
        expect(result(answer) == S_OK and untext(answer['ppName']) == 'Items group' and
               answer['phServerGroup'] == handle and answer['phClientGroup'] == 7, 'GetState')
        request = opc.SetState()
        request['pRequestedUpdateRate'] = 500
        request['pActive'] = NULL
        request['pTimeBias'] = NULL
        request['pPercentDeadband'] = 2.5
        request['pLCID'] = NULL
        request['phClientGroup'] = 8
        answer = state.call(request)
        expect(result(answer) >= 0 and answer['Value'] > 0, 'SetState')
        answer = state.call(opc.GetState())
        expect(answer['phClientGroup'] == 8 and abs(answer['pPercentDeadband'] - 2.5) < 1e-6, 'state after SetState')
        request = opc.SetName()
        request['szName'] = text('Renamed group')
        expect_result(state.call(request), S_OK, 'SetName')
        clone = opc.CloneGroup()
        clone['szName'] = text('Cloned group')
        clone['riid'] = opc.IID_IOPCGroupStateMgt
        answer = state.call(clone)
        expect_result(answer, S_OK, 'CloneGroup')
        cloned = state.unwrap(answer['ppUnk'], opc.IID_IOPCGroupStateMgt)
        cloned_handle = cloned.call(opc.GetState())['phServerGroup']
        cloned.release()
        expect_result(self.remove_group(cloned_handle, force=True), S_OK, 'RemoveGroup of the clone')

        public = items.query(opc.IID_IOPCPublicGroupStateMgt)
        answer = public.call(opc.GetPublicState())
        expect(result(answer) == S_OK and answer['Value'] == 0, 'public state of a private group')
        expect_result(public.call(opc.MoveToPublic()), S_OK, 'MoveToPublic')
        answer = public.call(opc.GetPublicState())
        expect(answer['Value'] != 0, 'public after MoveToPublic')
        public.release()
        groups = self.server.query(opc.IID_IOPCServerPublicGroups)
        request = opc.GetPublicGroupByName()
        request['szName'] = text('Renamed group')
        request['riid'] = opc.IID_IOPCItemMgt
        answer = groups.call(request)
        expect_result(answer, S_OK, 'GetPublicGroupByName')
        groups.unwrap(answer['ppUnk'], opc.IID_IOPCItemMgt).release()
        remove = opc.RemovePublicGroup()
        remove['hServerGroup'] = 0xDEAD
        remove['bForce'] = 0
        expect_result(groups.call(remove), E_INVALIDARG, 'RemovePublicGroup of a bad handle')
        groups.release()
        state.release()

    # ---- IConnectionPointContainer, IConnectionPoint
    def check_connection_points(self):
        container = self.server.query(opc.IID_IConnectionPointContainer)
        request = opc.FindConnectionPoint()
        request['riid'] = opc.IID_IOPCShutdown
        answer = container.call(request)
        expect_result(answer, S_OK, 'FindConnectionPoint')
        point = container.unwrap(answer['ppUnk'], opc.IID_IConnectionPoint)
        answer = point.call(opc.GetConnectionInterface())
        expect(result(answer) == S_OK and bytes(answer['Value']) == opc.IID_IOPCShutdown,
               'GetConnectionInterface')
        answer = point.call(opc.GetConnectionPointContainer())
        expect_result(answer, S_OK, 'GetConnectionPointContainer')
        point.unwrap(answer['ppUnk'], opc.IID_IConnectionPointContainer).release()
        advise = opc.Advise()
        advise['pUnkSink']['ulCntData'] = 4
        advise['pUnkSink']['abData'] = list(b'MEOW')
        expect_result(point.call(advise), CONNECT_E_CANNOTCONNECT, 'Advise before callbacks exist')
        unadvise = opc.Unadvise()
        unadvise['dwCookie'] = 1
        expect(result(point.call(unadvise)) < 0, 'Unadvise of an unknown cookie')
        expect(result(point.call(opc.EnumConnections())) < 0, 'EnumConnections')
        point.release()
        request['riid'] = opc.IID_IUnknown
        expect(result(container.call(request)) < 0, 'FindConnectionPoint of an unknown interface')
        answer = container.call(opc.EnumConnectionPoints())
        expect_result(answer, S_OK, 'EnumConnectionPoints')
        points = container.unwrap(answer['ppUnk'], string_to_bin('B196B285-BAB4-101A-B69C-00AA00341D07'))
        next_request = opc.NextUnknown()
        next_request['celt'] = 5
        answer = points.call(next_request)
        expect(answer['pceltFetched'] == 1, 'one connection point')
        points.release()
        container.release()

    # ---- IPersistFile
    def check_persist(self):
        persist = self.server.query(opc.IID_IPersistFile)
        answer = persist.call(opc.GetClassID())
        expect(result(answer) == S_OK and bin_to_string(bytes(answer['Value'])).upper() == CLSID_SAMPLE,
               'GetClassID')
        expect(result(persist.call(opc.IsDirty())) in (S_OK, S_FALSE), 'IsDirty')
        path = os.path.join(self.scratch, 'groups.cfg')
        self.add_group('Saved group')
        save = opc.Save()
        save['pszFileName'] = text(path)
        save['fRemember'] = 1
        expect_result(persist.call(save), S_OK, 'Save')
        completed = opc.SaveCompleted()
        completed['pszFileName'] = text(path)
        expect_result(persist.call(completed), S_OK, 'SaveCompleted')
        answer = persist.call(opc.GetCurFile())
        expect(result(answer) == S_OK and untext(answer['ppString']) == path, 'GetCurFile')
        load = opc.Load()
        load['pszFileName'] = text(os.path.join(self.scratch, 'missing.cfg'))
        load['dwMode'] = 0
        expect(result(persist.call(load)) < 0, 'Load of a missing file fails')
        persist.release()

    # ---- 10,000 items in one call
    def check_many_items(self):
        items, handle, _ = self.add_group('Many items')
        definitions = [item_def('ManyItems.Item%d' % (i % 1000), i) for i in range(10000)]
        answer = add_items(items, definitions)
        expect_result(answer, S_OK, 'AddItems of 10,000 items')
        handles = [r['hServer'] for r in answer['ppResults']]
        expect(len(set(handles)) == 10000, 'distinct handles')
        sync = items.query(opc.IID_IOPCSyncIO)
        read = opc.SyncRead()
        read['dwSource'] = OPC_DS_CACHE
        read['dwCount'] = len(handles)
        read['phServer'] = handles_array(handles)
        answer = sync.call(read)
        expect_result(answer, S_OK, 'Read of 10,000 items')
        states = answer['ppItemValues']
        expect(len(states) == 10000 and all(variant_value(states[i]['vDataValue']) == (VT_I4, i % 1000)
                                            for i in range(0, 10000, 997)), 'values of 10,000 items')
        sync.release()
        expect_result(self.remove_group(handle, force=True), S_OK, 'RemoveGroup of many items')
        items.release()


def check_server_list():
    """On a connection of its own: impacket keeps one per thread, and its
    second activation on one connection re-binds the activator, which a
    server refuses."""
    outcome = []

    def run():
        dcom = DCOMConnection('127.0.0.1', 'opcuser', PASSWORD, 'TESTDOM', oxidResolver=True,
                              authLevel=rpcrt.RPC_C_AUTHN_LEVEL_PKT_PRIVACY)
        try:
            list_servers(dcom)
            outcome.append(None)
        except Exception as error:
            outcome.append(error)
        finally:
            dcom.disconnect()

    thread = threading.Thread(target=run, name='server list')
    thread.start()
    thread.join()
    if outcome != [None]:
        raise outcome[0] if outcome else RuntimeError('the server list check did not finish')


def list_servers(dcom):
    unknown = dcom.CoCreateInstanceEx(string_to_bin(opc.CLSID_OPCServerList), opc.IID_IUnknown)
    servers = Remote(unknown.RemQueryInterface(1, (opc.IID_IOPCServerList,)), opc.IID_IOPCServerList)
    request = opc.EnumClassesOfCategories()
    request['cImplemented'] = 1
    category = GUID()
    category['Data'] = opc.CATID_OPCDAServer20
    request['rgcatidImpl'].append(category)
    request['cRequired'] = 0
    answer = servers.call(request)
    expect_result(answer, S_OK, 'EnumClassesOfCategories')
    classes = servers.unwrap(answer['ppUnk'], opc.IID_IEnumGUID)
    next_request = opc.NextGuid()
    next_request['celt'] = 50
    answer = classes.call(next_request)
    found = [bin_to_string(bytes(plain(g))).upper() for g in answer['rgelt']]
    expect(CLSID_SAMPLE in found, 'the sample server is listed: %r' % found)
    classes.release()
    details = opc.GetClassDetails()
    details['clsid'] = string_to_bin(CLSID_SAMPLE)
    answer = servers.call(details)
    expect(result(answer) == S_OK and untext(answer['ppszProgID']) == 'Pelkor.DataSample', 'GetClassDetails')
    progid = opc.CLSIDFromProgID()
    progid['szProgId'] = text('Pelkor.DataSample')
    answer = servers.call(progid)
    expect(bin_to_string(bytes(answer['Value'])).upper() == CLSID_SAMPLE, 'CLSIDFromProgID')
    progid['szProgId'] = text('No.Such.Server')
    expect(result(servers.call(progid)) < 0, 'CLSIDFromProgID of an unknown ProgID fails')

    second = servers.query(opc.IID_IOPCServerList2)
    answer = second.call(request)
    expect_result(answer, S_OK, 'IOPCServerList2::EnumClassesOfCategories')
    classes = second.unwrap(answer['ppUnk'], opc.IID_IOPCEnumGUID)
    answer = classes.call(next_request)
    expect([bin_to_string(bytes(plain(g))).upper() for g in answer['rgelt']] == found, 'the same classes')
    classes.release()
    details = opc.GetClassDetails2()
    details['clsid'] = string_to_bin(CLSID_SAMPLE)
    answer = second.call(details)
    expect(result(answer) == S_OK and untext(answer['ppszProgID']) == 'Pelkor.DataSample.1' and
           untext(answer['ppszVerIndProgID']) == 'Pelkor.DataSample', 'IOPCServerList2::GetClassDetails')
    answer = second.call(progid)
    expect(result(answer) < 0, 'IOPCServerList2::CLSIDFromProgID of an unknown ProgID fails')
    second.release()
    servers.release()


def start_host(dcomhost, users, registry, log):
    host = subprocess.Popen([dcomhost, '--credentials', users, '--minimum-level', 'privacy'],
                            env=dict(os.environ, VELMORA_REGISTRY=registry), stderr=log)
    for _ in range(100):
        time.sleep(0.1)
        log.flush()
        with open(log.name) as text_file:
            if 'ready:' in text_file.read():
                return host
        if host.poll() is not None:
            break
    raise RuntimeError('dcomhost did not start')


def main():
    dcomhost, ntlmuser, registry = sys.argv[1:4]
    only = sys.argv[4:]
    failures = 0
    with tempfile.TemporaryDirectory() as scratch:
        users = os.path.join(scratch, 'users')
        subprocess.run([ntlmuser, users, 'add', 'opcuser', 'TESTDOM'], input=PASSWORD + '\n', text=True, check=True)
        log_path = os.path.join(scratch, 'host.log')
        with open(log_path, 'w') as log:
            host = start_host(dcomhost, users, registry, log)
            try:
                flow = Flow(scratch)
                checks = [('IOPCCommon', flow.check_common), ('IOPCServer and the group enumerators',
                                                               flow.check_server),
                          ('IOPCBrowseServerAddressSpace and IEnumString', flow.check_browse),
                          ('IOPCItemProperties', flow.check_properties),
                          ('groups, items, I/O and their enumerator', flow.check_items),
                          ('connection points', flow.check_connection_points),
                          ('IPersistFile', flow.check_persist),
                          ('10,000 items in one AddItems and one Read', flow.check_many_items),
                          ('the server list', check_server_list)]
                for name, check in checks:
                    if only and not any(word in name for word in only):
                        continue
                    try:
                        check()
                        print('PASS %s' % name)
                    except Exception as error:
                        failures += 1
                        print('FAIL %s: %s: %s' % (name, type(error).__name__, error))
                        traceback.print_exc()
                flow.close()
            finally:
                host.terminate()
                status = host.wait(timeout=30)
        if status != 0:
            print('FAIL host exited with %d' % status)
            failures += 1
        if failures:
            with open(log_path) as log:
                print(log.read()[-5000:])
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
