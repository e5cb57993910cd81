#pragma once

// A serial port open on a pseudo-terminal whose far end the test plays: it announces what it
// likes as the board's identity and answers request frames as the test says, keeping their
// payloads.
#include "PtyPeer.h"
#include "SerialLine.h"
#include "SerialPort.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace tessary::test {

class ScriptedBoardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        line.Initialize();
        port.Initialize(line);
        ASSERT_TRUE(port.OpenPath(peer.SlavePath().c_str()));
    }
    void TearDown() override {
        Requests();
        port.Close();
    }

    // Makes the port see a board whose identity ends with `group` (none: a basic board).
    void Announce(const std::string& group) {
        Bytes reply{0x82};
        const std::string text = "Bench board" + group;
        reply.insert(reply.end(), text.begin(), text.end());
        peer.Write(Frame(reply));
        char identity[64] = {};
        ASSERT_TRUE(port.GetIdentity(64, identity));
        ASSERT_EQ(peer.ReadFrame(), Frame({0x41}));
    }
    // Takes `held` requests before it answers any of them (each with answer(payload)), then
    // answers each as it comes; keeps the payloads.
    void Answer(std::function<Bytes(const Bytes&)> answer, size_t held = 1) {
        responder = std::thread([this, answer, held] {
            std::vector<Bytes> waiting;
            while (!stop) {
                const Bytes frame = peer.ReadFrame(std::chrono::milliseconds(20));
                if (frame.empty()) {
                    continue;
                }
                waiting.emplace_back(frame.begin() + 1, frame.end() - 1);
                requests.push_back(waiting.back());
                if (requests.size() < held) {
                    continue;
                }
                for (const Bytes& payload : waiting) {
                    if (const Bytes reply = answer(payload); !reply.empty()) {
                        peer.Write(Frame(reply));
                    }
                }
                waiting.clear();
            }
        });
    }
    std::vector<Bytes> Requests() {
        stop = true;
        if (responder.joinable()) {
            responder.join();
        }
        return requests;
    }

    PtyPeer peer;
    SerialLine line;
    SerialPort port;
    std::thread responder;
    std::atomic<bool> stop{false};
    std::vector<Bytes> requests;
};

} // namespace tessary::test
