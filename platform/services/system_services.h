// The few system queries the portable core needs, with a Windows and a POSIX
// implementation. Core code writes paths the Windows way (backslashes).
#pragma once

#include <string>
#include <string_view>

// Full file name of the running executable, whatever its length; empty when
// the system cannot tell. Directory separators are backslashes.
std::string ExecutableFilePath();

// True when value starts a double-byte character in the active ANSI code page.
bool IsLeadByte(unsigned char value);

// The code page number of UTF-8, which has no double-byte lead bytes.
inline constexpr unsigned int kUtf8CodePage = 65001;

// Chooses the ANSI code page where the system has none to ask (POSIX hosts;
// the default there is 932, Japanese Shift-JIS): IsLeadByte and Utf8FromAnsi
// follow it. Windows always follows the system's active code page and ignores this.
void SetLeadByteCodePage(unsigned int codePage);

// Text in the active ANSI code page (such as the executable's path) as UTF-8,
// the encoding of every message the player sees. A byte sequence the code
// page cannot decode becomes a replacement character.
std::string Utf8FromAnsi(std::string_view ansiText);

// A path written with backslashes, as the system's file functions take it.
std::string NativePath(std::string_view path);
