#include "files/Transfer.h"
#include "files/fDestination.h"
#include "files/fSource.h"
#include "files/ftp/FtpClient.h"
#include "support/FtpServer.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kelvo;

namespace {

class FtpEndpointTest : public ::testing::Test {
protected:
    std::string home = test::MakeTempFolder("ftp");
    test::FtpServer server{home};
    TDir root{2};
    std::shared_ptr<TConnection> settings = std::make_shared<TConnection>();

    void SetUp() override {
        root.SetPath("/backup-root");
        settings->Host = "127.0.0.1";
        settings->Port = server.Port();
        settings->UserName = "u";
        settings->Pass = "pw";
        settings->PsvMode = true;
    }
    std::unique_ptr<TfDestination> Endpoint() {
        auto endpoint = std::make_unique<TfDestination>(&root);
        endpoint->FFtpSettings = settings;
        endpoint->SetKind(kFtpServer);
        return endpoint;
    }
    std::string ConnectError() {
        try {
            Endpoint()->Connect();
        } catch (const std::runtime_error& error) {
            return error.what();
        }
        return "connected";
    }
};

} // namespace

TEST_F(FtpEndpointTest, LoginFailureAndAMissingServerRaiseTheConnectText) {
    settings->Pass = "wrong";
    EXPECT_EQ(ConnectError(), "Cannot connect to FTP (Login incorrect.\r\n)");
    settings->Pass = "pw";
    EXPECT_EQ(ConnectError(), "connected");
    {
        const std::string gone = test::MakeTempFolder("gone");
        int port = 0;
        {
            test::FtpServer stopped(gone);
            port = stopped.Port();
        }
        settings->Port = port;
    }
    const std::string text = ConnectError();
    EXPECT_EQ(text.rfind("Cannot connect to FTP (", 0), 0u) << text;
    EXPECT_EQ(text.back(), ')');
}

TEST_F(FtpEndpointTest, ActiveModeTransfersToo) {
    settings->PsvMode = false;
    auto endpoint = Endpoint();
    MemoryStream stream("active");
    EXPECT_EQ(endpoint->Write(stream, "active.txt"), 6);
    EXPECT_EQ(test::ReadFile(home + "/active.txt"), "active");
    EXPECT_TRUE(endpoint->FileExists("active.txt"));
}

TEST_F(FtpEndpointTest, BaseFolderUploadsAndDownloads) {
    settings->InitDir = "/backup/";
    auto endpoint = Endpoint();
    ASSERT_TRUE(endpoint->MakeDir("x/y", "Daily"));
    struct stat info {};
    EXPECT_EQ(::stat((home + "/backup/Daily/x/y").c_str(), &info), 0);
    const std::string local = test::MakeTempFolder("local");
    test::WriteFile(local + "/Task.kbt", "<task/>");
    test::WriteFile(local + "/data.txt", "data");
    EXPECT_TRUE(endpoint->UploadFile(local + "/Task.kbt", ""));
    EXPECT_EQ(test::ReadFile(home + "/backup/Task.kbt"), "<task/>") << "task files go to the base";
    EXPECT_TRUE(endpoint->UploadFile(local + "/data.txt", "Daily"));
    EXPECT_EQ(test::ReadFile(home + "/backup/Daily" + local + "/data.txt"), "data");
    test::WriteFile(local + "/data.txt", "changed");
    EXPECT_TRUE(endpoint->UploadFile(local + "/data.txt", "Daily")) << "replaces the remote file";
    EXPECT_EQ(test::ReadFile(home + "/backup/Daily" + local + "/data.txt"), "changed");
    EXPECT_TRUE(endpoint->DownloadFile(local + "/data.txt", local + "/back.txt", "Daily"));
    EXPECT_EQ(test::ReadFile(local + "/back.txt"), "changed");
    EXPECT_FALSE(endpoint->DownloadFile(local + "/none.txt", local + "/none.txt", "Daily"));
    EXPECT_FALSE(test::Exists(local + "/none.txt"));
}

