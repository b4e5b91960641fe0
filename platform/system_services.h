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

// Chooses the code page for IsLeadByte where the system has none to ask
// (POSIX hosts; the default there is 932, Japanese Shift-JIS). Windows always
// follows the system's active code page and ignores this.
void SetLeadByteCodePage(unsigned int codePage);

// A path written with backslashes, as the system's file functions take it.
std::string NativePath(std::string_view path);
