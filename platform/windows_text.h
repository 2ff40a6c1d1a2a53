#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace qz7 {

// Conversions between the program's UTF-8 and the wide text of the Windows calls.
std::wstring wideFromUtf8(const std::string& text);
std::string utf8FromWide(const wchar_t* text, std::size_t size);
std::string utf8FromWide(const std::wstring& text);

// The system's text for an error code, without the line break it ends with.
std::string systemErrorText(DWORD code);

}  // namespace qz7
