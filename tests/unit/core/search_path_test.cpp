// The edges of the PATH filter; the fuzz target search_path checks it against
// a pattern of the folders given in full on any search path.
#include "core/search_path.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(SearchPath, KeepsOnlyFoldersGivenInFull) {
  const std::pair<const char*, const char*> cases[] = {
      {";;", ""},
      // The working folder however it is spelt, other relative folders, empty entries.
      {".;C:\\a;.\\;..\\bin;tools;;C:\\b;", "C:\\a;C:\\b"},
      // Relative to the working folder of a drive, or to the root of the current drive.
      {"C:tools;C:;\\tools;/tools;d:/x", "d:/x"},
      // Shares and quoted folders are kept as they are; a lone quote or bare slashes are not folders.
      {"\\\\srv\\share\\bin;\"C:\\Program Files\\x\";\"\";\"tools\";\\\\;\\\\\\x",
       "\\\\srv\\share\\bin;\"C:\\Program Files\\x\""},
  };
  for (const auto& [folders, kept] : cases) EXPECT_EQ(WithoutRelativeFolders(folders), kept) << folders;
}

}  // namespace
}  // namespace velkor
