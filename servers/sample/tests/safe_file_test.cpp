// The translation of file errors into result codes, in one table.

#include <gtest/gtest.h>

#include <cerrno>

#include "safe_file.h"
#include "win/winerror.h"

namespace sample {
namespace {

TEST(SampleSafeFileTest, FileErrorsBecomeStorageCodes) {
  struct Case {
    int error;
    HRESULT code;
  };
  const Case cases[] = {
      {ENOENT, STG_E_PATHNOTFOUND},  {ENOTDIR, STG_E_PATHNOTFOUND}, {EACCES, STG_E_ACCESSDENIED},
      {EPERM, STG_E_ACCESSDENIED},   {EROFS, STG_E_ACCESSDENIED},   {ENOSPC, STG_E_MEDIUMFULL},
      {EDQUOT, STG_E_MEDIUMFULL},    {EFBIG, STG_E_MEDIUMFULL},     {ENAMETOOLONG, STG_E_INVALIDNAME},
      {EISDIR, STG_E_INVALIDNAME},   {ENOMEM, E_OUTOFMEMORY},       {EIO, STG_E_WRITEFAULT},
  };
  for (const auto& c : cases) EXPECT_EQ(storageError(c.error), c.code) << c.error;
}

}  // namespace
}  // namespace sample
