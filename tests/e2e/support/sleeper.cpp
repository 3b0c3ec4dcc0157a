// Waits for the number of seconds given as its first argument (default 60),
// then exits 0. With "restricted" as its second argument it first lets other
// processes open it only to end it and to query it (terminate, query
// information and synchronize), as a copy of Velkor under a stricter account
// or an older Windows grants no more. With "hold <file>" it holds the file
// open meanwhile, sharing it with readers only, as a backup or a virus
// scanner does for a moment.
#include <windows.h>
// After windows.h.
#include <aclapi.h>
#include <sddl.h>

#include <cstdlib>
#include <cstring>

namespace {

bool GrantOnlyTerminateAndQuery() {
  // Everyone: PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION |
  // PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE.
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;0x101401;;;WD)", SDDL_REVISION_1,
                                                            &descriptor, nullptr))
    return false;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  const bool set = GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) &&
                   SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                   nullptr, dacl, nullptr) == ERROR_SUCCESS;
  LocalFree(descriptor);
  return set;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::strcmp(argv[2], "restricted") == 0 && !GrantOnlyTerminateAndQuery()) return 2;
  HANDLE held = INVALID_HANDLE_VALUE;
  if (argc > 3 && std::strcmp(argv[2], "hold") == 0) {
    held = CreateFileA(argv[3], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
    if (held == INVALID_HANDLE_VALUE) return 3;
  }
  Sleep(static_cast<DWORD>(argc > 1 ? std::atoi(argv[1]) : 60) * 1000u);
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  return 0;
}
