#include "core/search_path.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(SearchPath, KeepsOnlyFoldersGivenInFull) {
  const struct {
    const char* folders;
    const char* kept;
  } cases[] = {
      {"C:\\Windows\\system32;C:\\Windows", "C:\\Windows\\system32;C:\\Windows"},
      {"", ""},
      {";;", ""},
      // The working folder, however it is spelt.
      {".;C:\\Windows", "C:\\Windows"},
      {"C:\\Windows;.\\", "C:\\Windows"},
      {"C:\\a;..\\bin;tools;C:\\b", "C:\\a;C:\\b"},
      {"C:\\a;;C:\\b;", "C:\\a;C:\\b"},
      // Relative to the working folder of a drive, or to the root of the current drive.
      {"C:tools;C:;\\tools;/tools;d:/x", "d:/x"},
      // Shares and quoted folders are kept as they are; a lone quote or bare slashes are not folders.
      {"\\\\srv\\share\\bin;\"C:\\Program Files\\x\";\"\";\"tools\";\\\\;\\\\\\x",
       "\\\\srv\\share\\bin;\"C:\\Program Files\\x\""},
  };
  for (const auto& c : cases) EXPECT_EQ(WithoutRelativeFolders(c.folders), c.kept) << c.folders;
}

}  // namespace
}  // namespace velkor
