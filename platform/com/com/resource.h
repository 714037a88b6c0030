#pragma once
// Resources of a shared library of this system: named blocks of bytes that
// the build puts into the library file (an ELF section ".velres.TYPE.ID"
// each), read back from the file without loading it.
#include <cstdint>
#include <string>
#include <vector>

#include "com/hresult.h"

namespace com {

// Reads resource type/id (for example "TYPELIB", 1) of the library file at
// ansi_path (GBK). S_OK; HResultFromWin32(ERROR_FILE_NOT_FOUND) for a missing
// or unreadable file; TYPE_E_UNSUPFORMAT for a file that is no shared library
// of this system (or a damaged one); TYPE_E_ELEMENTNOTFOUND when it has no such resource.
HRESULT LoadLibraryResource(const std::string& ansi_path, const std::string& type, int id, std::vector<std::uint8_t>* data);
// The same over the bytes of such a file.
HRESULT FindResourceInImage(const std::uint8_t* image, std::size_t size, const std::string& type, int id,
                            std::vector<std::uint8_t>* data);

}  // namespace com
