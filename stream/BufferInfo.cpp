#include "stream/BufferInfo.h"

#include <algorithm>
#include <cstdlib>

#include "common/GenICamException.h"
#include "common/Helper.h"
#include "common/PortIdentity.h"
#include "stream/ChunkTrailer.h"

namespace GenICam::Client {

namespace {
constexpr uint32_t kDescriptionAddress = 0x100;
constexpr uint32_t kDescriptionLength = 0;

void CopySize(void* buffer, size_t* size, GenTL::INFO_DATATYPE* type, size_t value) {
    CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_SIZET, value);
}

void CopyUInt64(void* buffer, size_t* size, GenTL::INFO_DATATYPE* type, uint64_t value) {
    CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_UINT64, value);
}

void CopyPointer(void* buffer, size_t* size, GenTL::INFO_DATATYPE* type, void* value) {
    CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_PTR, value);
}
}  // namespace

CBufferInfo::CBufferInfo(void* base, size_t size, void* userPointer, bool ownsMemory)
    : base_(base), size_(size), userPointer_(userPointer), ownsMemory_(ownsMemory) {}

CBufferInfo::~CBufferInfo() {
    RetireHandle();
    if (ownsMemory_) std::free(base_);
}

bool CBufferInfo::IsQueued() const {
    const BufferState now = state.load();
    return now == BufferState::Input || now == BufferState::Filling;
}

void* CBufferInfo::CheckedBase() const {
    if (base_ == nullptr) GENICAM_THROW(RuntimeException, "Invalid Memory Buffer");
    return base_;
}

BufferFill CBufferInfo::Fill() const {
    std::lock_guard lock(fillMutex_);
    return fill_;
}

void CBufferInfo::SetFill(const BufferFill& fill) {
    std::lock_guard lock(fillMutex_);
    fill_ = fill;
}

