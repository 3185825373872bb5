#include "services/WebLinks.h"

#include <cctype>
#include <sstream>

#include "platform/Files.h"

namespace {

// A shortcut is a few lines; a larger file is not one we read through.
constexpr size_t kMaxShortcutBytes = 64 * 1024;

std::string Trim(const std::string& S) {
  size_t B = 0, E = S.size();
  while (B < E && std::isspace(static_cast<unsigned char>(S[B]))) ++B;
  while (E > B && std::isspace(static_cast<unsigned char>(S[E - 1]))) --E;
  return S.substr(B, E - B);
}

bool IsUrlKey(const std::string& Key) {
  return Key.size() == 3 && std::toupper(static_cast<unsigned char>(Key[0])) == 'U' &&
         std::toupper(static_cast<unsigned char>(Key[1])) == 'R' &&
         std::toupper(static_cast<unsigned char>(Key[2])) == 'L';
}

}  // namespace

void OpenWebPage(IShell& Shell, const std::string& Url) {
  if (!Url.empty()) Shell.Open(Url);
}

std::string ReadShortcutUrl(const std::string& FileName) {
  std::string Text, Error;
  if (!ReadFileBytes(FileName, Text, Error, kMaxShortcutBytes)) return {};
  std::istringstream In(Text);
  std::string Line;
  while (std::getline(In, Line)) {
    const size_t Eq = Line.find('=');
    if (Eq == std::string::npos || !IsUrlKey(Trim(Line.substr(0, Eq)))) continue;
    const std::string Url = Trim(Line.substr(Eq + 1));
    if (!Url.empty()) return Url;
  }
  return {};
}

void OpenExitLink(IShell& Shell, const std::string& FileName) {
  OpenWebPage(Shell, ReadShortcutUrl(FileName));
}
