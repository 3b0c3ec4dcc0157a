#include "run_tool.h"

#include <algorithm>
#include <vector>

#include "win_handles.h"

namespace nexparser {
namespace {

constexpr int kDefaultTimeoutSeconds = 600;
constexpr int kDefaultMaxOutputMegabytes = 64;
constexpr ULONGLONG kMegabyte = 1024ULL * 1024;
// How often the size of the output file is looked at while the tool runs.
constexpr ULONGLONG kPollMs = 100;
// How long an ended tool may take to let go of its output file.
constexpr DWORD kEndWaitMs = 5000;

// The folder of this library, with a trailing backslash ("" when unknown).
std::wstring LibraryFolder() {
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&LibraryFolder), &self))
    return {};
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

int ReadPositive(const wchar_t* key, int fallback, const std::wstring& ini) {
  const int value = static_cast<int>(GetPrivateProfileIntW(L"Execute", key, fallback, ini.c_str()));
  return value >= 1 ? value : fallback;
}

// A job whose processes all end when it is closed, and that lets a crashing
// tool end instead of waiting on an error dialog. Empty when the system
// refuses one; the tool then runs outside a job and only it can be ended.
Handle CreateToolJob() {
  Handle job(CreateJobObjectW(nullptr, nullptr));
  if (!job) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION info{};
  info.BasicLimitInformation.LimitFlags =
      JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
  if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &info, sizeof(info)))
    job.reset();
  return job;
}

ULONGLONG FileSize(HANDLE file) {
  LARGE_INTEGER size{};
  return GetFileSizeEx(file, &size) ? static_cast<ULONGLONG>(size.QuadPart) : 0;
}

// Ends the tool and, through its job, every process it started; waits until
// the tool itself is gone.
void EndTool(HANDLE process, HANDLE job, DWORD exitCode) {
  if (job != nullptr) TerminateJobObject(job, exitCode);
  TerminateProcess(process, exitCode);
  WaitForSingleObject(process, kEndWaitMs);
}

// Waits for the tool within the limits; 0 when it ended by itself.
DWORD WaitForTool(HANDLE process, HANDLE job, HANDLE output, const ToolLimits& limits) {
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    const ULONGLONG elapsed = GetTickCount64() - start;
    DWORD stop = 0;
    if (elapsed >= limits.timeoutMs) {
      stop = ERROR_TIMEOUT;
    } else if (FileSize(output) > limits.maxOutputBytes) {
      stop = ERROR_FILE_TOO_LARGE;
    }
    if (stop == 0) {
      const auto wait = static_cast<DWORD>(std::min(limits.timeoutMs - elapsed, kPollMs));
      const DWORD state = WaitForSingleObject(process, wait);
      if (state == WAIT_OBJECT_0) {
        if (job != nullptr) TerminateJobObject(job, ERROR_PROCESS_ABORTED);  // what it left running
        return FileSize(output) > limits.maxOutputBytes ? ERROR_FILE_TOO_LARGE : 0;
      }
      if (state == WAIT_FAILED) stop = GetLastError();
    }
    if (stop != 0) {
      EndTool(process, job, stop);
      return stop;
    }
  }
}

// Cuts the output file back to the cap.
void TruncateTo(HANDLE output, ULONGLONG size) {
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(size);
  if (SetFilePointerEx(output, at, nullptr, FILE_BEGIN)) SetEndOfFile(output);
}

// The attribute list that lets the tool inherit exactly the given handles.
class InheritList {
 public:
  explicit InheritList(HANDLE a, HANDLE b) : handles_{a, b} {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    buffer_.resize(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
    if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
    list_ = list;
    if (!UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_, sizeof(handles_),
                                   nullptr, nullptr)) {
      DeleteProcThreadAttributeList(list_);
      list_ = nullptr;
    }
  }
  InheritList(const InheritList&) = delete;
  InheritList& operator=(const InheritList&) = delete;
  ~InheritList() {
    if (list_ != nullptr) DeleteProcThreadAttributeList(list_);
  }
  // Null when the list could not be built: the tool then inherits every
  // inheritable handle, which is harmless apart from the handles' lifetime.
  LPPROC_THREAD_ATTRIBUTE_LIST get() const { return list_; }

 private:
  HANDLE handles_[2];
  std::vector<unsigned char> buffer_;
  LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

}  // namespace

ToolLimits ReadToolLimits() {
  const std::wstring ini = LibraryFolder() + L"NexParser.ini";
  const int seconds = ReadPositive(L"TimeoutSeconds", kDefaultTimeoutSeconds, ini);
  const int megabytes = ReadPositive(L"MaxOutputMegabytes", kDefaultMaxOutputMegabytes, ini);
  return ToolLimits{static_cast<ULONGLONG>(seconds) * 1000, static_cast<ULONGLONG>(megabytes) * kMegabyte};
}

DWORD RunTool(std::wstring commandLine, const wchar_t* outputPath, const ToolLimits& limits) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  FileHandle output(CreateFileW(outputPath, GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inheritable,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!output) return GetLastError();
  FileHandle input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!input) return GetLastError();

  InheritList inherit(output.get(), input.get());
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof(startup);
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.StartupInfo.wShowWindow = SW_HIDE;
  startup.StartupInfo.hStdInput = input.get();
  startup.StartupInfo.hStdOutput = output.get();
  startup.StartupInfo.hStdError = output.get();
  DWORD flags = CREATE_NO_WINDOW | CREATE_SUSPENDED;
  if (inherit.get() != nullptr) {
    startup.lpAttributeList = inherit.get();
    flags |= EXTENDED_STARTUPINFO_PRESENT;
  }

  Handle job = CreateToolJob();
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                      &startup.StartupInfo, &started))
    return GetLastError();
  Handle process(started.hProcess);
  Handle thread(started.hThread);
  // The tool joins the job before it runs, so everything it starts joins too.
  if (job && !AssignProcessToJobObject(job.get(), process.get())) job.reset();
  if (ResumeThread(thread.get()) == static_cast<DWORD>(-1)) {
    const DWORD error = GetLastError();
    EndTool(process.get(), job.get(), error);
    return error;
  }
  thread.reset();

  const DWORD result = WaitForTool(process.get(), job.get(), output.get(), limits);
  if (FileSize(output.get()) > limits.maxOutputBytes) TruncateTo(output.get(), limits.maxOutputBytes);
  return result;
}

}  // namespace nexparser
