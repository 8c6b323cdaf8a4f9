// Paths and folders on the PC as the backup sees them: where a path's folder
// is, and whether a backup may go into a folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "device/pc_files.h"

namespace {

TEST(PcFiles, ParentAndJoin) {
    const std::pair<const char*, const char*> parents[] = {
        {"/a/b", "/a"}, {"/a/b/", "/a"}, {"/a//b", "/a"}, {"/a", "/"}, {"a/b", "a"}, {"a", ""}, {"", ""},
    };
    for (const auto& [path, parent] : parents) EXPECT_EQ(PcPath(path).Parent().Text(), parent) << path;
    EXPECT_EQ((PcPath("/a") / "file1.raw").Text(), "/a/file1.raw");
    EXPECT_EQ((PcPath("/a/") / "file1.raw").Text(), "/a/file1.raw");
    EXPECT_EQ((PcPath() / "file1.raw").Text(), "file1.raw");
}

TEST(PcFiles, FolderStatesAndCreation) {
    const PcPath work("/tmp/glimmerly-pc-files-" + std::to_string(getpid()));
    const PcPath deep = work / "b" / "c";
    ASSERT_TRUE(CreatePcFolders(deep).Ok());
    EXPECT_TRUE(CreatePcFolders(deep).Ok()) << "one that is there is fine";
    EXPECT_EQ(InspectPcPath(deep), PcPathState::EmptyFolder);
    EXPECT_EQ(InspectPcPath(deep / "x"), PcPathState::Missing);

    const uint8_t bytes[] = {1, 2, 3};
    ASSERT_TRUE(WritePcFile(deep / "f", bytes).Ok());
    EXPECT_EQ(InspectPcPath(deep), PcPathState::Occupied);
    EXPECT_EQ(InspectPcPath(deep / "f"), PcPathState::Occupied);
    EXPECT_EQ(InspectPcPath(deep / "f" / "x"), PcPathState::Missing);
    EXPECT_EQ(CreatePcFolders(deep / "f" / "x").kind, FailureKind::PcFile) << "a file is in the way";

    std::vector<uint8_t> read;
    EXPECT_EQ(ReadPcFile(deep / "f", 2, &read).kind, FailureKind::PcFile) << "longer than the limit";
    EXPECT_TRUE(read.empty());
    ASSERT_TRUE(RenamePcFile(deep / "f", deep / "g").Ok());
    ASSERT_TRUE(ReadPcFile(deep / "g", 3, &read).Ok());
    EXPECT_EQ(read, std::vector<uint8_t>(bytes, bytes + 3));
    EXPECT_EQ(ReadPcFile(deep, 3, &read).kind, FailureKind::PcFile) << "a folder is not a file";

    unlink((deep / "g").Text().c_str());
    for (PcPath folder = deep; folder.Text().size() >= work.Text().size(); folder = folder.Parent()) {
        rmdir(folder.Text().c_str());
    }
    EXPECT_EQ(InspectPcPath(work), PcPathState::Missing);
}

}  // namespace
