"""The OPC Data Access interfaces in impacket's NDR terms, written from the
published interface definitions: one request and one response class per
method, in the published order. Used by impacket_opc.py."""
import struct

from impacket.dcerpc.v5.dcomrt import DCOMCALL, DCOMANSWER, PMInterfacePointer
from impacket.dcerpc.v5.dcom.oaut import VARIANT
from impacket.dcerpc.v5.dtypes import BOOL, DWORD, FILETIME, GUID, HRESULT, LONG, LPWSTR, ULONG, USHORT, WSTR
from impacket.dcerpc.v5.ndr import (NDRFLOAT, NDRPOINTER, NDRSTRUCT, NDRUniConformantArray,
                                    NDRUniConformantVaryingArray)
from impacket.uuid import string_to_bin

IID_IUnknown = string_to_bin('00000000-0000-0000-C000-000000000046')
IID_IEnumUnknown = string_to_bin('00000100-0000-0000-C000-000000000046')
IID_IEnumString = string_to_bin('00000101-0000-0000-C000-000000000046')
IID_IPersistFile = string_to_bin('0000010B-0000-0000-C000-000000000046')
IID_IEnumGUID = string_to_bin('0002E000-0000-0000-C000-000000000046')
IID_IOPCServer = string_to_bin('39C13A4D-011E-11D0-9675-0020AFD8ADB3')
IID_IOPCServerPublicGroups = string_to_bin('39C13A4E-011E-11D0-9675-0020AFD8ADB3')
IID_IOPCBrowseServerAddressSpace = string_to_bin('39C13A4F-011E-11D0-9675-0020AFD8ADB3')
IID_IOPCGroupStateMgt = string_to_bin('39C13A50-011E-11D0-9675-0020AFD8ADB3')
IID_IOPCPublicGroupStateMgt = string_to_bin('39C13A51-011E-11D0-9675-0020AFD8ADB3')
IID_IOPCSyncIO = string_to_bin('39C13A52-011E-11D0-9675-0020AFD8ADB3')
IID_IOPCAsyncIO = string_to_bin('39C13A53-011E-11D0-9675-0020AFD8ADB3')
IID_IOPCItemMgt = string_to_bin('39C13A54-011E-11D0-9675-0020AFD8ADB3')
IID_IEnumOPCItemAttributes = string_to_bin('39C13A55-011E-11D0-9675-0020AFD8ADB3')
IID_IOPCItemProperties = string_to_bin('39C13A72-011E-11D0-9675-0020AFD8ADB3')
IID_IOPCCommon = string_to_bin('F31DFDE2-07B6-11D2-B2D8-0060083BA1FB')
IID_IOPCShutdown = string_to_bin('F31DFDE1-07B6-11D2-B2D8-0060083BA1FB')
IID_IOPCDataCallback = string_to_bin('39C13A70-011E-11D0-9675-0020AFD8ADB3')
IID_IConnectionPointContainer = string_to_bin('B196B284-BAB4-101A-B69C-00AA00341D07')
IID_IConnectionPoint = string_to_bin('B196B286-BAB4-101A-B69C-00AA00341D07')
IID_IOPCServerList = string_to_bin('13486D50-4821-11D2-A494-3CB306C10000')
IID_IOPCServerList2 = string_to_bin('9DD0B56C-AD9E-43EE-8305-487F3188BF7A')
IID_IOPCEnumGUID = string_to_bin('55C382C8-21C7-4E88-96C1-BECFB1E3F483')
CLSID_OPCServerList = '13486D51-4821-11D2-A494-3CB306C10000'
CATID_OPCDAServer20 = string_to_bin('63D5F432-CFE4-11D1-B2C8-0060083BA1FB')


# ---- Arrays and pointers

class DWORD_ARRAY(NDRUniConformantArray):
    item = DWORD


class PDWORD_ARRAY(NDRPOINTER):
    referent = (('Data', DWORD_ARRAY),)


class HRESULT_ARRAY(NDRUniConformantArray):
    item = HRESULT


class PHRESULT_ARRAY(NDRPOINTER):
    referent = (('Data', HRESULT_ARRAY),)


class USHORT_ARRAY(NDRUniConformantArray):
    item = USHORT


class PUSHORT_ARRAY(NDRPOINTER):
    referent = (('Data', USHORT_ARRAY),)


class BYTE_ARRAY(NDRUniConformantArray):
    item = 'c'


