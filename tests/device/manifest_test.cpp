// The backup's manifest: what a restore accepts, and every way it can be wrong.
#include <gtest/gtest.h>

#include <string>

#include "device/backup_folder.h"

namespace {

const std::string Digest(64, 'a');

Outcome Parse(const std::string& json, Manifest* manifest) {
    return ParseManifest({reinterpret_cast<const uint8_t*>(json.data()), json.size()}, manifest);
}

std::string WithFiles(const std::string& files, const std::string& format = "1") {
    return R"({"format": )" + format + R"(, "identity": "Quillatron IR v1.0", "time": "t", "files": [)" + files + "]}";
}

std::string Entry(const std::string& number, const std::string& length, const std::string& sha = Digest) {
    return R"({"file": )" + number + R"(, "length": )" + length + R"(, "capacity": 100, "sha256": ")" + sha + "\"}";
}

TEST(Manifest, WhatIsWrittenIsReadBack) {
    Manifest written;
    written.identity = "QT4100 IR v1.0";
    written.time = "2026-12-09T01:02:03Z";
    written.files.push_back({{1, 12, 32415, false}, Digest});
    written.files.push_back({{8, 0, 8158, true}, std::string(64, 'f')});
    const std::string json = ManifestJson(written);
    EXPECT_EQ(json.find("\"format\": 1"), 4u) << "format comes first";
    EXPECT_NE(json.find("\"capacity_from\": \"table\""), std::string::npos);

    Manifest read;
    ASSERT_TRUE(Parse(json, &read).Ok());
    EXPECT_EQ(read.identity, written.identity);
    EXPECT_EQ(read.time, written.time);
    ASSERT_EQ(read.files.size(), 2u);
    EXPECT_EQ(read.files[1].facts.number, 8);
    EXPECT_EQ(read.files[1].facts.capacity, 8158u);
    EXPECT_TRUE(read.files[1].facts.capacityFromTable);
    EXPECT_FALSE(read.files[0].facts.capacityFromTable);

    // What a later version may add, nested or not, is passed over.
    std::string extended = json;
    extended.insert(extended.find("\"sha256\""), R"("note": {"file": 9, "x": [1, {"sha256": 2}]}, )");
    extended.insert(1, R"("more": [{"files": 3}], )");
    ASSERT_TRUE(Parse(extended, &read).Ok());
    ASSERT_EQ(read.files.size(), 2u);
    EXPECT_EQ(read.files[0].sha256, Digest);

    // An identity that is not UTF-8 is still written, not a failed backup.
    written.identity = "\xFF\xFE";
    EXPECT_TRUE(Parse(ManifestJson(written), &read).Ok());
}

// Backup folders and the watch's drafts are named by the manifest's time:
// the same digits in the same order, and nothing a file system refuses.
TEST(Manifest, TimeAsNameKeepsTheDigitsAndSuitsEveryFileSystem) {
    EXPECT_EQ(TimeAsName("2026-12-09T08:45:00Z"), "20261209-084500Z");
    const std::string now = UtcTimeForName();
    EXPECT_EQ(now.size(), 16u) << now;
    EXPECT_EQ(now.find_first_of(":\\/*?\"<>| "), std::string::npos) << now;
}

TEST(Manifest, DamageIsRefused) {
    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"not JSON", "{\"format\": 1,"},
        {"not an object", "[1, 2]"},
        {"another format", WithFiles(Entry("1", "3"), "2")},
        {"no files", R"({"format": 1})"},
        {"file 0", WithFiles(Entry("0", "3"))},
        {"file 9", WithFiles(Entry("9", "3"))},
        {"file as text", WithFiles(Entry("\"1\"", "3"))},
        {"negative length", WithFiles(Entry("1", "-1"))},
        {"length beyond 16 bits", WithFiles(Entry("1", "65536"))},
        {"short digest", WithFiles(Entry("1", "3", "abc"))},
        {"digest not hex", WithFiles(Entry("1", "3", std::string(64, 'g')))},
        {"listed twice", WithFiles(Entry("2", "3") + "," + Entry("2", "3"))},
        {"entry not an object", WithFiles("7")},
        {"entry an array", WithFiles("[" + Entry("1", "3") + "]")},
        {"file in an array", WithFiles(Entry("[1]", "3"))},
        {"capacity null", WithFiles(R"({"file": 1, "length": 3, "capacity": null, "sha256": ")" + Digest + "\"}")},
        {"format as text", WithFiles(Entry("1", "3"), "\"1\"")},
        {"files an object", R"({"format": 1, "files": {"file": 1}})"},
        {"files listed again, last as a number", [] {
             std::string json = WithFiles(Entry("1", "3"));
             return json.insert(json.size() - 1, R"(, "files": 2)");
         }()},
    };
    for (const auto& [name, json] : damaged) {
        Manifest manifest;
        manifest.identity = "untouched";
        const Outcome outcome = Parse(json, &manifest);
        EXPECT_EQ(outcome.kind, FailureKind::PcFile) << name;
        EXPECT_EQ(manifest.identity, "untouched") << name;
    }
}

}  // namespace
