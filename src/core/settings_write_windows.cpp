// Writing the settings file on Windows: a new file moved over the old one. Names come in UTF-8 and
// go to Windows' wide calls, so that a folder in any script works.
#include <windows.h>

#include <string>

#include "core/settings.h"
#include "core/windows_text.h"

namespace {

std::wstring folder_of(const std::wstring& path) {
  const auto slash = path.find_last_of(L"/\\");
  if (slash == std::wstring::npos) return L".";
  // "C:\config.dat" lives in "C:\", not in "C:" (the drive's current folder).
  if (slash == 0 || (slash == 2 && path[1] == L':')) return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

bool write_all(HANDLE file, const SettingsBytes& bytes) {
  DWORD written = 0;
  return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size() && FlushFileBuffers(file);
}

// For a folder that takes no new files but holds a writable config.dat, and for a file with other
// names: written where it is, all 15 bytes in one write, as it always could be.
bool overwrite_in_place(const std::wstring& path, const SettingsBytes& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool written = write_all(file, bytes) && SetEndOfFile(file);
  return CloseHandle(file) && written;
}

}  // namespace

bool write_settings_file(const char* utf8_path, const Settings& s) {
  const SettingsBytes bytes = encode_settings(s);
  const std::wstring path = wide(utf8_path);
  if (path.empty()) return false;
  // An existing file we may not write (read-only, or locked by another program) stays as it is,
  // even though we could replace it by a move.
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  bool exists = false;
  HANDLE probe = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(probe, &info);
    CloseHandle(probe);
    exists = true;
    if (known) attributes = info.dwFileAttributes;
    // Windows refuses to write a read-only file, but Wine run as root would not.
    if (attributes & FILE_ATTRIBUTE_READONLY) return false;
    // A move would split the file from its other names, which would keep the old settings.
    if (known && info.nNumberOfLinks > 1) return overwrite_in_place(path, bytes);
  } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
    return false;
  }

  wchar_t temp[MAX_PATH];
  if (GetTempFileNameW(folder_of(path).c_str(), L"cfg", 0, temp) == 0) {
    return exists && overwrite_in_place(path, bytes);
  }
  HANDLE file = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  bool written = file != INVALID_HANDLE_VALUE && write_all(file, bytes);
  if (file != INVALID_HANDLE_VALUE) written = CloseHandle(file) && written;
  // Hidden or archived as the old one was; the write-through move survives a power cut.
  if (!written || !SetFileAttributesW(temp, attributes) ||
      !MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temp);
    return false;
  }
  return true;
}
