// Windows: names go to the wide calls as UTF-16, and come back with '/' between folders, which
// the calls take as well as '\', so that the capture's own path handling holds on both systems.
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwctype>

#include "core/windows_text.h"
#include "host.h"
#include "platform/desktop/desktop.h"

namespace {

std::string with_slashes(std::wstring path) {
  std::replace(path.begin(), path.end(), L'\\', L'/');
  return narrow(path);
}

std::wstring full_path(const std::string& path) {
  const std::wstring name = wide(path);
  const DWORD n = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (n == 0) return name;
  std::wstring full(n, L'\0');
  const DWORD written = GetFullPathNameW(name.c_str(), n, full.data(), nullptr);
  full.resize(written < n ? written : 0);
  return full.empty() ? name : full;
}

std::string last_error_text() {
  wchar_t* text = nullptr;
  FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, GetLastError(), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = text != nullptr ? text : L"unknown error";
  LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                              message.back() == L'.' || message.back() == L' ')) {
    message.pop_back();
  }
  return narrow(message);
}

bool is_folder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The volume and index that name a file whatever path reaches it (hard links too).
bool file_id(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  return known;
}

}  // namespace

std::string absolute_path(const std::string& path) {
  return path.empty() ? path : with_slashes(full_path(path));
}

std::string working_folder() {
  return with_slashes(full_path("."));
}

bool change_folder(const std::string& dir, std::string& error) {
  if (SetCurrentDirectoryW(wide(dir).c_str())) return true;
  error = dir + ": " + last_error_text();
  return false;
}

bool make_folder(const std::string& dir, std::string& error) {
  const std::wstring name = wide(dir);
  if (CreateDirectoryW(name.c_str(), nullptr) || is_folder(name)) return true;
  if (GetLastError() == ERROR_ALREADY_EXISTS) SetLastError(ERROR_DIRECTORY);
  error = dir + ": " + last_error_text();
  return false;
}

bool same_file(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION ia{}, ib{};
  if (file_id(wide(a), ia) && file_id(wide(b), ib))
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
  // Names on Windows' file systems ignore case.
  std::wstring fa = full_path(a), fb = full_path(b);
  std::replace(fa.begin(), fa.end(), L'/', L'\\');
  std::replace(fb.begin(), fb.end(), L'/', L'\\');
  return CompareStringOrdinal(fa.c_str(), -1, fb.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::string folder_refusal(const std::string& folder) {
  const std::wstring name = wide(folder);
  if (!is_folder(name)) return folder + ": " + std::strerror(ENOENT);
  if (_waccess(name.c_str(), 2) != 0) return folder + ": " + std::strerror(errno);
  return {};
}

bool holds_frame_pictures(const std::string& dir) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((wide(dir) + L"\\frame-*.png").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

bool stderr_is_terminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

// SDL's Windows driver and WGL (under Wine the host's Mesa): frames are read from the back buffer
// before any swap, so the window need never be on screen.
void use_headless_video() {
  keep_window_unseen();
}