class PBYTE_ARRAY(NDRPOINTER):
    referent = (('Data', BYTE_ARRAY),)


class LPWSTR_ARRAY(NDRUniConformantArray):
    item = LPWSTR


class PLPWSTR_ARRAY(NDRPOINTER):
    referent = (('Data', LPWSTR_ARRAY),)


class LPWSTR_VARRAY(NDRUniConformantVaryingArray):
    item = LPWSTR


class VARIANT_ARRAY(NDRUniConformantArray):
    item = VARIANT


class PVARIANT_ARRAY(NDRPOINTER):
    referent = (('Data', VARIANT_ARRAY),)


class GUID_ARRAY(NDRUniConformantArray):
    item = GUID


class GUID_VARRAY(NDRUniConformantVaryingArray):
    item = GUID


class INTERFACE_VARRAY(NDRUniConformantVaryingArray):
    item = PMInterfacePointer


class PLONG(NDRPOINTER):
    referent = (('Data', LONG),)


class PDWORD(NDRPOINTER):
    referent = (('Data', DWORD),)


class PBOOL(NDRPOINTER):
    referent = (('Data', BOOL),)


class PFLOAT(NDRPOINTER):
    referent = (('Data', NDRFLOAT),)


# ---- Records

class OPCSERVERSTATUS(NDRSTRUCT):
    structure = (('ftStartTime', FILETIME), ('ftCurrentTime', FILETIME), ('ftLastUpdateTime', FILETIME),
                 ('dwServerState', USHORT), ('dwGroupCount', DWORD), ('dwBandWidth', DWORD),
                 ('wMajorVersion', USHORT), ('wMinorVersion', USHORT), ('wBuildNumber', USHORT),
                 ('wReserved', USHORT), ('szVendorInfo', LPWSTR))


class POPCSERVERSTATUS(NDRPOINTER):
    referent = (('Data', OPCSERVERSTATUS),)


class OPCITEMDEF(NDRSTRUCT):
    structure = (('szAccessPath', LPWSTR), ('szItemID', LPWSTR), ('bActive', BOOL), ('hClient', DWORD),
                 ('dwBlobSize', DWORD), ('pBlob', PBYTE_ARRAY), ('vtRequestedDataType', USHORT),
                 ('wReserved', USHORT))


class OPCITEMDEF_ARRAY(NDRUniConformantArray):
    item = OPCITEMDEF


class OPCITEMRESULT(NDRSTRUCT):
    structure = (('hServer', DWORD), ('vtCanonicalDataType', USHORT), ('wReserved', USHORT),
                 ('dwAccessRights', DWORD), ('dwBlobSize', DWORD), ('pBlob', PBYTE_ARRAY))


class OPCITEMRESULT_ARRAY(NDRUniConformantArray):
    item = OPCITEMRESULT


class POPCITEMRESULT_ARRAY(NDRPOINTER):
    referent = (('Data', OPCITEMRESULT_ARRAY),)


class OPCITEMSTATE(NDRSTRUCT):
    structure = (('hClient', DWORD), ('ftTimeStamp', FILETIME), ('wQuality', USHORT), ('wReserved', USHORT),
                 ('vDataValue', VARIANT))


class OPCITEMSTATE_ARRAY(NDRUniConformantArray):
    item = OPCITEMSTATE


class POPCITEMSTATE_ARRAY(NDRPOINTER):
    referent = (('Data', OPCITEMSTATE_ARRAY),)


class OPCITEMATTRIBUTES(NDRSTRUCT):
    structure = (('szAccessPath', LPWSTR), ('szItemID', LPWSTR), ('bActive', BOOL), ('hClient', DWORD),
                 ('hServer', DWORD), ('dwAccessRights', DWORD), ('dwBlobSize', DWORD), ('pBlob', PBYTE_ARRAY),
                 ('vtRequestedDataType', USHORT), ('vtCanonicalDataType', USHORT), ('dwEUType', USHORT),
                 ('vEUInfo', VARIANT))


class OPCITEMATTRIBUTES_ARRAY(NDRUniConformantArray):
    item = OPCITEMATTRIBUTES


class POPCITEMATTRIBUTES_ARRAY(NDRPOINTER):
    referent = (('Data', OPCITEMATTRIBUTES_ARRAY),)


# ---- Shapes several methods share

class ResultAnswer(DCOMANSWER):
    structure = (('ErrorCode', HRESULT),)


