#include "core/search_path.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

struct Case {
  const char* folders;
  const char* kept;
};

class SearchPath : public ::testing::TestWithParam<Case> {};

TEST_P(SearchPath, KeepsOnlyFoldersGivenInFull) {
  EXPECT_EQ(WithoutRelativeFolders(GetParam().folders), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, SearchPath,
    ::testing::Values(
        Case{"C:\\Windows\\system32;C:\\Windows", "C:\\Windows\\system32;C:\\Windows"}, Case{"", ""},
        Case{";;", ""},
        // The working folder, however it is spelt.
        Case{".;C:\\Windows", "C:\\Windows"}, Case{"C:\\Windows;.\\", "C:\\Windows"},
        Case{"C:\\a;..\\bin;tools;C:\\b", "C:\\a;C:\\b"}, Case{"C:\\a;;C:\\b;", "C:\\a;C:\\b"},
        // Relative to the working folder of a drive, or to the root of the current drive.
        Case{"C:tools;C:;\\tools;/tools;d:/x", "d:/x"},
        // Shares and quoted folders are kept as they are; a lone quote or bare slashes are not folders.
        Case{"\\\\srv\\share\\bin;\"C:\\Program Files\\x\";\"\";\"tools\";\\\\;\\\\\\x",
             "\\\\srv\\share\\bin;\"C:\\Program Files\\x\""}));

}  // namespace
}  // namespace velkor
