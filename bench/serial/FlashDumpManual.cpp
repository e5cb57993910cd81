// Run by hand (it takes about a minute, so no benchmark run starts it): a 16 MB Flash dump at
// 3,000,000 baud, paced by tessary-board, with the fast protocol. Target: at most 70 s.
// An argument forces the number of requests in flight (default: what the board announces).
#include "BoardProcess.h"
#include "RecordingSinks.h"
#include "Session.h"
#include "StoreOperations.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

int main(int argc, char** argv) {
    using namespace tessary;
    namespace fs = std::filesystem;
    constexpr int32_t kFlashSize = 16 * 1024 * 1024;
    constexpr int32_t kParvel16 = 6;
    const fs::path output =
        fs::temp_directory_path() / ("flash-dump-" + std::to_string(getpid()) + ".bin");
    const test::BoardProcess board({"--baud", "3000000", "--flash", "16m"});
    Session session;
    session.interfaceType = kInterfaceSerial;
    session.deviceName = board.Path();
    session.serialBaud = 3000000;
    session.serialWindow = argc > 1 ? std::atoi(argv[1]) : 0;
    session.memoryConfiguration = kParvel16;
    StoreRequest request;
    request.path = output.string();
    request.length = kFlashSize;
    request.mode = OutputMode::Replace;
    test::RecordingStatus status;
    test::RecordingMessages messages;
    const auto start = std::chrono::steady_clock::now();
    const bool ok = StoreFlashToFile(session, request, status, messages);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool whole = ok && fs::file_size(output) == static_cast<uintmax_t>(kFlashSize);
    fs::remove(output);
    std::printf("16 MB store-flash at 3,000,000 baud, fast protocol: %s in %.1f s (%.0f%% of "
                "300,000 B/s; target <= 70 s)\n",
                whole ? "done" : "FAILED", seconds, 100 * kFlashSize / seconds / 300000.0);
    return whole ? 0 : 1;
}
