// Windows: programs found beside this one or on PATH, started by CreateProcessW with pipes and a
// message file for their standard streams, and without a console, so that Ctrl+C reaches only us.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdlib>

#include "child_process.h"
#include "core/windows_text.h"
#include "stop_signal.h"

namespace {

bool is_file(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring own_folder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// One argument as the C runtime's parser gives it back: quoted when it holds a space, a tab or a
// quote, each quote escaped, and the backslashes before a quote (or the closing one) doubled.
std::wstring quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, L'\\');
  return out + L"\"";
}

// A handle the program started next inherits, and no other.
HANDLE inheritable(HANDLE handle) {
  HANDLE copy = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE,
                       DUPLICATE_SAME_ACCESS))
    return nullptr;
  return copy;
}

// A temporary file that goes when its last handle closes.
HANDLE message_file() {
  wchar_t folder[MAX_PATH + 1];
  wchar_t name[MAX_PATH + 1];
  if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"sbc", 0, name) == 0)
    return nullptr;
  HANDLE file = CreateFileW(
      name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

HANDLE null_device(DWORD access) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE file = CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            OPEN_EXISTING, 0, nullptr);
  return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

void close_handle(HANDLE& handle) {
  if (handle != nullptr) CloseHandle(handle);
  handle = nullptr;
}

HANDLE as_handle(std::intptr_t value) {
  return reinterpret_cast<HANDLE>(value);
}

}  // namespace

std::string find_program(const char* name) {
  const std::wstring file = wide(name) + L".exe";
  std::wstring folders = own_folder();
  if (const wchar_t* path = _wgetenv(L"PATH")) folders += std::wstring(L";") + path;
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(L';', start);
    if (end == std::wstring::npos) end = folders.size();
    std::wstring folder = folders.substr(start, end - start);
    if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
      folder = folder.substr(1, folder.size() - 2);
    if (!folder.empty() && is_file(folder + L"\\" + file)) return narrow(folder + L"\\" + file);
    start = end + 1;
  }
  return {};
}

bool ffmpeg_found() {
  return !find_program("ffmpeg").empty() && !find_program("ffprobe").empty();
}

const char* ffmpeg_missing() {
  return "ffmpeg.exe and ffprobe.exe, which are neither beside swirlbeam-capture.exe nor on PATH "
         "(https://ffmpeg.org/download.html)";
}

void ignore_broken_pipes() {}  // a write to a closed pipe fails on Windows, and that is all

ChildProcess::~ChildProcess() {
  stop();
}

bool ChildProcess::start(const std::vector<std::string>& argv, bool piped_input,
                         bool piped_output) {
  const std::string program = find_program(argv[0].c_str());
  if (program.empty()) return false;
  std::wstring line = quoted(wide(program));
  for (std::size_t i = 1; i < argv.size(); ++i) line += L" " + quoted(wide(argv[i]));

  // The program's ends of the pipes are inheritable; ours are not, so that neither it nor a
  // program started after it holds them open.
  HANDLE their_in = nullptr, our_in = nullptr, our_out = nullptr, their_out = nullptr;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  bool ok = true;
  if (piped_input) {
    ok = CreatePipe(&their_in, &our_in, &inherit, 0) &&
         SetHandleInformation(our_in, HANDLE_FLAG_INHERIT, 0);
  } else {
    their_in = null_device(GENERIC_READ);
  }
  if (ok && piped_output) {
    ok = CreatePipe(&our_out, &their_out, &inherit, 0) &&
         SetHandleInformation(our_out, HANDLE_FLAG_INHERIT, 0);
  } else if (ok) {
    their_out = null_device(GENERIC_WRITE);
  }
  HANDLE messages = message_file();
  HANDLE their_messages = messages != nullptr ? inheritable(messages) : nullptr;

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = their_in;
  startup.hStdOutput = their_out;
  startup.hStdError = their_messages;
  PROCESS_INFORMATION process{};
  ok = ok && CreateProcessW(wide(program).c_str(), line.data(), nullptr, nullptr, TRUE,
                            CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  close_handle(their_in);
  close_handle(their_out);
  close_handle(their_messages);
  if (!ok) {
    close_handle(our_in);
    close_handle(our_out);
    close_handle(messages);
    return false;
  }
  CloseHandle(process.hThread);
  process_ = reinterpret_cast<std::intptr_t>(process.hProcess);
  if (our_out != nullptr) output_ = reinterpret_cast<std::intptr_t>(our_out);
  if (messages != nullptr) {
    const int fd =
        _open_osfhandle(reinterpret_cast<std::intptr_t>(messages), _O_RDONLY | _O_BINARY);
    messages_ = fd >= 0 ? _fdopen(fd, "rb") : nullptr;
    if (messages_ == nullptr) fd >= 0 ? static_cast<void>(_close(fd)) : close_handle(messages);
  }
  if (our_in != nullptr) {
    const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(our_in), _O_WRONLY | _O_BINARY);
    input_ = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
    if (input_ == nullptr) fd >= 0 ? static_cast<void>(_close(fd)) : close_handle(our_in);
    return input_ != nullptr;
  }
  return true;
}

std::string ChildProcess::read_output() {
  std::string out;
  if (output_ == -1) return out;
  char chunk[256];
  DWORD n = 0;
  while (ReadFile(as_handle(output_), chunk, sizeof chunk, &n, nullptr) && n > 0)
    out.append(chunk, n);
  CloseHandle(as_handle(output_));
  output_ = -1;
  return out;
}

bool ChildProcess::wait_ok() {
  if (process_ == -1) return false;
  HANDLE process = as_handle(process_);
  bool stopped = false;
  while (WaitForSingleObject(process, 10) == WAIT_TIMEOUT) {
    if (stop_signal() != 0 && !stopped) stopped = TerminateProcess(process, 1);
  }
  DWORD status = 1;
  const bool known = GetExitCodeProcess(process, &status);
  CloseHandle(process);
  process_ = -1;
  return known && status == 0;
}

void ChildProcess::stop() {
  close_input();
  if (process_ != -1) {
    HANDLE process = as_handle(process_);
    TerminateProcess(process, 1);
    WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
    process_ = -1;
  }
  close_all();
}

void ChildProcess::close_all() {
  if (output_ != -1) CloseHandle(as_handle(output_));
  output_ = -1;
  if (messages_ != nullptr) std::fclose(messages_);
  messages_ = nullptr;
}
