#include "com/hresult.h"

#include <cstdio>
#include <unordered_map>

namespace com {

std::string HResultHex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

std::string HResultMessage(HRESULT hr) {
  static const std::unordered_map<HRESULT, const char*> messages = {
      {S_OK, "The operation completed successfully."},
      {S_FALSE, "The operation completed, with a false result."},
      {E_NOTIMPL, "Not implemented."},
      {E_NOINTERFACE, "No such interface supported."},
      {E_POINTER, "Invalid pointer."},
      {E_ABORT, "Operation aborted."},
      {E_FAIL, "Unspecified error."},
      {E_UNEXPECTED, "Catastrophic failure."},
      {E_ACCESSDENIED, "Access is denied."},
      {E_OUTOFMEMORY, "Not enough memory resources are available to complete this operation."},
      {E_INVALIDARG, "The parameter is incorrect."},
      {HResultFromWin32(ERROR_FILE_NOT_FOUND), "The system cannot find the file specified."},
      {HResultFromWin32(ERROR_MOD_NOT_FOUND), "The specified module could not be found."},
      {HResultFromWin32(ERROR_PROC_NOT_FOUND), "The specified procedure could not be found."},
      {HResultFromWin32(ERROR_BADDB), "The configuration registry database is corrupt."},
      {HResultFromWin32(ERROR_CANTWRITE), "The configuration registry key could not be written."},
      {HResultFromWin32(ERROR_DLL_INIT_FAILED), "A dynamic link library (DLL) initialization routine failed."},
      {RPC_E_CHANGED_MODE, "Cannot change thread mode after it is set."},
      {RPC_E_WRONG_THREAD, "The application called an interface that was marshalled for a different thread."},
      {DISP_E_UNKNOWNINTERFACE, "Unknown interface."},
      {DISP_E_MEMBERNOTFOUND, "Member not found."},
      {DISP_E_PARAMNOTFOUND, "Parameter not found."},
      {DISP_E_TYPEMISMATCH, "Type mismatch."},
      {DISP_E_UNKNOWNNAME, "Unknown name."},
      {DISP_E_NONAMEDARGS, "No named arguments."},
      {DISP_E_BADVARTYPE, "Bad variable type."},
      {DISP_E_EXCEPTION, "Exception occurred."},
      {DISP_E_OVERFLOW, "Out of present range."},
      {DISP_E_BADINDEX, "Invalid index."},
      {DISP_E_ARRAYISLOCKED, "Memory is locked."},
      {DISP_E_BADPARAMCOUNT, "Invalid number of parameters."},
      {DISP_E_PARAMNOTOPTIONAL, "Parameter not optional."},
      {DISP_E_NOTACOLLECTION, "Does not support a collection."},
      {DISP_E_DIVBYZERO, "Division by zero."},
      {TYPE_E_INVDATAREAD, "Error reading the type library: the data is invalid."},
      {TYPE_E_UNSUPFORMAT, "The type library has an unsupported format."},
      {TYPE_E_REGISTRYACCESS, "Error accessing the registry for the type library."},
      {TYPE_E_LIBNOTREGISTERED, "Library not registered."},
      {TYPE_E_WRONGTYPEKIND, "Wrong type kind for the operation."},
      {TYPE_E_ELEMENTNOTFOUND, "Element not found."},
      {TYPE_E_TYPEMISMATCH, "Type mismatch."},
      {TYPE_E_OUTOFBOUNDS, "Invalid number of arguments."},
      {TYPE_E_IOERROR, "I/O error."},
      {TYPE_E_CANTLOADLIBRARY, "Error loading type library/DLL."},
      {CLASS_E_NOAGGREGATION, "Class does not support aggregation (or class object is remote)."},
      {CLASS_E_CLASSNOTAVAILABLE, "ClassFactory cannot supply requested class."},
      {REGDB_E_READREGDB, "Could not read key from registry."},
      {REGDB_E_WRITEREGDB, "Could not write key to registry."},
      {REGDB_E_KEYMISSING, "Could not find the key in the registry."},
      {REGDB_E_CLASSNOTREG, "Class not registered."},
      {REGDB_E_IIDNOTREG, "Interface not registered."},
      {CONNECT_E_NOCONNECTION, "The type library could not be registered (as a connection point: no connection exists for this cookie)."},
      {CONNECT_E_ADVISELIMIT, "The class could not be registered (as a connection point: no more connections can be made)."},
      {CONNECT_E_CANNOTCONNECT, "The sink does not support the interface required by the connection point."},
      {CO_E_NOTINITIALIZED, "CoInitialize has not been called."},
      {CO_E_CLASSSTRING, "Invalid class string."},
      {CO_E_DLLNOTFOUND, "DLL for class not found."},
      {CO_E_ERRORINDLL, "Error in the DLL."},
      {CTL_E_OVERFLOW, "Overflow."},
  };
  auto it = messages.find(hr);
  if (it != messages.end()) return it->second;
  return "Unknown error " + HResultHex(hr) + ".";
}

}  // namespace com