TEST_F(FtpEndpointTest, TransfersUploadAndDownloadThroughTheEndpoint) {
    auto endpoint = Endpoint();
    const std::string local = test::MakeTempFolder("local");
    test::WriteFile(local + "/up.txt", "upload me");
    TfSource source;
    TTransfer transfer(nullptr, kFtpServer);
    EXPECT_EQ(transfer.SourceToDestination(source, *endpoint, "up.txt", local + "/up.txt"), 9);
    EXPECT_EQ(test::ReadFile(home + "/up.txt"), "upload me");
    EXPECT_EQ(transfer.DestinationToSource(*endpoint, source, local + "/down.txt", "up.txt"), 9);
    EXPECT_EQ(test::ReadFile(local + "/down.txt"), "upload me");
    EXPECT_EQ(transfer.DestinationToSource(*endpoint, source, local + "/x", "missing.txt"), 0);
}

TEST_F(FtpEndpointTest, ListTreeFillsTheRootsFlatListsWithTheMasks) {
    test::WriteFile(home + "/My Files/a b.txt", "12345");
    test::WriteFile(home + "/My Files/sub/deep.log", "1");
    test::WriteFile(home + "/My Files/skip.tmp", "x");
    test::WriteFile(home + "/top.txt", "123");
    auto endpoint = Endpoint();
    endpoint->ListTree(root, [](const std::string& name, bool folder) {
        return folder || name.size() < 4 || name.substr(name.size() - 4) != ".tmp";
    });
    std::vector<std::string> folders, files;
    for (const auto& folder : root.FFoundDirs)
        folders.push_back(folder->FullName());
    for (const auto& file : root.FFoundFiles)
        files.push_back(file->FullName() + " " + std::to_string(file->FSize));
    std::sort(folders.begin(), folders.end());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(folders,
              (std::vector<std::string>{"/backup-root/My Files", "/backup-root/My Files/sub"}));
    EXPECT_EQ(files, (std::vector<std::string>{"/backup-root/My Files/a b.txt 5",
                                               "/backup-root/My Files/sub/deep.log 1",
                                               "/backup-root/top.txt 3"}));
    EXPECT_GT(root.FFoundFiles.front()->FTime, 40000.0) << "listed times are kept";
}

TEST(FtpLoginTest, BasePathsAndProxyMethods) {
    EXPECT_EQ(FtpBasePath("/home/u", "/backup/"), "/home/u/backup");
    EXPECT_EQ(FtpBasePath("/", "backup"), "/backup");
    EXPECT_EQ(FtpBasePath("", "/backup/"), "backup");
    EXPECT_EQ(FtpBasePath("/home/u", ""), "/home/u");
    TConnection c;
    c.Host = "ftp.example";
    c.Port = 21;
    c.UserName = "ann";
    c.Pass = "secret";
    c.SavProx = true;
    c.ProxyHost = "proxy";
    c.ProxyPort = 2121;
    c.ProxyUN = "pu";
    c.ProxyPass = "pp";
    struct Case {
        std::string method, host, user, password, httpProxy, unsupported;
    };
    for (const Case& k : std::vector<Case>{
             {"fpcmNone", "ftp.example", "ann", "secret", "", ""},
             {"fpcmTransparent", "ftp.example", "ann", "secret", "", ""},
             {"fpcmUserSite", "proxy", "ann@ftp.example", "secret", "", ""},
             {"fpcmUserPass", "proxy", "ann@ftp.example pu", "secret@pp", "", ""},
             {"fpcmHttpProxyWithFtp", "ftp.example", "ann", "secret", "http://proxy:2121", ""},
             {"fpcmSite", "proxy", "ann", "secret", "", "fpcmSite"},
             {"fpcmOpen", "proxy", "ann", "secret", "", "fpcmOpen"}}) {
        c.ProxyMeth = k.method;
        const FtpLogin login = PlanLogin(c);
        EXPECT_EQ(login.Host, k.host) << k.method;
        EXPECT_EQ(login.User, k.user) << k.method;
        EXPECT_EQ(login.Password, k.password) << k.method;
        EXPECT_EQ(login.HttpProxy, k.httpProxy) << k.method;
        EXPECT_EQ(login.Unsupported, k.unsupported) << k.method;
    }
    c.SavProx = false;
    c.ProxyMeth = "fpcmUserSite";
    EXPECT_EQ(PlanLogin(c).Host, "ftp.example") << "without SavProx no proxy";
}
