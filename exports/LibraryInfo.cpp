#include "exports/LibraryInfo.h"

#include "common/Helper.h"

namespace GenICam::Client {

std::optional<LibraryInfoValue> LibraryInfo(GenTL::TL_INFO_CMD command) {
    switch (command) {
        case GenTL::TL_INFO_ID:
        case GenTL::TL_INFO_NAME:
            return LibraryInfoValue{ModuleFileName()};
        case GenTL::TL_INFO_VENDOR:
            return LibraryInfoValue{VendorName()};
        case GenTL::TL_INFO_MODEL:
            return LibraryInfoValue{ModelName()};
        case GenTL::TL_INFO_VERSION:
            return LibraryInfoValue{FormatVersion(GetModuleVersion())};
        case GenTL::TL_INFO_TLTYPE:
            return LibraryInfoValue{TLTypeName()};
        case GenTL::TL_INFO_PATHNAME:
            return LibraryInfoValue{ModulePath()};
        case GenTL::TL_INFO_DISPLAYNAME:
            return LibraryInfoValue{LibraryDisplayName()};
        case GenTL::TL_INFO_GENTL_VER_MAJOR:
            return LibraryInfoValue{std::nullopt, kGenTLVersionMajor};
        case GenTL::TL_INFO_GENTL_VER_MINOR:
            return LibraryInfoValue{std::nullopt, kGenTLVersionMinor};
        default:
            return std::nullopt;
    }
}

}  // namespace GenICam::Client