void CBufferInfo::GetBufferInfo(GenTL::BUFFER_INFO_CMD command, GenTL::INFO_DATATYPE* type,
                                void* buffer, size_t* size) const {
    const BufferFill fill = Fill();
    const Tevold::CamImageInfo& image = fill.image;
    const size_t filled = fill.imagePresent ? image.sizeFilled : 0;
    const bool chunks = fill.imagePresent && image.chunkByteOrder != Tevold::kChunksNone;
    switch (command) {
        case GenTL::BUFFER_INFO_BASE:
            return CopyPointer(buffer, size, type, CheckedBase());
        case GenTL::BUFFER_INFO_SIZE:
            return CopySize(buffer, size, type, size_);
        case GenTL::BUFFER_INFO_USER_PTR:
            return CopyPointer(buffer, size, type, userPointer_);
        case GenTL::BUFFER_INFO_TIMESTAMP:
        case GenTL::BUFFER_INFO_TIMESTAMP_NS:
            return CopyUInt64(buffer, size, type, image.timestampNs);
        case GenTL::BUFFER_INFO_NEW_DATA:
            return CopyInfoBool8(buffer, size, type, hasNewData.load());
        case GenTL::BUFFER_INFO_IS_QUEUED:
            return CopyInfoBool8(buffer, size, type, IsQueued());
        case GenTL::BUFFER_INFO_IS_ACQUIRING:
            return CopyInfoBool8(buffer, size, type, false);
        case GenTL::BUFFER_INFO_IS_INCOMPLETE:
            return CopyInfoBool8(buffer, size, type, !fill.imagePresent);
        case GenTL::BUFFER_INFO_TLTYPE:
            return CopyInfoString(buffer, size, type, TLTypeName());
        case GenTL::BUFFER_INFO_SIZE_FILLED:
        case GenTL::BUFFER_INFO_DATA_SIZE:
            return CopySize(buffer, size, type, filled);
        case GenTL::BUFFER_INFO_WIDTH:
            return CopySize(buffer, size, type, image.width);
        case GenTL::BUFFER_INFO_HEIGHT:
            return CopySize(buffer, size, type, image.height);
        case GenTL::BUFFER_INFO_XOFFSET:
            return CopySize(buffer, size, type, image.offsetX);
        case GenTL::BUFFER_INFO_YOFFSET:
            return CopySize(buffer, size, type, image.offsetY);
        case GenTL::BUFFER_INFO_XPADDING:
        case GenTL::BUFFER_INFO_YPADDING:
        case GenTL::BUFFER_INFO_IMAGEOFFSET:
            return CopySize(buffer, size, type, 0);
        case GenTL::BUFFER_INFO_FRAMEID:
            return CopyUInt64(buffer, size, type, image.frameId);
        case GenTL::BUFFER_INFO_IMAGEPRESENT:
            return CopyInfoBool8(buffer, size, type, fill.imagePresent);
        case GenTL::BUFFER_INFO_PAYLOADTYPE:
            return CopySize(buffer, size, type,
                            chunks ? GenTL::PAYLOAD_TYPE_CHUNK_DATA : GenTL::PAYLOAD_TYPE_IMAGE);
        case GenTL::BUFFER_INFO_PIXELFORMAT:
            return CopyUInt64(buffer, size, type, image.pixelFormat);
        case GenTL::BUFFER_INFO_PIXELFORMAT_NAMESPACE:
            return CopyUInt64(buffer, size, type, GenTL::PIXELFORMAT_NAMESPACE_PFNC_32BIT);
        case GenTL::BUFFER_INFO_DELIVERED_IMAGEHEIGHT:
            return CopySize(buffer, size, type, fill.imagePresent ? image.height : 0);
        case GenTL::BUFFER_INFO_PIXEL_ENDIANNESS:
            return CopyInfoInt32(buffer, size, type, GenTL::PIXELENDIANNESS_LITTLE);
        case GenTL::BUFFER_INFO_DATA_LARGER_THAN_BUFFER:
            return CopyInfoBool8(buffer, size, type, fill.dataLargerThanBuffer);
        case GenTL::BUFFER_INFO_CONTAINS_CHUNKDATA:
            return CopyInfoBool8(buffer, size, type, chunks);
        case GenTL::BUFFER_INFO_DELIVERED_CHUNKPAYLOADSIZE:
            return CopySize(buffer, size, type, chunks ? filled : 0);
        case GenTL::BUFFER_INFO_CHUNKLAYOUTID:
            return CopyUInt64(buffer, size, type, chunks ? image.chunkLayoutId : 0);
        default:
            GENICAM_THROW(InvalidParameterException, "Invalid buffer info command %d", command);
    }
}

void CBufferInfo::GetChunkData(GenTL::SINGLE_CHUNK_DATA* list, size_t* count) const {
    if (count == nullptr) GENICAM_THROW(InvalidParameterException, "Invalid Size");
    const BufferFill fill = Fill();
    const Tevold::CamImageInfo& image = fill.image;
    std::vector<GenTL::SINGLE_CHUNK_DATA> chunks;
    if (fill.imagePresent && image.chunkByteOrder != Tevold::kChunksNone) {
        const size_t filled = std::min(image.sizeFilled, size_);
        chunks = ChunkTrailer::Parse(static_cast<const uint8_t*>(CheckedBase()), filled,
                                     image.chunkByteOrder == Tevold::kChunksBigEndian);
    }
    if (list == nullptr) {
        *count = chunks.size();
        return;
    }
    if (*count < chunks.size()) {
        *count = chunks.size();
        GENICAM_THROW(BufferTooSmallException, "The list holds fewer than the %zu chunks",
                      chunks.size());
    }
    std::copy(chunks.begin(), chunks.end(), list);
    *count = chunks.size();
}

void CBufferInfo::GetURL(char* url, size_t* size) {
    CopyModuleUrl(url, size, ModuleUrl("TLBufferRegs.xml", kDescriptionAddress, kDescriptionLength),
                  0);
}

void CBufferInfo::GetPortInfo(GenTL::PORT_INFO_CMD command, GenTL::INFO_DATATYPE* type,
                              void* buffer, size_t* size) {
    const PortIdentity identity{"Buffer0",  VendorName(), ModelName(), TLTypeName(),
                                "TLBuffer", "1.0",        "BufferPort"};
    identity.Answer(command, type, buffer, size);
}

}  // namespace GenICam::Client