class DwordAnswer(DCOMANSWER):
    structure = (('Value', DWORD), ('ErrorCode', HRESULT))


class TextAnswer(DCOMANSWER):
    structure = (('ppString', LPWSTR), ('ErrorCode', HRESULT))


class InterfaceAnswer(DCOMANSWER):
    structure = (('ppUnk', PMInterfacePointer), ('ErrorCode', HRESULT))


class GuidAnswer(DCOMANSWER):
    structure = (('Value', GUID), ('ErrorCode', HRESULT))


class ErrorsAnswer(DCOMANSWER):
    structure = (('ppErrors', PHRESULT_ARRAY), ('ErrorCode', HRESULT))


def method(name, opnum, params, answer):
    """A request class for one method; impacket finds the answer's class by
    the request's name with "Response" appended, in the request's module."""
    globals()[name + 'Response'] = type(name + 'Response', (answer,), {})
    return type(name, (DCOMCALL,), {'opnum': opnum, 'structure': tuple(params)})


# ---- IOPCServer
AddGroup = method('AddGroup', 3, [('szName', WSTR), ('bActive', BOOL), ('dwRequestedUpdateRate', DWORD),
                                  ('hClientGroup', DWORD), ('pTimeBias', PLONG), ('pPercentDeadband', PFLOAT),
                                  ('dwLCID', DWORD), ('riid', GUID)],
                  type('AddGroupAnswer', (DCOMANSWER,), {'structure': (
                      ('phServerGroup', DWORD), ('pRevisedUpdateRate', DWORD), ('ppUnk', PMInterfacePointer),
                      ('ErrorCode', HRESULT))}))
ServerGetErrorString = method('ServerGetErrorString', 4, [('dwError', HRESULT), ('dwLocale', DWORD)], TextAnswer)
GetGroupByName = method('GetGroupByName', 5, [('szName', WSTR), ('riid', GUID)], InterfaceAnswer)
GetStatus = method('GetStatus', 6, [], type('GetStatusAnswer', (DCOMANSWER,), {'structure': (
    ('ppServerStatus', POPCSERVERSTATUS), ('ErrorCode', HRESULT))}))
RemoveGroup = method('RemoveGroup', 7, [('hServerGroup', DWORD), ('bForce', BOOL)], ResultAnswer)
CreateGroupEnumerator = method('CreateGroupEnumerator', 8, [('dwScope', USHORT), ('riid', GUID)], InterfaceAnswer)

# ---- IOPCCommon
SetLocaleID = method('SetLocaleID', 3, [('dwLcid', DWORD)], ResultAnswer)
GetLocaleID = method('GetLocaleID', 4, [], DwordAnswer)
QueryAvailableLocaleIDs = method('QueryAvailableLocaleIDs', 5, [], type('LocalesAnswer', (DCOMANSWER,), {
    'structure': (('pdwCount', DWORD), ('pdwLcid', PDWORD_ARRAY), ('ErrorCode', HRESULT))}))
CommonGetErrorString = method('CommonGetErrorString', 6, [('dwError', HRESULT)], TextAnswer)
SetClientName = method('SetClientName', 7, [('szName', WSTR)], ResultAnswer)

# ---- IOPCServerPublicGroups
GetPublicGroupByName = method('GetPublicGroupByName', 3, [('szName', WSTR), ('riid', GUID)], InterfaceAnswer)
RemovePublicGroup = method('RemovePublicGroup', 4, [('hServerGroup', DWORD), ('bForce', BOOL)], ResultAnswer)

# ---- IOPCBrowseServerAddressSpace
QueryOrganization = method('QueryOrganization', 3, [], type('OrganizationAnswer', (DCOMANSWER,), {
    'structure': (('pNameSpaceType', USHORT), ('ErrorCode', HRESULT))}))
ChangeBrowsePosition = method('ChangeBrowsePosition', 4, [('dwBrowseDirection', USHORT), ('szString', WSTR)],
                              ResultAnswer)
BrowseOPCItemIDs = method('BrowseOPCItemIDs', 5, [('dwBrowseFilterType', USHORT), ('szFilterCriteria', WSTR),
                                                  ('vtDataTypeFilter', USHORT), ('dwAccessRightsFilter', DWORD)],
                          InterfaceAnswer)
