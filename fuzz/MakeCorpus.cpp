// Writes the seed corpus of CodecFuzzer into the directory given as its argument: valid
// frames of every code, frames behind garbage, split and truncated frames, broken CRCs,
// a stray STX with a large LEN. Each file uses the fuzzer's chunk format (CodecFuzzer.cpp).
#include "protocol/ProtocolCodec.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using quillon::protocol::ProtocolCodec;
using Bytes = std::vector<uint8_t>;
using C = ProtocolCodec;

constexpr uint8_t kIdle = 0xFF;

// Bytes as chunks of at most `chunk` bytes, as the line would deliver them to a read.
Bytes Chunks(const Bytes& bytes, std::size_t chunk = 64) {
    Bytes out;
    for (std::size_t pos = 0; pos < bytes.size();) {
        std::size_t length = std::min(chunk, bytes.size() - pos);
        if (length > 64) {
            // The long form: a multiple of 8, up to 512.
            length = std::min<std::size_t>(512, length / 8 * 8);
            out.push_back(uint8_t(0x40 | (length / 8 - 1)));
        } else {
            out.push_back(uint8_t(length - 1));
        }
        out.insert(out.end(), bytes.begin() + pos, bytes.begin() + pos + length);
        pos += length;
    }
    return out;
}

Bytes Frame(uint8_t seq, int code, const Bytes& payload) {
    Bytes out;
    ProtocolCodec::Encode(seq, uint8_t(code), payload.data(), payload.size(), out);
    return out;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

bool Write(const std::string& dir, const std::string& name, const Bytes& bytes) {
    std::ofstream file(dir + "/" + name, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(file);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const Bytes version(32, 'Q');
    Bytes master(C::kMaxPayload);
    for (std::size_t i = 0; i < master.size(); ++i) {
        master[i] = uint8_t(i * 7);
    }
    const Bytes write = Frame(5, C::CmdWrite, {1, 0x5A});
    const Bytes reply = Frame(5, C::RepWrite + 1, {});
    Bytes badCrc = reply;
    badCrc.back() ^= 0x01;
    const Bytes bigMaster = Frame(C::kUnsolicitedSeq, C::MasterData, master);

    struct Seed {
        const char* name;
        Bytes bytes;
    };
    const Seed seeds[] = {
        {"command-version", Chunks(Frame(1, C::CmdVersion, {}))},
        {"command-write", Chunks(write)},
        {"command-address",
         Chunks(Join({Frame(2, C::CmdReadAddress, {}), Frame(3, C::CmdChangeAddress, {0x7E}),
                      Frame(4, C::CmdSaveAddress, {})}))},
        {"reply-version", Chunks(Frame(1, C::RepVersion, version))},
        {"reply-write",
         Chunks(Join({Frame(6, C::RepWrite, {}), reply, Frame(7, C::RepWrite + 2, {})}))},
        {"reply-address",
         Chunks(Join({Frame(2, C::RepAddress, {0x40}), Frame(3, C::RepChanged, {0x7E}),
                      Frame(4, C::RepSaved, {0x7E})}))},
        {"master-max", Chunks(bigMaster)},
        {"master-one-chunk", Chunks(Join({bigMaster, bigMaster}), 512)},
        {"garbage-then-reply", Chunks(Join({{0x13, 0x37, 0x00, 0xFE, 0x02, 0x01}, reply}))},
        {"bad-crc-then-reply", Chunks(Join({badCrc, reply}))},
        {"stray-stx-large-len",
         Join({Chunks({C::kStx, C::kMaxPayload, 0x01}), Bytes{kIdle}, Chunks(reply)})},
        {"len-above-max",
         Chunks(Join({{C::kStx, C::kMaxPayload + 1, 0x01, C::RepVersion}, reply}))},
        {"truncated-then-idle", Join({Chunks(Bytes(bigMaster.begin(), bigMaster.begin() + 40)),
                                      Bytes{kIdle}, Chunks(write)})},
        {"byte-by-byte", Chunks(Join({reply, write}), 1)},
        {"frame-inside-broken-frame",
         Chunks(Join({{C::kStx, 0x06, 0x09, C::MasterData}, reply, {0x00}}))},
        {"empty", {}},
    };
    for (const Seed& seed : seeds) {
        if (!Write(dir, seed.name, seed.bytes)) {
            std::fprintf(stderr, "cannot write %s/%s\n", dir.c_str(), seed.name);
            return 1;
        }
    }
    return 0;
}
