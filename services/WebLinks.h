#pragma once
// Web links: a page handed to the desktop's "open" action, and the exit link opened when
// the program ends. Opening never blocks and its failure is not seen.

#include <string>

#include "platform/Platform.h"

inline constexpr const char* kExitLinkFile = "play.url";

// Nothing for an empty address.
void OpenWebPage(IShell& Shell, const std::string& Url);

// The address on the URL= line of an Internet-shortcut file ("[InternetShortcut]" then
// "URL=..."); empty when the file is missing or holds no such line.
std::string ReadShortcutUrl(const std::string& FileName);

// Opens the address of the shortcut file when it exists and names one; otherwise nothing.
void OpenExitLink(IShell& Shell, const std::string& FileName = kExitLinkFile);