GetItemID = method('GetItemID', 6, [('szItemDataID', WSTR)], TextAnswer)
BrowseAccessPaths = method('BrowseAccessPaths', 7, [('szItemID', WSTR)], InterfaceAnswer)

# ---- IOPCItemProperties
QueryAvailableProperties = method('QueryAvailableProperties', 3, [('szItemID', WSTR)], type(
    'AvailablePropertiesAnswer', (DCOMANSWER,), {'structure': (
        ('pdwCount', DWORD), ('ppPropertyIDs', PDWORD_ARRAY), ('ppDescriptions', PLPWSTR_ARRAY),
        ('ppvtDataTypes', PUSHORT_ARRAY), ('ErrorCode', HRESULT))}))
GetItemProperties = method('GetItemProperties', 4, [('szItemID', WSTR), ('dwCount', DWORD),
                                                    ('pdwPropertyIDs', DWORD_ARRAY)],
                           type('PropertiesAnswer', (DCOMANSWER,), {'structure': (
                               ('ppvData', PVARIANT_ARRAY), ('ppErrors', PHRESULT_ARRAY), ('ErrorCode', HRESULT))}))
LookupItemIDs = method('LookupItemIDs', 5, [('szItemID', WSTR), ('dwCount', DWORD), ('pdwPropertyIDs', DWORD_ARRAY)],
                       type('LookupAnswer', (DCOMANSWER,), {'structure': (
                           ('ppszNewItemIDs', PLPWSTR_ARRAY), ('ppErrors', PHRESULT_ARRAY),
                           ('ErrorCode', HRESULT))}))

# ---- IPersistFile (IPersist::GetClassID first)
GetClassID = method('GetClassID', 3, [], GuidAnswer)
IsDirty = method('IsDirty', 4, [], ResultAnswer)
Load = method('Load', 5, [('pszFileName', WSTR), ('dwMode', DWORD)], ResultAnswer)
Save = method('Save', 6, [('pszFileName', LPWSTR), ('fRemember', BOOL)], ResultAnswer)
SaveCompleted = method('SaveCompleted', 7, [('pszFileName', LPWSTR)], ResultAnswer)
GetCurFile = method('GetCurFile', 8, [], TextAnswer)

# ---- IOPCGroupStateMgt
GetState = method('GetState', 3, [], type('GroupStateAnswer', (DCOMANSWER,), {'structure': (
    ('pUpdateRate', DWORD), ('pActive', BOOL), ('ppName', LPWSTR), ('pTimeBias', LONG),
    ('pPercentDeadband', NDRFLOAT), ('pLCID', DWORD), ('phClientGroup', DWORD), ('phServerGroup', DWORD),
    ('ErrorCode', HRESULT))}))
SetState = method('SetState', 4, [('pRequestedUpdateRate', PDWORD), ('pActive', PBOOL), ('pTimeBias', PLONG),
                                  ('pPercentDeadband', PFLOAT), ('pLCID', PDWORD), ('phClientGroup', PDWORD)],
                  DwordAnswer)
SetName = method('SetName', 5, [('szName', WSTR)], ResultAnswer)
CloneGroup = method('CloneGroup', 6, [('szName', WSTR), ('riid', GUID)], InterfaceAnswer)

# ---- IOPCPublicGroupStateMgt
GetPublicState = method('GetPublicState', 3, [], DwordAnswer)
MoveToPublic = method('MoveToPublic', 4, [], ResultAnswer)

# ---- IOPCItemMgt
ItemResultsAnswer = type('ItemResultsAnswer', (DCOMANSWER,), {'structure': (
    ('ppResults', POPCITEMRESULT_ARRAY), ('ppErrors', PHRESULT_ARRAY), ('ErrorCode', HRESULT))})
AddItems = method('AddItems', 3, [('dwCount', DWORD), ('pItemArray', OPCITEMDEF_ARRAY)], ItemResultsAnswer)
ValidateItems = method('ValidateItems', 4, [('dwCount', DWORD), ('pItemArray', OPCITEMDEF_ARRAY),
                                            ('bBlobUpdate', BOOL)], ItemResultsAnswer)
RemoveItems = method('RemoveItems', 5, [('dwCount', DWORD), ('phServer', DWORD_ARRAY)], ErrorsAnswer)
SetActiveState = method('SetActiveState', 6, [('dwCount', DWORD), ('phServer', DWORD_ARRAY), ('bActive', BOOL)],
                        ErrorsAnswer)
