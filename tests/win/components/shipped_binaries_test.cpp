// What Windows shows of every shipped binary: the version resource that
// Properties displays, and the program's application manifest.
#include <windows.h>
// After windows.h.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/library.h"
#include "support/test_files.h"

namespace velkor {
namespace {

using testing::BinFolder;
using ::testing::HasSubstr;

std::vector<std::string> ShippedBinaries() {
  std::vector<std::string> names;
  std::istringstream list(VELKOR_SHIPPED_BINARIES);
  for (std::string name; std::getline(list, name, ',');) names.push_back(name);
  return names;
}

class VersionResource {
 public:
  explicit VersionResource(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return;
    data_.resize(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data_.data())) data_.clear();
  }
  bool Present() const { return !data_.empty(); }
  const VS_FIXEDFILEINFO* Fixed() const {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data_.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
      return nullptr;
    return static_cast<const VS_FIXEDFILEINFO*>(value);
  }
  // A text of the US English, Unicode block; empty when absent.
  std::string Text(const std::string& name) const {
    void* value = nullptr;
    UINT length = 0;
    const std::string query = "\\StringFileInfo\\040904B0\\" + name;
    if (!VerQueryValueA(data_.data(), query.c_str(), &value, &length) || length == 0) return {};
    return std::string(static_cast<const char*>(value));
  }

 private:
  std::vector<char> data_;
};

// "a.b.c.d" of a version's two 32-bit halves.
std::string Dotted(DWORD high, DWORD low) {
  return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
         std::to_string(HIWORD(low)) + "." + std::to_string(LOWORD(low));
}

TEST(ShippedBinaries, EachCarriesItsVersionAndDescription) {
  const auto names = ShippedBinaries();
  ASSERT_THAT(names, ::testing::IsSupersetOf({"Velkor.exe", "TalLogger.dll", "NexParser.dll"}));
  const std::string version = std::string(VELKOR_VERSION) + ".0";
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const VersionResource resource(BinFolder() + name);
    ASSERT_TRUE(resource.Present());
    const VS_FIXEDFILEINFO* fixed = resource.Fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(Dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS), version);
    EXPECT_EQ(Dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS), version);
    EXPECT_EQ(fixed->dwFileType, name.ends_with(".exe") ? DWORD{VFT_APP} : DWORD{VFT_DLL});
    EXPECT_EQ(resource.Text("FileVersion"), version);
    EXPECT_EQ(resource.Text("ProductVersion"), VELKOR_VERSION);
    EXPECT_EQ(resource.Text("OriginalFilename"), name);
    EXPECT_EQ(resource.Text("ProductName"), "Velkor");
    EXPECT_FALSE(resource.Text("FileDescription").empty());
  }
}

TEST(ShippedBinaries, ProgramRunsAsInvokerAndNamesTheSupportedWindowsVersions) {
  const platform::Module program(
      LoadLibraryExA((BinFolder() + "Velkor.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(program);
  // Resource 1 of type 24: the manifest a process is created with.
  const HRSRC found = FindResourceA(program.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(found, nullptr);
  const HGLOBAL loaded = LoadResource(program.get(), found);
  ASSERT_NE(loaded, nullptr);
  const std::string manifest(static_cast<const char*>(LockResource(loaded)),
                             SizeofResource(program.get(), found));
  EXPECT_THAT(manifest, HasSubstr(R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)"));
  for (const char* windows : {
           "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // 6.0
           "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 6.1
           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 6.2
           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 6.3
       })
    EXPECT_THAT(manifest, HasSubstr(std::string("<supportedOS Id=\"") + windows + "\"/>"));
}

}  // namespace
}  // namespace velkor
