// UTF-8, as the program keeps names, to and from Windows' UTF-16, as its wide calls take them.
#pragma once

#include <string>

// Empty for text that is not UTF-8.
std::wstring wide(const std::string& utf8);
std::string narrow(const std::wstring& utf16);
