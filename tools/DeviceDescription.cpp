#include "tools/DeviceDescription.h"

#include <arv.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "tools/GenTLError.h"

using namespace GenTL;

namespace {

std::string PortUrl(GenTLProducer& gentl, PORT_HANDLE port) {
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

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           StartsWithNoCase(text.substr(text.size() - suffix.size()), suffix);
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

// "Local:<file>;<address hex>;<length hex>[?<query>]"
std::string ReadLocal(GenTLProducer& gentl, PORT_HANDLE port, const std::string& url) {
    const std::string location =
        url.substr(6, url.find('?') == std::string::npos ? std::string::npos : url.find('?') - 6);
    std::istringstream fields(location);
    std::string fileName, address, length;
    std::getline(fields, fileName, ';');
    std::getline(fields, address, ';');
    std::getline(fields, length, ';');
    uint64_t start = 0;
    size_t size = 0;
    try {
        start = std::stoull(address, nullptr, 16);
        size = std::stoull(length, nullptr, 16);
    } catch (const std::exception&) {
        throw std::runtime_error("cannot read the description URL " + url);
    }
    std::string data(size, '\0');
    CheckGenTL(gentl, gentl.GCReadPort(port, start, data.data(), &size), "GCReadPort");
    data.resize(size);
    if (EndsWithNoCase(fileName, ".zip")) return Unzip(data, url);
    return data.substr(0, data.find('\0'));
}

// "file:///path" or "file:path", optionally followed by "?<query>".
std::string ReadFile(const std::string& url) {
    std::string path =
        url.substr(5, url.find('?') == std::string::npos ? std::string::npos : url.find('?') - 5);
    if (path.rfind("///", 0) == 0) path = path.substr(2);
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot open the description file " + path);
    const std::string data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return EndsWithNoCase(path, ".zip") ? Unzip(data, url) : data;
}

}  // namespace

DeviceDescription DownloadDescription(GenTLProducer& gentl, PORT_HANDLE port) {
    DeviceDescription description;
    description.url = PortUrl(gentl, port);
    if (StartsWithNoCase(description.url, "local:")) {
        description.xml = ReadLocal(gentl, port, description.url);
    } else if (StartsWithNoCase(description.url, "file:")) {
        description.xml = ReadFile(description.url);
    } else {
        throw std::runtime_error("cannot download the description from " + description.url);
    }
    return description;
}
