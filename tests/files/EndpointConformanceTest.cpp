#include "files/fDestination.h"
#include "support/FtpServer.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kelvo;

namespace {

// The same operations against a local folder and against FTP (with MLSD
// listings and with LIST only). Local paths are absolute; FTP paths are
// relative to the home folder the server reports, which is the folder here.
class EndpointConformanceTest : public ::testing::TestWithParam<std::string> {
protected:
    std::string home = test::MakeTempFolder("home");
    std::unique_ptr<test::FtpServer> server;
    TDir root{2};
    std::unique_ptr<TfDestination> endpoint;
    std::string prefix;

    void SetUp() override {
        root.SetPath(home);
        endpoint = std::make_unique<TfDestination>(&root);
        if (GetParam() == "local") {
            prefix = home + "/";
            return;
        }
        server = std::make_unique<test::FtpServer>(home, GetParam() == "ftp");
        auto settings = std::make_shared<TConnection>();
        settings->Host = "127.0.0.1";
        settings->Port = server->Port();
        settings->UserName = "u";
        settings->Pass = "pw";
        settings->PsvMode = true;
        endpoint->FFtpSettings = settings;
        endpoint->SetKind(kFtpServer);
    }
    bool IsFolder(const std::string& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }
};

} // namespace

TEST_P(EndpointConformanceTest, FoldersFilesAndDeletes) {
    ASSERT_TRUE(endpoint->MakeDir(prefix + "a b/c"));
    EXPECT_TRUE(IsFolder(home + "/a b/c"));
    std::string text;
    for (int i = 0; i < 30000; ++i)
        text += "line " + std::to_string(i) + "\n";
    MemoryStream stream(text);
    EXPECT_EQ(endpoint->Write(stream, prefix + "a b/c/t t.txt"), static_cast<int64_t>(text.size()));
    EXPECT_EQ(test::ReadFile(home + "/a b/c/t t.txt"), text);
    MemoryStream empty("");
    EXPECT_EQ(endpoint->Write(empty, prefix + "a b/empty"), 1);
    EXPECT_TRUE(test::Exists(home + "/a b/empty"));
    EXPECT_TRUE(endpoint->FileExists(prefix + "a b/c/t t.txt"));
    EXPECT_FALSE(endpoint->FileExists(prefix + "a b/c/none"));
    EXPECT_FALSE(endpoint->FileExists(prefix + "a b/c")) << "a folder is no file";
    const auto read = endpoint->OpenRead(prefix + "a b/c/t t.txt");
    ASSERT_TRUE(read);
    std::string back(text.size() + 1, '\0');
    back.resize(read->Read(back.data(), back.size()));
    EXPECT_EQ(back, text);
    EXPECT_FALSE(endpoint->OpenRead(prefix + "a b/missing"));
    EXPECT_TRUE(endpoint->DeleteFile(prefix + "a b/empty"));
    EXPECT_FALSE(test::Exists(home + "/a b/empty"));
    EXPECT_TRUE(endpoint->RemoveDir(prefix + "a b"));
    EXPECT_FALSE(test::Exists(home + "/a b"));
    EXPECT_EQ(endpoint->DirectoryExists(prefix), GetParam() == "local")
        << "FTP answers no for every folder";
}

INSTANTIATE_TEST_SUITE_P(Endpoints, EndpointConformanceTest,
                         ::testing::Values("local", "ftp", "ftp-list"));
