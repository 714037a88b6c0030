#include "com/resource.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/win/path.h"

namespace com {

HRESULT FindResourceInImage(const std::uint8_t* image, std::size_t size, const std::string& type, int id,
                            std::vector<std::uint8_t>* data) {
  if (!image || !data) return E_POINTER;
  if (size < sizeof(Elf64_Ehdr) || std::memcmp(image, ELFMAG, SELFMAG) != 0) return TYPE_E_UNSUPFORMAT;
  Elf64_Ehdr eh;
  std::memcpy(&eh, image, sizeof eh);
  if (eh.e_ident[EI_CLASS] != ELFCLASS64 || eh.e_ident[EI_DATA] != ELFDATA2LSB) return TYPE_E_UNSUPFORMAT;
  if (eh.e_shentsize != sizeof(Elf64_Shdr) || eh.e_shnum == 0 || eh.e_shstrndx >= eh.e_shnum) return TYPE_E_UNSUPFORMAT;
  if (eh.e_shoff > size || static_cast<std::uint64_t>(eh.e_shnum) * sizeof(Elf64_Shdr) > size - eh.e_shoff)
    return TYPE_E_UNSUPFORMAT;
  auto section = [&](unsigned i) {
    Elf64_Shdr sh;
    std::memcpy(&sh, image + eh.e_shoff + static_cast<std::uint64_t>(i) * sizeof(Elf64_Shdr), sizeof sh);
    return sh;
  };
  auto inside = [&](const Elf64_Shdr& sh) {
    return sh.sh_type == SHT_NOBITS || (sh.sh_offset <= size && sh.sh_size <= size - sh.sh_offset);
  };
  Elf64_Shdr names = section(eh.e_shstrndx);
  if (names.sh_type != SHT_STRTAB || !inside(names)) return TYPE_E_UNSUPFORMAT;
  const std::string wanted = ".velres." + type + "." + std::to_string(id);
  for (unsigned i = 0; i < eh.e_shnum; ++i) {
    Elf64_Shdr sh = section(i);
    if (sh.sh_name >= names.sh_size) continue;
    const char* name = reinterpret_cast<const char*>(image + names.sh_offset + sh.sh_name);
    std::size_t room = names.sh_size - sh.sh_name;
    if (strnlen(name, room) == room || wanted != name) continue;
    if (sh.sh_type != SHT_PROGBITS || !inside(sh)) return TYPE_E_UNSUPFORMAT;
    data->assign(image + sh.sh_offset, image + sh.sh_offset + sh.sh_size);
    return S_OK;
  }
  return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT LoadLibraryResource(const std::string& ansi_path, const std::string& type, int id, std::vector<std::uint8_t>* data) {
  if (!data) return E_POINTER;
  std::ifstream f(win::ToSystemPath(ansi_path), std::ios::binary);
  if (!f) return HResultFromWin32(ERROR_FILE_NOT_FOUND);
  std::vector<std::uint8_t> image((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  if (f.bad()) return HResultFromWin32(ERROR_FILE_NOT_FOUND);
  return FindResourceInImage(image.data(), image.size(), type, id, data);
}

}  // namespace com
