#include "common/PortUrlList.h"

#include "common/GenICamException.h"
#include "common/Helper.h"
#include "common/ICommonBase.h"

namespace GenICam::Client {

namespace {

std::string ReadUrlText(IPort& port) {
    constexpr size_t kUrlCapacity = 2048;
    return ReadLibraryText(kUrlCapacity,
                           [&](char* text, size_t* size) { port.GetURL(text, size); });
}

void RaiseNotAvailable(GenTL::URL_INFO_CMD command) {
    GENICAM_THROW(NotAvailableException, "URL info command %d not available", command);
}

template <class T>
T Available(const std::optional<T>& value, GenTL::URL_INFO_CMD command) {
    if (!value) RaiseNotAvailable(command);
    return *value;
}

}  // namespace

void AnswerUrlInfo(const PortUrl& url, GenTL::URL_INFO_CMD command, GenTL::INFO_DATATYPE* type,
                   void* buffer, size_t* size) {
    switch (command) {
        case GenTL::URL_INFO_URL:
            return CopyInfoString(buffer, size, type, url.text);
        case GenTL::URL_INFO_SCHEME:
            return CopyInfoInt32(buffer, size, type, url.scheme);
        case GenTL::URL_INFO_FILENAME:
            return CopyInfoString(buffer, size, type, url.fileName);
        case GenTL::URL_INFO_FILE_REGISTER_ADDRESS:
            return CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_UINT64,
                                  Available(url.registerAddress, command));
        case GenTL::URL_INFO_FILE_SIZE:
            return CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_UINT64,
                                  Available(url.fileSize, command));
        case GenTL::URL_INFO_SCHEMA_VER_MAJOR:
            return CopyInfoInt32(buffer, size, type, Available(url.schemaMajor, command));
        case GenTL::URL_INFO_SCHEMA_VER_MINOR:
            return CopyInfoInt32(buffer, size, type, Available(url.schemaMinor, command));
        case GenTL::URL_INFO_FILE_VER_MAJOR:
        case GenTL::URL_INFO_FILE_VER_MINOR:
        case GenTL::URL_INFO_FILE_VER_SUBMINOR:
        case GenTL::URL_INFO_FILE_SHA1_HASH:
            RaiseNotAvailable(command);
            break;
        default:
            GENICAM_THROW(InvalidParameterException, "Invalid URL info command %d", command);
    }
}

uint32_t NumPortUrls(IPort& port) {
    try {
        return PortUrl::Parse(ReadUrlText(port)).NamesDescription() ? 1 : 0;
    } catch (const GenericException&) {
        // A port whose URL cannot be read names no description.
        return 0;
    }
}

void GetPortUrlInfo(IPort& port, uint32_t index, GenTL::URL_INFO_CMD command,
                    GenTL::INFO_DATATYPE* type, void* buffer, size_t* size) {
    const PortUrl url = PortUrl::Parse(ReadUrlText(port));
    if (index != 0 || !url.NamesDescription())
        GENICAM_THROW(InvalidIndexException, "Invalid URL index %u", index);
    AnswerUrlInfo(url, command, type, buffer, size);
}

}  // namespace GenICam::Client
