#include "win/testing/version_file.h"

#include <fcntl.h>
#include <gelf.h>
#include <libelf.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "version/version_block.h"

namespace win::testing {

std::vector<BYTE> versionBlock(const VersionFile& file) {
  win::version::BlockContents contents;
  std::copy(file.fileVersion, file.fileVersion + 4, contents.fileVersion);
  std::copy(file.fileVersion, file.fileVersion + 4, contents.productVersion);
  contents.translations = file.translations;
  if (!file.strings.empty()) contents.stringTables.push_back({file.tableLanguage, file.tableCodePage, file.strings});
  return win::version::buildBlock(contents);
}

bool writeElfFile(const std::string& path, const std::optional<std::vector<BYTE>>& bytes, const char* name) {
  if (elf_version(EV_CURRENT) == EV_NONE) {
    ADD_FAILURE() << "libelf refuses its version";
    return false;
  }
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    ADD_FAILURE() << "cannot create " << path;
    return false;
  }
  Elf* elf = elf_begin(fd, ELF_C_WRITE, nullptr);
  Elf64_Ehdr* header = elf != nullptr ? elf64_newehdr(elf) : nullptr;
  if (header == nullptr) {
    ADD_FAILURE() << "libelf: " << elf_errmsg(-1);
    if (elf != nullptr) elf_end(elf);
    ::close(fd);
    return false;
  }
  header->e_ident[EI_DATA] = ELFDATA2LSB;
  header->e_machine = EM_X86_64;
  header->e_type = ET_REL;
  header->e_version = EV_CURRENT;

  // libelf reads the data when the file is written, so it lives until then.
  std::string names(1, '\0');
  const auto nameOffset = static_cast<Elf64_Word>(names.size());
  names += name;
  names.push_back('\0');
  const auto tableNameOffset = static_cast<Elf64_Word>(names.size());
  names += ".shstrtab";
  names.push_back('\0');
  std::vector<BYTE> content = bytes.value_or(std::vector<BYTE>{});

  if (bytes) {
    Elf_Scn* scn = elf_newscn(elf);
    Elf_Data* data = elf_newdata(scn);
    data->d_buf = content.data();
    data->d_size = content.size();
    data->d_type = ELF_T_BYTE;
    data->d_align = 4;
    Elf64_Shdr* section = elf64_getshdr(scn);
    section->sh_name = nameOffset;
    section->sh_type = SHT_PROGBITS;
    section->sh_flags = SHF_ALLOC;
  }
  Elf_Scn* tableScn = elf_newscn(elf);
  Elf_Data* tableData = elf_newdata(tableScn);
  tableData->d_buf = names.data();
  tableData->d_size = names.size();
  tableData->d_type = ELF_T_BYTE;
  tableData->d_align = 1;
  Elf64_Shdr* table = elf64_getshdr(tableScn);
  table->sh_name = tableNameOffset;
  table->sh_type = SHT_STRTAB;
  header->e_shstrndx = static_cast<Elf64_Half>(elf_ndxscn(tableScn));

  const bool written = elf_update(elf, ELF_C_WRITE) >= 0;
  if (!written) ADD_FAILURE() << "libelf: " << elf_errmsg(-1);
  elf_end(elf);
  ::close(fd);
  return written;
}

}  // namespace win::testing
