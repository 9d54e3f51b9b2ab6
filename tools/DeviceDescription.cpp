#include "tools/DeviceDescription.h"

#include <arv.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "common/PortUrl.h"
#include "tools/GenTLError.h"

namespace Kavrin::Tools {

using namespace GenTL;
using GenICam::Client::PortUrl;

namespace {

std::string PortUrlText(GenTLProducer& gentl, PORT_HANDLE port) {
    char url[2048] = {};
    size_t size = sizeof url;
    uint32_t count = 0;
    // Producers older than the URL list give the URL only through GCGetPortURL.
    if (gentl.GCGetNumPortURLs(port, &count) == GC_ERR_SUCCESS) {
        if (count == 0) throw std::runtime_error("the device names no register description");
        INFO_DATATYPE type = INFO_DATATYPE_UNKNOWN;
        CheckGenTL(gentl, gentl.GCGetPortURLInfo(port, 0, URL_INFO_URL, &type, url, &size),
                   "GCGetPortURLInfo");
    } else {
        CheckGenTL(gentl, gentl.GCGetPortURL(port, url, &size), "GCGetPortURL");
    }
    url[sizeof url - 1] = '\0';
    return url;
}

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(),
                      [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

// The first file of a zipped description.
std::string Unzip(const std::string& zipped, const std::string& url) {
    std::unique_ptr<ArvZip, void (*)(ArvZip*)> zip(arv_zip_new(zipped.data(), zipped.size()),
                                                   arv_zip_free);
    const GSList* files = zip ? arv_zip_get_file_list(zip.get()) : nullptr;
    if (files == nullptr) throw std::runtime_error("cannot unpack the zipped description " + url);
    const char* name = arv_zip_file_get_name(static_cast<ArvZipFile*>(files->data));
    size_t size = 0;
    std::unique_ptr<void, void (*)(gpointer)> data(arv_zip_get_file(zip.get(), name, &size),
                                                   g_free);
    if (!data) throw std::runtime_error("cannot unpack " + std::string(name) + " from " + url);
    return std::string(static_cast<const char*>(data.get()), size);
}

std::string ReadLocal(GenTLProducer& gentl, PORT_HANDLE port, const PortUrl& url) {
    if (!url.registerAddress || !url.fileSize)
        throw std::runtime_error("cannot read the description URL " + url.text);
    size_t size = *url.fileSize;
    std::string data(size, '\0');
    CheckGenTL(gentl, gentl.GCReadPort(port, *url.registerAddress, data.data(), &size),
               "GCReadPort");
    data.resize(size);
    if (EndsWithNoCase(url.fileName, ".zip")) return Unzip(data, url.text);
    return data.substr(0, data.find('\0'));
}

std::string ReadFile(const PortUrl& url) {
    std::ifstream file(url.fileName, std::ios::binary);
    if (!file) throw std::runtime_error("cannot open the description file " + url.fileName);
    const std::string data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return EndsWithNoCase(url.fileName, ".zip") ? Unzip(data, url.text) : data;
}

}  // namespace

DeviceDescription DownloadDescription(GenTLProducer& gentl, PORT_HANDLE port) {
    DeviceDescription description;
    description.url = PortUrlText(gentl, port);
    const PortUrl url = PortUrl::Parse(description.url);
    if (url.scheme == URL_SCHEME_LOCAL) {
        description.xml = ReadLocal(gentl, port, url);
    } else if (url.scheme == URL_SCHEME_FILE) {
        description.xml = ReadFile(url);
    } else {
        throw std::runtime_error("cannot download the description from " + description.url);
    }
    return description;
}

}  // namespace Kavrin::Tools
