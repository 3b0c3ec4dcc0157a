// faketool.exe: a stand-in for the directory diagnostic tools in the sandbox.
// Copied under a tool's name (net.exe, dcdiag.exe, netdiag.exe, gpotool.exe,
// repadmin.exe, netdom.exe) it prints that tool's recorded report from the
// current scenario, with CRLF line ends as the real tools print them.
//
// faketool.ini beside the exe:
//   [faketool]
//   ScenarioDir=<folder>   the scenario; a relative path is taken from the exe's folder
//   HostName=<name>        replaces "@HOST@" in reports (default: this computer's host name)
//   MarkFile=<file>        appends "<tool> <start> <end> 10000000" for each run: the system time
//                          (100-ns units) when its process was created and when it ends its work
//   StartsFile=<file>      appends "<tool> <arguments>" as each run starts, ended early or not
//   [<tool>]               per tool, named as the exe without ".exe", e.g. [dcdiag]
//   Report=<file>          report file to print instead of the default choice
//   Output=0               print no report
//   Stderr=<text>          a line written to standard error
//   FloodBytes=<n>         n more bytes of filler lines after the report
//   ChildSleepMs=<n>       start a copy of itself that waits n ms, as tools that start helpers do
//   SleepMs=<n>            wait n ms before ending
//   ExitCode=<n>           the exit code (default 0)
// The per-tool keys may also stand in "scenario.ini" in the scenario folder;
// faketool.ini wins. "scenario.ini" may name, under [scenario] Base=, another
// scenario folder (relative to the folder that holds the scenarios) whose
// reports serve where this scenario has none.
//
// The report is "<tool>_<arguments>.txt" when the scenario has it, otherwise
// "<tool>.txt". <arguments> is the argument text with every run of characters
// other than letters, digits, "-", "{" and "}" made one "_", and "_" at
// either end dropped: "gpotool /gpo:{31B2...}" reads "gpotool_gpo_{31B2...}.txt".
#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::wstring_view kChildSwitch = L"--faketool-child ";
constexpr int kMaxBaseDepth = 8;

std::wstring ExePath() {
  std::wstring path(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n);
  return path;
}

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring WithoutTrailingSlash(std::wstring path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

bool IsAbsolute(const std::wstring& path) {
  return (path.size() >= 2 && path[1] == L':') || (!path.empty() && (path[0] == L'\\' || path[0] == L'/'));
}

std::wstring Resolve(const std::wstring& path, const std::wstring& base) {
  return IsAbsolute(path) ? path : base + path;
}

// The tool this copy stands for: the exe name without ".exe", lower case.
std::wstring ToolName(const std::wstring& exe) {
  std::wstring name = exe.substr(FolderOf(exe).size());
  const std::size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  for (wchar_t& c : name)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
  return name;
}

// The argument text of this process's command line.
std::wstring ArgumentText() {
  std::wstring_view line = GetCommandLineW();
  std::size_t at = 0;
  if (!line.empty() && line[0] == L'"') {
    const std::size_t close = line.find(L'"', 1);
    at = close == std::wstring_view::npos ? line.size() : close + 1;
  } else {
    at = line.find_first_of(L" \t");
    if (at == std::wstring_view::npos) at = line.size();
  }
  return std::wstring(line.substr(at));
}

std::wstring ArgumentKey(const std::wstring& arguments) {
  std::wstring key;
  for (wchar_t c : arguments) {
    const bool kept = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
                      c == L'-' || c == L'{' || c == L'}';
    if (kept) {
      key.push_back(c);
    } else if (!key.empty() && key.back() != L'_') {
      key.push_back(L'_');
    }
  }
  while (!key.empty() && key.back() == L'_') key.pop_back();
  return key;
}

std::wstring IniString(const std::wstring& ini, const wchar_t* section, const wchar_t* key) {
  std::wstring value(4096, L'\0');
  const DWORD n = GetPrivateProfileStringW(section, key, L"", value.data(), static_cast<DWORD>(value.size()),
                                           ini.c_str());
  value.resize(n);
  return value;
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), ansi.data(), n, nullptr,
                        nullptr);
  return ansi;
}

void Write(DWORD stream, std::string_view bytes) {
  HANDLE out = GetStdHandle(stream);
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written == 0)
      return;
    bytes.remove_prefix(written);
  }
}

void WriteLine(DWORD stream, const std::wstring& text) { Write(stream, ToAnsi(text) + "\r\n"); }

std::string ReadFileBytes(const std::wstring& path) {
  std::string bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  return bytes;
}

// The report as the tool prints it: "@HOST@" replaced, every line ending in CRLF.
std::string Printed(const std::string& report, const std::string& host) {
  std::string out;
  out.reserve(report.size() + report.size() / 16);
  for (std::size_t i = 0; i < report.size(); ++i) {
    if (report.compare(i, 6, "@HOST@") == 0) {
      out += host;
      i += 5;
    } else if (report[i] == '\n' && (i == 0 || report[i - 1] != '\r')) {
      out += "\r\n";
    } else {
      out += report[i];
    }
  }
  return out;
}

// This computer's host name, as Velkor reads it (gethostname), so that a
// report naming "@HOST@" names the host Velkor runs on.
std::wstring HostName() {
  wchar_t name[256];
  DWORD size = 256;
  return GetComputerNameExW(ComputerNameDnsHostname, name, &size) ? std::wstring(name, size)
                                                                  : std::wstring(L"DC01");
}

void StartChild(const std::wstring& exe, const std::wstring& sleepMs) {
  std::wstring line = L"\"" + exe + L"\" " + std::wstring(kChildSwitch) + sleepMs;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                     &started)) {
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
  }
}

