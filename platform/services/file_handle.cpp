#include "platform/services/file_handle.h"

#include "platform/services/system_services.h"

FileHandle OpenFileForReading(std::string_view path) {
    return FileHandle(std::fopen(NativePath(path).c_str(), "rb"));
}
