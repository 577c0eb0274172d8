#include "settings/update.h"

#include "support/settings_fixture.h"

#include <QAction>

namespace luckdial::test {
namespace {

TEST(UpdateAddress, VersionStopsAtTheFirstZeroByte) {
    EXPECT_EQ(versionFromBody(std::string("3.99\0xyz", 8)), "3.99");
    EXPECT_EQ(versionFromBody(std::string("\0"
                                          "3.99",
                                          5)),
              "");
    EXPECT_EQ(versionFromBody("4.0\r\n"), "4.0\r\n"); // no trimming
}

TEST(UpdateAddress, VersionTextIsPercentEncodedIntoTheArchivePath) {
    const std::string base = std::string(kUpdateServer) + "/temp/Luckdial";
    EXPECT_EQ(archiveAddress("4.0"), base + "4.0.rar");
    EXPECT_EQ(archiveAddress(""), base + ".rar");
    EXPECT_EQ(archiveAddress("3.99\r\n"), base + "3.99%0D%0A.rar");
    EXPECT_EQ(archiveAddress("1 0?a=b#c/../x"), base + "1%200%3Fa%3Db%23c%2F..%2Fx.rar");
    EXPECT_EQ(archiveAddress("\xB0\xE6"), base + "%B0%E6.rar"); // GBK bytes, one by one
    EXPECT_EQ(archiveAddress("a-Z_9~"), base + "a-Z_9~.rar");
    EXPECT_EQ(versionDocumentAddress(), std::string(kUpdateServer) + "/temp/ver.txt");
}

class Update : public SettingsTest {
protected:
    Update() : check(host, *window) { check.connectHandlers(); }

    void serve(const std::string& body) { host.documents[versionDocumentAddress()] = body; }
    void trigger() { e().menu.update->trigger(); }

    UpdateCheck check;
};

TEST_F(Update, SameVersionSaysItIsTheLatest) {
    serve("3.99");
    host.expectMessage(gbk("软件已经是最新版本！"), IdOk, gbk("信息："), MbOk);
    trigger();
    EXPECT_EQ(host.fetched, std::vector<std::string>{versionDocumentAddress()});
    EXPECT_TRUE(host.shellOpened.empty());

    serve(std::string("3.99\0xyz", 8));
    host.expectMessage(gbk("软件已经是最新版本！"), IdOk);
    trigger();
    EXPECT_TRUE(host.shellOpened.empty());
}

TEST_F(Update, AnyOtherTextOffersTheDownload) {
    const std::string offer = gbk("发现最新版本 是否下载？");
    for (const std::string body : {"3.99\r\n", "1.0", "3.9"}) {
        serve(body);
        host.expectMessage(offer, IdNo, gbk("信息："), MbYesNo | MbIconQuestion);
        trigger();
    }
    EXPECT_TRUE(host.shellOpened.empty()); // every answer was No

    serve("3.99\r\n");
    host.expectMessage(offer, IdYes);
    trigger();
    ASSERT_EQ(host.shellOpened.size(), 1u);
    EXPECT_EQ(host.shellOpened[0], archiveAddress("3.99\r\n"));
    EXPECT_EQ(host.shellOpened[0].find_first_of("\r\n "), std::string::npos);
}

TEST_F(Update, FailedFetchIsToldAndOffersNoDownload) {
    const std::string failed = gbk("无法获取最新版本信息，请检查网络连接后再试！");
    host.expectMessage(failed, IdOk, gbk("信息："), MbOk | MbIconWarning);
    trigger(); // nothing served: the fetch comes back empty
    EXPECT_EQ(host.fetched, std::vector<std::string>{versionDocumentAddress()});
    EXPECT_TRUE(host.shellOpened.empty());

    serve(std::string("\0"
                      "4.0",
                      4)); // no version text before the zero byte
    host.expectMessage(failed, IdOk);
    trigger();
    EXPECT_TRUE(host.shellOpened.empty());
}

} // namespace
} // namespace luckdial::test