DWORD Milliseconds(const std::wstring& text) {
  const int value = _wtoi(text.c_str());
  return value > 0 ? static_cast<DWORD>(value) : 0;
}

class Scenario {
 public:
  Scenario(const std::wstring& exeIni, const std::wstring& tool, const std::wstring& folder)
      : exeIni_(exeIni), tool_(tool) {
    std::wstring current = WithoutTrailingSlash(folder);
    for (int depth = 0; depth < kMaxBaseDepth && !current.empty(); ++depth) {
      folders_.push_back(current + L"\\");
      const std::wstring base = IniString(folders_.back() + L"scenario.ini", L"scenario", L"Base");
      current = base.empty() ? std::wstring() : WithoutTrailingSlash(Resolve(base, FolderOf(current)));
    }
  }

  // A per-tool setting: faketool.ini first, then the scenario chain.
  std::wstring Setting(const wchar_t* key) const {
    std::wstring value = IniString(exeIni_, tool_.c_str(), key);
    for (std::size_t i = 0; value.empty() && i < folders_.size(); ++i)
      value = IniString(folders_[i] + L"scenario.ini", tool_.c_str(), key);
    return value;
  }

  // The report file for these arguments, or "" when the scenario has none.
  std::wstring Report(const std::wstring& arguments) const {
    std::vector<std::wstring> names;
    const std::wstring chosen = Setting(L"Report");
    if (!chosen.empty()) {
      names.push_back(chosen);
    } else {
      const std::wstring key = ArgumentKey(arguments);
      if (!key.empty()) names.push_back(tool_ + L"_" + key + L".txt");
      names.push_back(tool_ + L".txt");
    }
    for (const std::wstring& folder : folders_)
      for (const std::wstring& name : names)
        if (FileExists(folder + name)) return folder + name;
    return {};
  }

  const std::wstring& Folder() const { return folders_.front(); }

 private:
  std::wstring exeIni_;
  std::wstring tool_;
  std::vector<std::wstring> folders_;
};

long long FileTimeValue(const FILETIME& time) {
  return static_cast<long long>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                                time.dwLowDateTime);
}

long long Now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return FileTimeValue(now);
}

// When this process was created: the tool's time includes starting it.
long long CreationTime() {
  FILETIME created{}, exited{}, kernel{}, user{};
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  return FileTimeValue(created);
}

// Appends `line` and CRLF to `path`.
void AppendLine(const std::wstring& path, const std::string& line) {
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\r\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

// One line appended to the mark file: which tool ran from when to when.
void AppendMark(const std::wstring& markFile, const std::wstring& tool, long long start, long long end) {
  AppendLine(markFile, ToAnsi(tool) + " " + std::to_string(start) + " " + std::to_string(end) + " 10000000");
}

int Run() {
  const std::wstring exe = ExePath();
  const std::wstring arguments = ArgumentText();
  const std::size_t child = arguments.find(kChildSwitch);
  if (child != std::wstring::npos) {
    Sleep(Milliseconds(arguments.substr(child + kChildSwitch.size())));
    return 0;
  }

  const std::wstring tool = ToolName(exe);
  const std::wstring ini = FolderOf(exe) + L"faketool.ini";
  const std::wstring folder = IniString(ini, L"faketool", L"ScenarioDir");
  if (folder.empty()) {
    WriteLine(STD_ERROR_HANDLE, L"faketool: no ScenarioDir in " + ini);
    return 1;
  }
  const Scenario scenario(ini, tool, Resolve(folder, FolderOf(exe)));

  if (scenario.Setting(L"Output") != L"0") {
    const std::wstring report = scenario.Report(arguments);
    if (report.empty()) {
      WriteLine(STD_ERROR_HANDLE, L"faketool: no recorded report for " + tool + L" in " + scenario.Folder());
      return 1;
    }
    std::wstring host = IniString(ini, L"faketool", L"HostName");
    if (host.empty()) host = HostName();
    Write(STD_OUTPUT_HANDLE, Printed(ReadFileBytes(report), ToAnsi(host)));
  }
  const std::wstring error = scenario.Setting(L"Stderr");
  if (!error.empty()) WriteLine(STD_ERROR_HANDLE, error);
  const long long flood = _wtoi64(scenario.Setting(L"FloodBytes").c_str());
  if (flood > 0) {
    const std::string line(126, '#');
    std::string block;
    for (int i = 0; i < 512; ++i) block += line + "\r\n";
    for (long long left = flood; left > 0; left -= static_cast<long long>(block.size()))
      Write(STD_OUTPUT_HANDLE, std::string_view(block).substr(
                                   0, static_cast<std::size_t>(std::min<long long>(left, block.size()))));
  }
  const std::wstring childSleep = scenario.Setting(L"ChildSleepMs");
  if (Milliseconds(childSleep) > 0) StartChild(exe, childSleep);
  Sleep(Milliseconds(scenario.Setting(L"SleepMs")));
  return _wtoi(scenario.Setting(L"ExitCode").c_str());
}

}  // namespace

int main() {
  const long long start = CreationTime();
  const std::wstring exe = ExePath();
  const std::wstring ini = FolderOf(exe) + L"faketool.ini";
  const std::wstring markFile = IniString(ini, L"faketool", L"MarkFile");
  const std::wstring startsFile = IniString(ini, L"faketool", L"StartsFile");
  if (!startsFile.empty() && ArgumentText().find(kChildSwitch) == std::wstring::npos)
    AppendLine(Resolve(startsFile, FolderOf(exe)), ToAnsi(ToolName(exe) + ArgumentText()));
  const int code = Run();
  const long long end = Now();
  if (!markFile.empty() && ArgumentText().find(kChildSwitch) == std::wstring::npos)
    AppendMark(Resolve(markFile, FolderOf(exe)), ToolName(exe), start, end);
  return code;
}