SetClientHandles = method('SetClientHandles', 7, [('dwCount', DWORD), ('phServer', DWORD_ARRAY),
                                                  ('phClient', DWORD_ARRAY)], ErrorsAnswer)
SetDatatypes = method('SetDatatypes', 8, [('dwCount', DWORD), ('phServer', DWORD_ARRAY),
                                          ('pRequestedDatatypes', USHORT_ARRAY)], ErrorsAnswer)
CreateEnumerator = method('CreateEnumerator', 9, [('riid', GUID)], InterfaceAnswer)

# ---- IOPCSyncIO
SyncRead = method('SyncRead', 3, [('dwSource', USHORT), ('dwCount', DWORD), ('phServer', DWORD_ARRAY)], type(
    'SyncReadAnswer', (DCOMANSWER,), {'structure': (
        ('ppItemValues', POPCITEMSTATE_ARRAY), ('ppErrors', PHRESULT_ARRAY), ('ErrorCode', HRESULT))}))


# ---- Writes, encoded here
#
# impacket's NDR places the wireVARIANTs of a [size_is] VARIANT* array on
# 4-byte boundaries, while the structure holds 8-byte members and so is
# aligned to 8; a conforming server refuses such a request. The writes
# therefore carry stub bytes encoded below by the NDR 2.0 rules from the
# published definitions, and travel through impacket's DCOM call path like
# every other call: impacket encodes ORPCTHIS, the body follows it.

