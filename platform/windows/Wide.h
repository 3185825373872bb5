#pragma once
// Paths and text are UTF-8 inside the program and UTF-16 at the Windows API: the two turns,
// and the system's error text.

#include <windows.h>

#include <filesystem>
#include <string>

// UTF-8 to UTF-16; invalid sequences become U+FFFD.
inline std::wstring WideOf(const std::string& Utf8) {
  if (Utf8.empty()) return {};
  const int Length = MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), static_cast<int>(Utf8.size()),
                                         nullptr, 0);
  std::wstring Wide(static_cast<size_t>(Length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), static_cast<int>(Utf8.size()), Wide.data(), Length);
  return Wide;
}

inline std::string Utf8Of(const std::wstring& Wide) {
  if (Wide.empty()) return {};
  const int Length = WideCharToMultiByte(CP_UTF8, 0, Wide.data(), static_cast<int>(Wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string Utf8(static_cast<size_t>(Length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, Wide.data(), static_cast<int>(Wide.size()), Utf8.data(), Length,
                      nullptr, nullptr);
  return Utf8;
}

// A std::filesystem path for a UTF-8 one, and back (the library's narrow strings would go
// through the ANSI code page).
inline std::filesystem::path PathOf(const std::string& Utf8) {
  return std::filesystem::path(WideOf(Utf8));
}
inline std::string Utf8Of(const std::filesystem::path& Path) {
  return Utf8Of(Path.wstring());
}

// The system's text for an error code (GetLastError()), without the trailing line break.
inline std::string ErrorText(DWORD Code) {
  wchar_t* Buffer = nullptr;
  const DWORD Length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, Code, 0, reinterpret_cast<wchar_t*>(&Buffer), 0, nullptr);
  std::wstring Text = Length && Buffer ? std::wstring(Buffer, Length) : std::wstring();
  if (Buffer) LocalFree(Buffer);
  while (!Text.empty() && (Text.back() == L'\n' || Text.back() == L'\r' || Text.back() == L' ' ||
                           Text.back() == L'.'))
    Text.pop_back();
  if (Text.empty()) return "error " + std::to_string(Code);
  return Utf8Of(Text);
}
