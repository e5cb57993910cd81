// What a board that computes on its side (checksums, fills, run-length reads) saves on a
// 115200-baud line, paced by tessary-board, beside the same board announcing none of it:
// - load with verify of random data (RAM), as a share of the line's 11,520 B/s;
// - load of an image that is half runs of 0xFF (RAM), effective bytes/s as a multiple of the line;
// - a 256 KB Flash image loaded (auto erase, verify), loaded again unchanged, and again with one
//   8K parameter block changed, and with 8K changed inside a 128K main block;
// - a store of 512 KB of erased Flash, effective bytes/s as a multiple of the line.
#include "BoardProcess.h"
#include "LoadOperations.h"
#include "RecordingSinks.h"
#include "Session.h"
#include "StoreOperations.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace tessary {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kLineBytesPerSecond = 115200 / 10.0;
constexpr int32_t kRamSize = 64 * 1024;
constexpr int32_t kFlashImageSize = 256 * 1024;
constexpr uint32_t kFlashImageStart = 0x40000; // up to the Flash's end: 128K, 96K, 8K, 8K, 16K
constexpr uint32_t kParameterBlock = 0x78000;
constexpr int32_t kFlashSize = 512 * 1024;

class Folder {
  public:
    Folder() {
        dir_ = fs::temp_directory_path() / ("board-computes-bench-" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    ~Folder() { fs::remove_all(dir_); }
    std::string Write(const std::string& name, const std::vector<uint8_t>& data) const {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()),
                   static_cast<std::streamsize>(data.size()));
        return path;
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  private:
    fs::path dir_;
};

std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> data(size);
    for (uint8_t& byte : data) {
        byte = static_cast<uint8_t>(random());
    }
    return data;
}

// 4K of random bytes, then 4K of 0xFF, and so on.
std::vector<uint8_t> HalfErased(size_t size) {
    std::vector<uint8_t> data = RandomBytes(size, 7);
    for (size_t at = 4096; at < size; at += 8192) {
        std::fill_n(data.begin() + static_cast<std::ptrdiff_t>(at),
                    std::min<size_t>(4096, size - at), 0xFF);
    }
    return data;
}

Session SessionFor(const test::BoardProcess& board) {
    Session session;
    session.interfaceType = kInterfaceSerial;
    session.deviceName = board.Path();
    session.serialBaud = 115200;
    return session;
}

struct Timed {
    double seconds = -1; // negative: the run failed
    std::string status;
};

template <typename Run> Timed Time(Run run) {
    test::RecordingStatus status;
    test::RecordingMessages messages;
    const auto start = Clock::now();
    const bool ok = run(status, messages);
    Timed timed;
    timed.status = status.Last();
    if (!ok || !messages.texts.empty()) {
        std::fprintf(stderr, "the run failed: %s\n",
                     messages.texts.empty() ? timed.status.c_str()
                                            : messages.texts.front().c_str());
        return timed;
    }
    timed.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return timed;
}

Timed LoadRam(const Session& session, const std::string& path, bool verify) {
    return Time([&](StatusSink& status, MessageSink& messages) {
        LoadRequest request;
        request.fileName = path;
        request.verify = verify;
        return LoadRamOperation(session, request, status, messages);
    });
}

Timed LoadFlash(const Session& session, const std::string& path) {
    return Time([&](StatusSink& status, MessageSink& messages) {
        LoadRequest request;
        request.fileName = path;
        request.startAddress = static_cast<int32_t>(kFlashImageStart);
        request.startTyped = true;
        request.verify = true;
        request.autoErase = true;
        request.skipUnchanged = true;
        return LoadFlashOperation(session, request, status, messages);
    });
}

Timed StoreFlash(const Session& session, const std::string& path) {
    return Time([&](StatusSink& status, MessageSink& messages) {
        StoreRequest request;
        request.path = path;
        request.length = kFlashSize;
        request.mode = OutputMode::Replace;
        return StoreFlashToFile(session, request, status, messages);
    });
}

double Share(int32_t bytes, const Timed& timed) {
    return timed.seconds > 0 ? bytes / timed.seconds / kLineBytesPerSecond : 0;
}

void RamRows(const Folder& folder) {
    const std::string random = folder.Write("random.bin", RandomBytes(kRamSize, 1));
    const std::string halfErased = folder.Write("half-ff.bin", HalfErased(kRamSize));
    std::printf("64 KB of RAM at 115200 baud       %14s %14s\n", "x=cfr", "x= none");
    double verify[2] = {};
    double runs[2] = {};
    for (int none = 0; none < 2; ++none) {
        std::vector<std::string> options = {"--baud", "115200"};
        if (none == 1) {
            options.insert(options.end(), {"--extensions", "none"});
        }
        const test::BoardProcess board(options);
        const Session session = SessionFor(board);
        verify[none] = Share(kRamSize, LoadRam(session, random, true));
        runs[none] = Share(kRamSize, LoadRam(session, halfErased, false));
    }
    std::printf("load+verify, random data          %13.1f%% %13.1f%%   (target >= 96%%)\n",
                100 * verify[0], 100 * verify[1]);
    std::printf("load, half runs of 0xFF           %13.2fx %13.2fx   (target >= 1.8x)\n", runs[0],
                runs[1]);
}

void FlashRows(const Folder& folder) {
    std::vector<uint8_t> image = RandomBytes(kFlashImageSize, 3);
    const std::string first = folder.Write("image.bin", image);
    for (size_t i = 0; i < 8192; ++i) {
        image[kParameterBlock - kFlashImageStart + i] ^= 0x5A;
    }
    const std::string parameterChanged = folder.Write("image-param.bin", image);
    for (size_t i = 0; i < 8192; ++i) {
        image[0x10000 + i] ^= 0x33;
    }
    const std::string mainChanged = folder.Write("image-main.bin", image);

    const test::BoardProcess board({"--baud", "115200", "--flash", "512k"});
    Session session = SessionFor(board);
    const Timed load = LoadFlash(session, first);
    const Timed again = LoadFlash(session, first);
    const Timed parameter = LoadFlash(session, parameterChanged);
    const Timed main = LoadFlash(session, mainChanged);
    const auto row = [&](const char* what, const Timed& timed, const char* target) {
        std::printf("%-44s %7.2f s %6.1f%% of the first  %s\n", what, timed.seconds,
                    load.seconds > 0 ? 100 * timed.seconds / load.seconds : 0.0, target);
        std::printf("    %s\n", timed.status.c_str());
    };
    std::printf("\n256 KB Flash image at 0x%05X, auto erase, verify, 115200 baud\n",
                kFlashImageStart);
    row("first load", load, "");
    row("again, unchanged", again, "(target <= 10%)");
    row("again, one 8K parameter block changed", parameter, "(target <= 20%)");
    row("again, 8K changed in a 128K main block", main, "(the whole block is programmed)");

    const test::BoardProcess erased({"--baud", "115200", "--flash", "512k"});
    const Timed store = StoreFlash(SessionFor(erased), folder.Path("erased.bin"));
    std::printf("\nstore of 512 KB of erased Flash: %.2f s, %.1fx the line   (target >= 10x)\n",
                store.seconds, Share(kFlashSize, store));
}

} // namespace
} // namespace tessary

int main() {
    using namespace tessary;
    const Folder folder;
    RamRows(folder);
    FlashRows(folder);
    return 0;
}