class StubBody:
    """Little-endian NDR 2.0 encoding, aligned from the start of the stub
    (base: the bytes in front of the body, ORPCTHIS)."""

    def __init__(self, base):
        self.base = base
        self.data = bytearray()

    def align(self, boundary):
        while (self.base + len(self.data)) % boundary:
            self.data.append(0)

    def put(self, fmt, value, boundary):
        self.align(boundary)
        self.data += struct.pack('<' + fmt, value)

    def u16(self, value):
        self.put('H', value, 2)

    def u32(self, value):
        self.put('I', value & 0xFFFFFFFF, 4)

    def f64(self, value):
        self.put('d', value, 8)

    def handles(self, handles):
        """A [size_is] OPCHANDLE* in parameter: the count, the elements."""
        self.u32(len(handles))
        for handle in handles:
            self.u32(handle)

    def variants(self, values):
        """A [size_is] VARIANT* in parameter. A VARIANT travels as a unique
        pointer to a wireVARIANT, so the array holds referent ids and the
        structures follow it in order, each aligned to 8: clSize (its size
        in 8-byte units), rpcReserved, vt, three reserved words, the union's
        tag (= vt), the arm. (vt, value) pairs of VT_I4 and VT_R8 only."""
        self.u32(len(values))
        for index in range(len(values)):
            self.u32(0x00020000 + 4 * index)
        for vt, value in values:
            self.align(8)
            start = len(self.data)
            self.u32(0)
            self.u32(0)
            self.u16(vt)
            for _ in range(3):
                self.u16(0)
            self.u32(vt)
            if vt == VT_I4:
                self.u32(value)
            elif vt == VT_R8:
                self.f64(value)
            else:
                raise ValueError('no encoding here for VARTYPE %d' % vt)
            size = len(self.data) - start
            self.data[start:start + 4] = struct.pack('<I', (size + 7) // 8)


class StubCall(DCOMCALL):
    """A request whose body is given as encoded bytes in self.body(base)."""
    structure = ()

    def getData(self, soFar=0):
        head = DCOMCALL.getData(self, soFar)
        return head + self.body(len(head))


VT_I4, VT_R8 = 3, 5


class SyncWrite(StubCall):
    """IOPCSyncIO::Write(dwCount, [size_is] phServer, [size_is] pItemValues)."""
    opnum = 4

    def __init__(self, handles, values):
        StubCall.__init__(self)
        self.handles, self.values = handles, values

    def body(self, base):
        stub = StubBody(base)
        stub.u32(len(self.handles))
        stub.handles(self.handles)
        stub.variants(self.values)
        return bytes(stub.data)


class SyncWriteResponse(ErrorsAnswer):
    pass


class AsyncWrite(StubCall):
    """IOPCAsyncIO::Write(dwConnection, dwCount, [size_is] phServer,
    [size_is] pItemValues)."""
    opnum = 4

    def __init__(self, connection, handles, values):
        StubCall.__init__(self)
        self.connection, self.handles, self.values = connection, handles, values

    def body(self, base):
        stub = StubBody(base)
        stub.u32(self.connection)
        stub.u32(len(self.handles))
        stub.handles(self.handles)
        stub.variants(self.values)
        return bytes(stub.data)


# ---- IOPCAsyncIO
TransactionAnswer = type('TransactionAnswer', (DCOMANSWER,), {'structure': (
    ('pTransactionID', DWORD), ('ppErrors', PHRESULT_ARRAY), ('ErrorCode', HRESULT))})
AsyncRead = method('AsyncRead', 3, [('dwConnection', DWORD), ('dwSource', USHORT), ('dwCount', DWORD),
                                    ('phServer', DWORD_ARRAY)], TransactionAnswer)


class AsyncWriteResponse(TransactionAnswer):
    pass
Refresh = method('Refresh', 5, [('dwConnection', DWORD), ('dwSource', USHORT)], DwordAnswer)
Cancel = method('Cancel', 6, [('dwTransactionID', DWORD)], ResultAnswer)

# ---- Enumerators: Next differs, Skip / Reset / Clone do not
Skip = method('Skip', 4, [('celt', ULONG)], ResultAnswer)
Reset = method('Reset', 5, [], ResultAnswer)
Clone = method('Clone', 6, [], InterfaceAnswer)
NextItemAttributes = method('NextItemAttributes', 3, [('celt', ULONG)], type('ItemAttributesAnswer', (DCOMANSWER,), {
    'structure': (('ppItemArray', POPCITEMATTRIBUTES_ARRAY), ('pceltFetched', ULONG), ('ErrorCode', HRESULT))}))
NextString = method('NextString', 3, [('celt', ULONG)], type('StringsAnswer', (DCOMANSWER,), {'structure': (
    ('rgelt', LPWSTR_VARRAY), ('pceltFetched', ULONG), ('ErrorCode', HRESULT))}))
NextUnknown = method('NextUnknown', 3, [('celt', ULONG)], type('UnknownsAnswer', (DCOMANSWER,), {'structure': (
    ('rgelt', INTERFACE_VARRAY), ('pceltFetched', ULONG), ('ErrorCode', HRESULT))}))
NextGuid = method('NextGuid', 3, [('celt', ULONG)], type('GuidsAnswer', (DCOMANSWER,), {'structure': (
    ('rgelt', GUID_VARRAY), ('pceltFetched', ULONG), ('ErrorCode', HRESULT))}))

# ---- IConnectionPointContainer, IConnectionPoint
EnumConnectionPoints = method('EnumConnectionPoints', 3, [], InterfaceAnswer)
FindConnectionPoint = method('FindConnectionPoint', 4, [('riid', GUID)], InterfaceAnswer)
GetConnectionInterface = method('GetConnectionInterface', 3, [], GuidAnswer)
GetConnectionPointContainer = method('GetConnectionPointContainer', 4, [], InterfaceAnswer)
Advise = method('Advise', 5, [('pUnkSink', PMInterfacePointer)], DwordAnswer)
Unadvise = method('Unadvise', 6, [('dwCookie', DWORD)], ResultAnswer)
EnumConnections = method('EnumConnections', 7, [], InterfaceAnswer)

# ---- IOPCServerList
EnumClassesOfCategories = method('EnumClassesOfCategories', 3, [
    ('cImplemented', ULONG), ('rgcatidImpl', GUID_ARRAY), ('cRequired', ULONG), ('rgcatidReq', GUID_ARRAY)],
    InterfaceAnswer)
GetClassDetails = method('GetClassDetails', 4, [('clsid', GUID)], type('ClassDetailsAnswer', (DCOMANSWER,), {
    'structure': (('ppszProgID', LPWSTR), ('ppszUserType', LPWSTR), ('ErrorCode', HRESULT))}))
CLSIDFromProgID = method('CLSIDFromProgID', 5, [('szProgId', WSTR)], GuidAnswer)

# ---- IOPCServerList2 (EnumClassesOfCategories and CLSIDFromProgID as above)
GetClassDetails2 = method('GetClassDetails2', 4, [('clsid', GUID)], type('ClassDetails2Answer', (DCOMANSWER,), {
    'structure': (('ppszProgID', LPWSTR), ('ppszUserType', LPWSTR), ('ppszVerIndProgID', LPWSTR),
                  ('ErrorCode', HRESULT))}))
