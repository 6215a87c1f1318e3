#include "message/message_table.h"

#include <algorithm>
#include <iterator>

namespace win {

namespace {

struct Message {
  DWORD code;
  const char* text;
};

// Sorted by code. Win32 errors first, then HRESULTs by facility.
constexpr Message kMessages[] = {
    // Win32 errors.
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {4, "The system cannot open the file."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {7, "The storage control blocks were destroyed."},
    {8, "Not enough memory resources are available to process this command."},
    {9, "The storage control block address is invalid."},
    {10, "The environment is incorrect."},
    {11, "An attempt was made to load a program with an incorrect format."},
    {12, "The access code is invalid."},
    {13, "The data is invalid."},
    {14, "Not enough memory resources are available to complete this operation."},
    {15, "The system cannot find the drive specified."},
    {16, "The directory cannot be removed."},
    {17, "The system cannot move the file to a different disk drive."},
    {18, "There are no more files."},
    {19, "The media is write protected."},
    {21, "The device is not ready."},
    {31, "A device attached to the system is not functioning."},
    {32, "The process cannot access the file because it is being used by another process."},
    {33, "The process cannot access the file because another process has locked a portion of the file."},
    {38, "Reached the end of the file."},
    {39, "The disk is full."},
    {50, "The request is not supported."},
    {51, "Windows cannot find the network path. Verify that the network path is correct and the destination "
         "computer is not busy or turned off. If Windows still cannot find the network path, contact your "
         "network administrator."},
    {53, "The network path was not found."},
    {54, "The network is busy."},
    {59, "An unexpected network error occurred."},
    {64, "The specified network name is no longer available."},
    {67, "The network name cannot be found."},
    {80, "The file exists."},
    {87, "The parameter is incorrect."},
    {109, "The pipe has been ended."},
    {110, "The system cannot open the device or file specified."},
    {111, "The file name is too long."},
    {112, "There is not enough space on the disk."},
    {120, "This function is not supported on this system."},
    {121, "The semaphore timeout period has expired."},
    {122, "The data area passed to a system call is too small."},
    {123, "The filename, directory name, or volume label syntax is incorrect."},
    {126, "The specified module could not be found."},
    {127, "The specified procedure could not be found."},
    {145, "The directory is not empty."},
    {161, "The specified path is invalid."},
    {170, "The requested resource is in use."},
    {183, "Cannot create a file when that file already exists."},
    {193, "%1 is not a valid Win32 application."},
    {203, "The system could not find the environment option that was entered."},
    {206, "The filename or extension is too long."},
    {231, "All pipe instances are busy."},
    {232, "The pipe is being closed."},
    {234, "More data is available."},
    {258, "The wait operation timed out."},
    {259, "No more data is available."},
    {267, "The directory name is invalid."},
    {299, "Only part of a ReadProcessMemory or WriteProcessMemory request was completed."},
    {317, "The system cannot find message text for message number 0x%1 in the message file for %2."},
    {487, "Attempt to access invalid address."},
    {534, "Arithmetic result exceeded 32 bits."},
    {995, "The I/O operation has been aborted because of either a thread exit or an application request."},
    {996, "Overlapped I/O event is not in a signaled state."},
    {997, "Overlapped I/O operation is in progress."},
    {998, "Invalid access to memory location."},
    {1001, "Recursion too deep; the stack overflowed."},
    {1004, "Invalid flags."},
    {1008, "An attempt was made to reference a token that does not exist."},
    {1009, "The configuration registry database is corrupt."},
    {1010, "The configuration registry key is invalid."},
    {1011, "The configuration registry key could not be opened."},
    {1012, "The configuration registry key could not be read."},
    {1013, "The configuration registry key could not be written."},
    {1014, "One of the files in the registry database had to be recovered by use of a log or alternate copy. "
           "The recovery was successful."},
    {1015, "The registry is corrupted. The structure of one of the files containing registry data is "
           "corrupted, or the system's memory image of the file is corrupted, or the file could not be "
           "recovered because the alternate copy or log was absent or corrupted."},
    {1016, "An I/O operation initiated by the registry failed unrecoverably. The registry could not read in, "
           "or write out, or flush, one of the files that contain the system's image of the registry."},
    {1018, "Illegal operation attempted on a registry key that has been marked for deletion."},
    {1060, "The specified service does not exist as an installed service."},
    {1062, "The service has not been started."},
    {1113, "No mapping for the Unicode character exists in the target multi-byte code page."},
    {1114, "A dynamic link library (DLL) initialization routine failed."},
    {1168, "Element not found."},
    {1200, "The specified device name is invalid."},
    {1203, "The network path was either typed incorrectly, does not exist, or the network provider is not "
           "currently available. Please try retyping the path or contact your network administrator."},
    {1204, "The specified network provider name is invalid."},
    {1207, "Cannot enumerate a noncontainer."},
    {1208, "An extended error has occurred."},
    {1219, "Multiple connections to a server or shared resource by the same user, using more than one user "
           "name, are not allowed. Disconnect all previous connections to the server or shared resource and "
           "try again."},
    {1222, "The network is not present or not started."},
    {1223, "The operation was canceled by the user."},
    {1225, "The remote computer refused the network connection."},
    {1231, "The network location cannot be reached. For information about network troubleshooting, see "
           "Windows Help."},
    {1232, "The network location cannot be reached. For information about network troubleshooting, see "
           "Windows Help."},
    {1234, "No service is operating at the destination network endpoint on the remote system."},
    {1236, "The network connection was aborted by the local system."},
    {1244, "The operation being requested was not performed because the user has not been authenticated."},
    {1314, "A required privilege is not held by the client."},
    {1326, "The user name or password is incorrect."},
    {1332, "No mapping between account names and security IDs was done."},
    {1346, "Either a required impersonation level was not provided, or the provided impersonation level is "
           "invalid."},
    {1347, "Cannot open an anonymous level security token."},
    {1359, "An internal error occurred."},
    {1400, "Invalid window handle."},
    {1411, "Class does not exist."},
    {1450, "Insufficient system resources exist to complete the requested service."},
    {1460, "This operation returned because the timeout period expired."},
    {1702, "The binding handle is invalid."},
    {1703, "The RPC protocol sequence is not supported."},
    {1707, "The network address is invalid."},
    {1708, "No endpoint was found."},
    {1717, "The interface is unknown."},
    {1721, "Not enough resources are available to complete this operation."},
    {1722, "The RPC server is unavailable."},
    {1723, "The RPC server is too busy to complete this operation."},
    {1726, "The remote procedure call failed."},
    {1727, "The remote procedure call failed and did not execute."},
    {1747, "The authentication service is unknown."},
    {1753, "There are no more endpoints available from the endpoint mapper."},
    {1812, "The specified image file did not contain a resource section."},
    {1813, "The specified resource type cannot be found in the image file."},
    {1814, "The specified resource name cannot be found in the image file."},
    {1815, "The specified resource language ID cannot be found in the image file."},
    {1818, "The remote procedure call was cancelled."},
    {1825, "A security package specific error occurred."},
    {2250, "This network connection does not exist."},

    // FACILITY_NULL.
    {0x8000000A, "The data necessary to complete this operation is not yet available."},
    {0x8000000B, "The operation attempted to access data outside the valid range"},
    {0x8000000E, "A method was called at an unexpected time."},
    {0x80004001, "Not implemented"},
    {0x80004002, "No such interface supported"},
    {0x80004003, "Invalid pointer"},
    {0x80004004, "Operation aborted"},
    {0x80004005, "Unspecified error"},
    {0x80004006, "Thread local storage failure"},
    {0x80004013, "A Remote activation was necessary but was not allowed"},
    {0x80004014, "A Remote activation was necessary but the server name provided was invalid"},
    {0x8000401D, "This computer was unable to communicate with the computer providing the server."},
    {0x8000401E, "The server did not respond after being launched."},
    {0x8000FFFF, "Catastrophic failure"},

    // FACILITY_RPC.
    {0x80010001, "Call was rejected by callee."},
    {0x80010002, "Call was canceled by the message filter."},
    {0x80010003, "The caller is dispatching an intertask SendMessage call and cannot call out via PostMessage."},
    {0x80010004, "The caller is dispatching an asynchronous call and cannot make an outgoing call on behalf of "
                 "this call."},
    {0x80010005, "It is illegal to call out while inside message filter."},
    {0x80010006, "The connection terminated or is in a bogus state and cannot be used any more. Other "
                 "connections are still valid."},
    {0x80010007, "The callee (server [not server application]) is not available and disappeared; all "
                 "connections are invalid. The call may have executed."},
    {0x80010008, "The caller (client) disappeared while the callee (server) was processing a call."},
    {0x80010100, "System call failed."},
    {0x80010101, "Could not allocate some required resource (memory, events, ...)"},
    {0x80010102, "Attempted to make calls on more than one thread in single threaded mode."},
    {0x80010103, "The requested interface is not registered on the server object."},
    {0x80010104, "RPC could not call the server or could not return the results of calling the server."},
    {0x80010105, "The server threw an exception."},
    {0x80010106, "Cannot change thread mode after it is set."},
    {0x80010107, "The method called does not exist on the server."},
    {0x80010108, "The object invoked has disconnected from its clients."},
    {0x80010109, "The object invoked chose not to process the call now.  Try again later."},
    {0x8001010A, "The message filter indicated that the application is busy."},
    {0x8001010B, "The message filter rejected the call."},
    {0x8001010C, "A call control interfaces was called with invalid data."},
    {0x8001010D, "An outgoing call cannot be made since the application is dispatching an input-synchronous "
                 "call."},
    {0x8001010E, "The application called an interface that was marshalled for a different thread."},
    {0x8001010F, "CoInitialize has not been called on the current thread."},
    {0x80010110, "The version of OLE on the client and server machines does not match."},
    {0x80010111, "OLE received a packet with an invalid header."},
    {0x80010112, "OLE received a packet with an invalid extension."},
    {0x80010113, "The requested object or interface does not exist."},
    {0x80010114, "The requested object does not exist."},
    {0x80010115, "OLE has sent a request and is waiting for a reply."},
    {0x80010116, "OLE is waiting before retrying a request."},
    {0x80010117, "Call context cannot be accessed after call completed."},
    {0x80010118, "Impersonate on unsecure calls is not supported."},
    {0x80010119, "Security must be initialized before any interfaces are marshalled or unmarshalled. It cannot "
                 "be changed once initialized."},
    {0x8001011A, "No security packages are installed on this machine or the user is not logged on or there "
                 "are no compatible security packages between the client and server."},
    {0x8001011B, "Access is denied."},
    {0x8001011C, "Remote calls are not allowed for this process."},
    {0x8001011D, "The marshaled interface data packet (OBJREF) has an invalid or unknown format."},
    {0x8001011E, "No context is associated with this call. This happens for some custom marshalled calls and "
                 "on the client side of the call."},
    {0x8001011F, "This operation returned because the timeout period expired."},
    {0x80010120, "There are no synchronize objects to wait on."},
    {0x8001FFFF, "An internal error occurred."},

    // FACILITY_DISPATCH.
    {0x80020001, "Unknown interface."},
    {0x80020003, "Member not found."},
    {0x80020004, "Parameter not found."},
    {0x80020005, "Type mismatch."},
    {0x80020006, "Unknown name."},
    {0x80020007, "No named arguments."},
    {0x80020008, "Bad variable type."},
    {0x80020009, "Exception occurred."},
    {0x8002000A, "Out of present range."},
    {0x8002000B, "Invalid index."},
    {0x8002000C, "Unknown language."},
    {0x8002000D, "Memory is locked."},
    {0x8002000E, "Invalid number of parameters."},
    {0x8002000F, "Parameter not optional."},
    {0x80020010, "Invalid callee."},
    {0x80020011, "Does not support a collection."},
    {0x80020012, "Division by zero."},
    {0x80020013, "Buffer too small"},
    {0x8002801D, "Library not registered."},
    {0x8002802B, "Element not found."},
    {0x80028CA0, "Type mismatch."},
    {0x80029C4A, "Error loading type library/DLL."},

    // FACILITY_STORAGE.
    {0x80030001, "Unable to perform requested operation."},
    {0x80030002, "%1 could not be found."},
    {0x80030003, "The path %1 could not be found."},
    {0x80030004, "There are insufficient resources to open another file."},
    {0x80030005, "Access Denied."},
    {0x80030006, "Attempted an operation on an invalid object."},
    {0x80030008, "There is insufficient memory available to complete operation."},
    {0x80030009, "Invalid pointer error."},
    {0x80030012, "There are no more entries to return."},
    {0x80030013, "Disk is write-protected."},
    {0x80030019, "An error occurred during a seek operation."},
    {0x8003001D, "A disk error occurred during a write operation."},
    {0x8003001E, "A disk error occurred during a read operation."},
    {0x80030020, "A share violation has occurred."},
    {0x80030021, "A lock violation has occurred."},
    {0x80030050, "%1 already exists."},
    {0x80030057, "Invalid parameter error."},
    {0x80030070, "There is insufficient disk space to complete operation."},
    {0x800300FB, "The file %1 is not a valid compound file."},
    {0x800300FC, "The name %1 is not valid."},
    {0x800300FD, "An unexpected error occurred."},
    {0x800300FE, "That function is not implemented."},
    {0x800300FF, "Invalid flag error."},

    // FACILITY_ITF: the system's own OLE and COM codes.
    {0x80040000, "Invalid OLEVERB structure"},
    {0x80040001, "Invalid advise flags"},
    {0x80040002, "Can't enumerate any more, because the associated data is missing"},
    {0x80040003, "This implementation doesn't take advises"},
    {0x80040004, "There is no connection for this connection ID"},
    {0x80040005, "Need to run the object to perform this operation"},
    {0x80040006, "There is no cache to operate on"},
    {0x80040007, "Uninitialized object"},
    {0x80040008, "Linked object's source class has changed"},
    {0x80040009, "Not able to get the moniker of the object"},
    {0x8004000A, "Not able to bind to the source"},
    {0x8004000B, "Object is static; operation not allowed"},
    {0x8004000C, "User canceled out of save dialog"},
    {0x8004000D, "Invalid rectangle"},
    {0x8004000E, "compobj.dll is too old for the ole2.dll initialized"},
    {0x8004000F, "Invalid window handle"},
    {0x80040010, "Object is not in any of the inplace active states"},
    {0x80040011, "Not able to convert object"},
    {0x80040012, "Not able to perform the operation because object is not given storage yet"},
    {0x80040064, "Invalid FORMATETC structure"},
    {0x80040065, "Invalid DVTARGETDEVICE structure"},
    {0x80040066, "Invalid STDGMEDIUM structure"},
    {0x80040067, "Invalid STATDATA structure"},
    {0x80040068, "Invalid lindex"},
    {0x80040069, "Invalid tymed"},
    {0x8004006A, "Invalid clipboard format"},
    {0x8004006B, "Invalid aspect(s)"},
    {0x8004006C, "tdSize parameter of the DVTARGETDEVICE structure is invalid"},
    {0x8004006D, "Object doesn't support IViewObject interface"},
    {0x80040110, "Class does not support aggregation (or class object is remote)"},
    {0x80040111, "ClassFactory cannot supply requested class"},
    {0x80040112, "Class is not licensed for use"},
    {0x80040150, "Could not read key from registry"},
    {0x80040151, "Could not write key to registry"},
    {0x80040152, "Could not find the key in the registry"},
    {0x80040153, "Invalid value for registry"},
    {0x80040154, "Class not registered"},
    {0x80040155, "Interface not registered"},
    {0x800401F0, "CoInitialize has not been called."},
    {0x800401F1, "CoInitialize has already been called."},
    {0x800401F2, "Class of object cannot be determined"},
    {0x800401F3, "Invalid class string"},
    {0x800401F4, "Invalid interface string"},
    {0x800401F5, "Application not found"},
    {0x800401F6, "Application cannot be run more than once"},
    {0x800401F7, "Some error in application program"},
    {0x800401F8, "DLL for class not found"},
    {0x800401F9, "Error in the DLL"},
    {0x800401FA, "Wrong operating system or operating system version for the application"},
    {0x800401FB, "Object is not registered"},
    {0x800401FC, "Object is already registered"},
    {0x800401FD, "Object is not connected to server"},
    {0x800401FE, "Application was launched but it didn't register a class factory"},
    {0x800401FF, "Object has been released"},

    // FACILITY_WINDOWS (COM activation).
    {0x80080001, "Attempt to create a class object failed"},
    {0x80080002, "OLE service could not bind object"},
    {0x80080003, "RPC communication failed with OLE service"},
    {0x80080004, "Bad path to object"},
    {0x80080005, "Server execution failed"},
    {0x80080006, "OLE service could not communicate with the object server"},
    {0x80080007, "Moniker path could not be normalized"},
    {0x80080008, "Object server is stopping when OLE service contacts it"},
};

constexpr bool isSortedByCode() {
  for (std::size_t i = 1; i < std::size(kMessages); ++i) {
    if (kMessages[i - 1].code >= kMessages[i].code) return false;
  }
  return true;
}
static_assert(isSortedByCode(), "the message table must be sorted by code, without duplicates");

const char* lookUp(DWORD code) {
  const auto* end = std::end(kMessages);
  const auto* it = std::lower_bound(std::begin(kMessages), end, code,
                                    [](const Message& message, DWORD c) { return message.code < c; });
  return it != end && it->code == code ? it->text : nullptr;
}

}  // namespace

const char* systemMessageText(DWORD code) {
  if (const char* text = lookUp(code)) return text;
  // HRESULT_FROM_WIN32: severity error, FACILITY_WIN32, the Win32 code below.
  if ((code & 0xFFFF0000u) == 0x80070000u) return lookUp(code & 0xFFFFu);
  return nullptr;
}

}  // namespace win
