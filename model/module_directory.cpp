#include "model/module_directory.h"

#include "platform/services/system_services.h"

std::string DirectoryOfModulePath(std::string_view modulePath) {
    // Scanned from the front: in a double-byte code page the second byte of a
    // character may have the backslash's value, and only a scan that knows
    // where characters start can tell the two apart.
    std::size_t end = 0;
    for (std::size_t i = 0; i < modulePath.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(modulePath[i]);
        if (byte == '\\') {
            end = i + 1;
        } else if (IsLeadByte(byte)) {
            ++i;
        }
    }
    return std::string(modulePath.substr(0, end));
}

const char* GetModuleDirectory() {
    static std::string moduleDirectory;
    moduleDirectory = DirectoryOfModulePath(ExecutableFilePath());
    return moduleDirectory.c_str();
}
