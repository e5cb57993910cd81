// --json: stdout holds exactly one JSON object that carries the outcome.
#include "CliFixture.h"

#include <nlohmann/json.hpp>

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
