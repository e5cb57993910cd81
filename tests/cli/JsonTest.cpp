// --json: stdout holds exactly one JSON object that carries the outcome.
#include "CliFixture.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace tessary::test {
namespace {

using Json = CliTest;

nlohmann::json Parse(const CliResult& result) {
    EXPECT_EQ(Lines(result.out).size(), 1u) << result.out;
    return nlohmann::json::parse(result.out);
}

TEST_F(Json, SuccessCarriesStatusAndBytes) {
    MakeFile("in.bin", 20000);
    const nlohmann::json json = Parse(Cli({"--json", "load-ram", Path("in.bin")}));
    EXPECT_EQ(json["command"], "load-ram");
    EXPECT_EQ(json["ok"], true);
    EXPECT_EQ(json["exitCode"], 0);
    EXPECT_EQ(json["status"], "RAM load complete. Total bytes transferred: 20000");
    EXPECT_EQ(json["messages"], nlohmann::json::array());
    EXPECT_EQ(json["bytes"], 20000);
}

TEST_F(Json, VerifyFailureCarriesTheMessageBox) {
    WriteTable("Flaky sim default flip-byte=9000\n");
    MakeFile("in.bin", 20000);
    const CliResult result = Cli({"load-ram", Path("in.bin"), "--json"});
    EXPECT_EQ(result.exitCode, 1);
    const nlohmann::json json = Parse(result);
    EXPECT_EQ(json["ok"], false);
    EXPECT_EQ(json["exitCode"], 1);
    EXPECT_EQ(json["status"], "Write verification failed.");
    ASSERT_EQ(json["messages"].size(), 1u);
    EXPECT_EQ(json["messages"][0]["text"], "Write verification failed.");
    EXPECT_EQ(json["messages"][0]["caption"], "Tessary Error");
    EXPECT_EQ(json["messages"][0]["icon"], "error");
    // The first block verified; the fault hit the second.
    EXPECT_EQ(json["bytes"], 8192);
}

TEST_F(Json, InvalidInputHasNoStatus) {
    const CliResult result = Cli({"--json", "load-ram", ""});
    EXPECT_EQ(result.exitCode, 2);
    const nlohmann::json json = Parse(result);
    EXPECT_EQ(json["command"], "load-ram");
    EXPECT_EQ(json["exitCode"], 2);
    EXPECT_TRUE(json["status"].is_null());
    ASSERT_EQ(json["messages"].size(), 1u);
    EXPECT_EQ(json["messages"][0]["text"], "No file name entered.");
    EXPECT_EQ(json["messages"][0]["caption"], "Error");
    EXPECT_EQ(json["messages"][0]["icon"], "none");
}

TEST_F(Json, CommandLineErrorIsStillOneObject) {
    const CliResult result = Cli({"--json", "store-ram", Path("out.bin")});
    EXPECT_EQ(result.exitCode, 2);
    const nlohmann::json json = Parse(result);
    EXPECT_EQ(json["command"], "store-ram");
    EXPECT_EQ(json["ok"], false);
    EXPECT_EQ(json["exitCode"], 2);
    EXPECT_FALSE(json["messages"].empty());
}

// The error and the hint are two lines on stderr and two messages, never one joined text.
TEST_F(Json, CommandLineErrorAndItsHintAreTwoMessages) {
    const CliResult result = Cli({"--json", "store-ram", Path("out.bin"), "--lenght", "10"});
    EXPECT_EQ(result.exitCode, 2);
    const nlohmann::json json = Parse(result);
    ASSERT_EQ(json["messages"].size(), 2u) << result.out;
    const std::vector<std::string> err = Lines(result.err);
    ASSERT_GE(err.size(), 2u);
    EXPECT_EQ("error: " + json["messages"][0]["text"].get<std::string>(), err[0]);
    EXPECT_EQ(json["messages"][1]["text"], err[1]);
    EXPECT_NE(err[1].find("did you mean '--length'?"), std::string::npos) << result.err;
    for (const nlohmann::json& message : json["messages"]) {
        EXPECT_EQ(message["caption"], "");
    }
}

TEST_F(Json, EraseCountsBlocks) {
    const nlohmann::json json =
        Parse(Cli({"--config", "q3", "--device", "Sim1M", "--json", "erase"}));
    EXPECT_EQ(json["status"], "Erase Complete");
    EXPECT_EQ(json["blocks"], 11);
    EXPECT_EQ(json["bytes"], 0);
}

// --progress json: stderr is JSON lines only, from "start" to "end", the bytes done never going
// down, the erase's blocks counted; a failure's message and cause are an event of their own.
std::vector<nlohmann::json> Events(const CliResult& result) {
    std::vector<nlohmann::json> events;
    for (const std::string& line : Lines(result.err)) {
        events.push_back(nlohmann::json::parse(line)); // throws on a line that is not JSON
    }
    EXPECT_GE(events.size(), 2u) << result.err;
    return events;
}

TEST_F(Json, ProgressEventsRunFromStartToEnd) {
    MakeFile("in.bin", 300000);
    const CliResult result =
        Cli({"--progress", "json", "load-flash", Path("in.bin"), "--device", "SimBoard"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::vector<nlohmann::json> events = Events(result);
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events.front()["event"], "start");
    EXPECT_EQ(events.front()["operation"], "load-flash");
    EXPECT_EQ(events.front()["device"], "SimBoard");
    EXPECT_EQ(events.back()["event"], "end");
    EXPECT_EQ(events.back()["ok"], true);
    EXPECT_EQ(events.back()["done"], 300000);
    int64_t done = 0;
    for (const nlohmann::json& event : events) {
        if (event["event"] == "progress") {
            EXPECT_GE(event["done"].get<int64_t>(), done) << event;
            done = event["done"];
        }
    }
    // However fast the erase, its last count is written.
    const CliResult erase = Cli({"--progress", "json", "erase", "--blocks", "1-2"});
    ASSERT_EQ(erase.exitCode, 0) << erase.err;
    const std::vector<nlohmann::json> erasing = Events(erase);
    const auto last = std::find_if(erasing.rbegin(), erasing.rend(), [](const nlohmann::json& e) {
        return e["event"] == "progress" && e["blocks"].is_number();
    });
    ASSERT_NE(last, erasing.rend()) << erase.err;
    EXPECT_EQ((*last)["block"], 2) << *last;
    EXPECT_EQ((*last)["blocks"], 2) << *last;
}

TEST_F(Json, ProgressEventsCarryAFailuresCause) {
    WriteTable("Flaky sim default flip-byte=9000\n");
    MakeFile("in.bin", 20000);
    const CliResult result = Cli({"--progress", "json", "load-ram", Path("in.bin")});
    EXPECT_EQ(result.exitCode, 1);
    const std::vector<nlohmann::json> events = Events(result);
    const auto message = std::find_if(events.begin(), events.end(), [](const nlohmann::json& e) {
        return e["event"] == "message";
    });
    ASSERT_NE(message, events.end()) << result.err;
    EXPECT_EQ((*message)["text"], "Write verification failed.");
    EXPECT_TRUE((*message)["cause"].is_string()) << *message;
    EXPECT_EQ(events.back()["event"], "end");
    EXPECT_EQ(events.back()["exitCode"], 1);
    EXPECT_EQ(events.back()["status"], "Write verification failed.");
}

TEST_F(Json, DevicesListsTheTableWithItsDefaultKindsAndLines) {
    WriteTable("First sim\nSecond sim default flash=4m config=parvel4\n"
               "Bench serial path=/dev/ttyUSB0 baud=921600\n");
    const nlohmann::json json = Parse(Cli({"devices", "--json"}));
    EXPECT_EQ(json["ok"], true);
    EXPECT_EQ(json["devices"], nlohmann::json::parse(R"([
        {"name":"First","default":false,"kind":"sim","flash":"512k"},
        {"name":"Second","default":true,"kind":"sim","flash":"4m","config":"parvel4"},
        {"name":"Bench","default":false,"kind":"serial","path":"/dev/ttyUSB0","baud":"921600"}])"));
}

} // namespace
} // namespace tessary::test
