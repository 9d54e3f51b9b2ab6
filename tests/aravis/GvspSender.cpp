#include "GvspSender.h"

#include <arpa/inet.h>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace aravis_tests {
namespace {

constexpr uint16_t kGvcpPort = 3956;
constexpr uint16_t kPacketResendCommand = 0x0040;
constexpr uint32_t kPacketSizeRegister = 0x0d04;
// IPv4, UDP and GVSP headers: what a packet of the negotiated size holds besides its data.
constexpr size_t kPacketOverhead = 20 + 8 + 8;

enum PacketFormat : uint8_t { kLeader = 1, kTrailer = 2, kData = 3 };

void Put16(std::vector<uint8_t>& packet, uint16_t value) {
    packet.push_back(static_cast<uint8_t>(value >> 8));
    packet.push_back(static_cast<uint8_t>(value));
}

void Put32(std::vector<uint8_t>& packet, uint32_t value) {
    Put16(packet, static_cast<uint16_t>(value >> 16));
    Put16(packet, static_cast<uint16_t>(value));
}

uint32_t Get32(const uint8_t* at) {
    return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3];
}

std::vector<uint8_t> Header(uint16_t blockId, PacketFormat format, uint32_t packetId) {
    std::vector<uint8_t> packet;
    Put16(packet, 0);  // status
    Put16(packet, blockId);
    Put32(packet, uint32_t{format} << 24 | (packetId & 0xFFFFFF));
    return packet;
}

int OpenSocket(int domain, int type, int protocol, const char* what) {
    const int descriptor = socket(domain, type | SOCK_CLOEXEC, protocol);
    if (descriptor < 0) {
        throw std::runtime_error(std::string("cannot open ") + what + ": " + std::strerror(errno));
    }
    return descriptor;
}

// Every IPv4 packet on loopback, as it is received.
int WatchLoopback() {
    const int descriptor = OpenSocket(AF_PACKET, SOCK_DGRAM, htons(ETH_P_IP), "a packet socket");
    sockaddr_ll loopback{};
    loopback.sll_family = AF_PACKET;
    loopback.sll_protocol = htons(ETH_P_IP);
    loopback.sll_ifindex = static_cast<int>(if_nametoindex("lo"));
    if (bind(descriptor, reinterpret_cast<const sockaddr*>(&loopback), sizeof loopback) != 0) {
        close(descriptor);
        throw std::runtime_error(std::string("cannot watch loopback: ") + std::strerror(errno));
    }
    return descriptor;
}

}  // namespace

GvspSender::GvspSender(ArvFakeCamera* camera)
    : camera_(camera),
      sender_(OpenSocket(AF_INET, SOCK_DGRAM, 0, "a UDP socket")),
      watch_(WatchLoopback()),
      resendAnswerer_([this] { AnswerResendRequests(); }) {}

GvspSender::~GvspSender() {
    stopping_ = true;
    resendAnswerer_.join();
    close(watch_);
    close(sender_);
}

std::vector<GvspSender::Packet> GvspSender::PacketsOf(const Frame& frame) const {
    guint32 packetSize = 0;
    arv_fake_camera_read_register(camera_, kPacketSizeRegister, &packetSize);
    const size_t dataPerPacket = (packetSize & 0xFFFF) - kPacketOverhead;

    std::vector<Packet> packets;
    Packet leader = Header(frame.blockId, kLeader, 0);
    Put16(leader, 0);  // flags
    Put16(leader, frame.payloadType);
    Put32(leader, 0);  // timestamp, high word
    Put32(leader, frame.blockId * 1000u);
    for (const uint32_t word : {frame.pixelFormat, frame.width, frame.height, 0u, 0u}) {
        Put32(leader, word);
    }
    Put32(leader, 0);  // padding
    packets.push_back(leader);

    for (size_t offset = 0; offset < frame.payload.size(); offset += dataPerPacket) {
        Packet data = Header(frame.blockId, kData, static_cast<uint32_t>(packets.size()));
        const size_t end = std::min(frame.payload.size(), offset + dataPerPacket);
        data.insert(data.end(), frame.payload.begin() + offset, frame.payload.begin() + end);
        packets.push_back(data);
    }

    Packet trailer = Header(frame.blockId, kTrailer, static_cast<uint32_t>(packets.size()));
    Put16(trailer, 0);
    Put16(trailer, frame.payloadType);
    Put32(trailer, frame.height);
    packets.push_back(trailer);
    return packets;
}

void GvspSender::Send(const Frame& frame, const std::set<uint32_t>& held) {
    const std::vector<Packet> packets = PacketsOf(frame);
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        sent_[frame.blockId] = packets;
    }
    for (uint32_t id = 0; id < packets.size(); ++id) {
        if (held.count(id) == 0) Transmit(packets[id]);
    }
}

void GvspSender::Transmit(const Packet& packet) {
    GSocketAddress* address = arv_fake_camera_get_stream_address(camera_);
    sockaddr_in destination{};
    const bool known =
        address != nullptr &&
        g_socket_address_to_native(address, &destination, sizeof destination, nullptr);
    if (address != nullptr) g_object_unref(address);
    if (!known) throw std::runtime_error("the consumer set up no stream channel");
    sendto(sender_, packet.data(), packet.size(), 0,
           reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
}

// A resend request is a GVCP command to the camera: an 8-byte header (key, flags, command,
// length, request ID), then the stream channel and block ID, the first and the last packet ID.
void GvspSender::AnswerResendRequests() {
    uint8_t packet[1600];
    while (!stopping_) {
        pollfd watched{watch_, POLLIN, 0};
        if (poll(&watched, 1, 20) <= 0) continue;
        sockaddr_ll from{};
        socklen_t fromSize = sizeof from;
        const ssize_t size = recvfrom(watch_, packet, sizeof packet, 0,
                                      reinterpret_cast<sockaddr*>(&from), &fromSize);
        // Loopback shows each packet twice: leaving and arriving.
        if (size < 20 || from.sll_pkttype == PACKET_OUTGOING || packet[9] != IPPROTO_UDP) continue;
        const size_t udp = size_t{packet[0] & 0x0Fu} * 4;
        const uint8_t* gvcp = packet + udp + 8;
        if (static_cast<size_t>(size) < udp + 8 + 20) continue;
        const uint16_t port = static_cast<uint16_t>(packet[udp + 2] << 8 | packet[udp + 3]);
        const uint16_t command = static_cast<uint16_t>(gvcp[2] << 8 | gvcp[3]);
        if (port != kGvcpPort || gvcp[0] != 0x42 || command != kPacketResendCommand) continue;
        Resend(static_cast<uint16_t>(Get32(gvcp + 8)), Get32(gvcp + 12) & 0xFFFFFF,
               Get32(gvcp + 16) & 0xFFFFFF);
    }
}

void GvspSender::Resend(uint16_t blockId, uint32_t first, uint32_t last) {
    std::vector<Packet> wanted;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        const auto frame = sent_.find(blockId);
        if (frame == sent_.end()) return;
        for (uint32_t id = first; id <= last && id < frame->second.size(); ++id) {
            wanted.push_back(frame->second[id]);
        }
    }
    for (const Packet& packet : wanted) {
        Transmit(packet);
        ++resent_;
    }
}

}  // namespace aravis_tests
