#pragma once
// The engine's names are UTF-8; Windows' wide functions take UTF-16.
#ifdef _WIN32
#include <string>

std::wstring Utf16(const std::string& text);
std::string Utf8(const wchar_t* text);
#endif
