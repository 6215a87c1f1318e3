#pragma once

// Reads the version resource of a file, by default the program's own: the
// four parts of the file version and the strings of the string table that
// the file's first translation names.

#include "win/types.h"
#include "win/winerror.h"

class CFileVersionReader {
 public:
  CFileVersionReader() = default;
  ~CFileVersionReader();
  CFileVersionReader(const CFileVersionReader&) = delete;
  CFileVersionReader& operator=(const CFileVersionReader&) = delete;

  // Reads the version resource of fileName, or of this program's file when
  // it is null. S_OK also for a file without a version resource (the
  // numbers then stay 0 and there are no strings); a platform error as
  // 0x80070000 | error; E_OUTOFMEMORY.
  HRESULT Load(const char* fileName = nullptr);

  // A string of the version resource ("FileDescription", "LegalCopyright"
  // ...), or null when there is none. Valid while the reader lives.
  const char* GetVersionString(const char* name) const;

  WORD GetMajorVersion() const { return major_; }
  WORD GetMinorVersion() const { return minor_; }
  WORD GetThirdVersionPart() const { return third_; }
  WORD GetFourthVersionPart() const { return fourth_; }
  // The string tables' path part: language and code page in lower-case
  // hex digits and a backslash, as "040904b0\".
  const char* GetStringTablePrefix() const { return prefix_; }

 private:
  void ReleaseBlock();

  WORD major_ = 0;
  WORD minor_ = 0;
  WORD third_ = 0;
  WORD fourth_ = 0;
  BYTE* block_ = nullptr;
  // Until a file's first translation says otherwise: language neutral,
  // code page 1252.
  char prefix_[11] = "000004E4\\";
};
