#include "photos/photoindex.h"
#include "photos/placeholder.h"

#include <gtest/gtest.h>

using namespace luckdial;

namespace {

const QStringList kFolder = {
    QStringLiteral("1001.jpg"),   QStringLiteral("刘伟.PNG"), QStringLiteral("1002 王芳.jpeg"),
    QStringLiteral("readme.txt"), QStringLiteral("1003.gif"), QStringLiteral(".jpg"),
    QStringLiteral("1004.png"),   QStringLiteral("1004.jpg"), QStringLiteral("1005.tar.jpg"),
    QStringLiteral("jpg"),
};

} // namespace

TEST(PhotoIndex, FindsTheWholeEntryFirstThenItsFirstWord) {
    const PhotoIndex index(kFolder);
    struct Case {
        const char* entry;
        const char* photo; // nullptr: none
    };
    const Case cases[] = {
        {"1001 刘伟", "1001.jpg"},       // staff number
        {"1001", "1001.jpg"},            // the whole entry
        {"刘伟", "刘伟.PNG"},            // whole entry, extension in capitals
        {"1002 王芳", "1002 王芳.jpeg"}, // the whole entry wins over its first word
        {"1002", nullptr},               // no file is called 1002
        {"1001\t刘伟", "1001.jpg"},      // tab ends the word
        {"1001　刘伟", "1001.jpg"},      // so does a full-width space
        {"1003 赵六", nullptr},          // a GIF is not a photo
        {"readme", nullptr},             // nor a text file
        {"1004 钱七", "1004.jpg"},       // two photos of one stem: the first in name order
        {"1005.tar", "1005.tar.jpg"},    // only the last extension goes
        {"10011 孙八", nullptr},         // a longer number is another person
        {"", nullptr},                   // empty entry
        {" 1001", nullptr},              // a leading space is part of the text
    };
    for (const Case& c : cases) {
        const auto found = index.find(QString::fromUtf8(c.entry));
        if (c.photo) {
            ASSERT_TRUE(found.has_value()) << c.entry;
            EXPECT_EQ(*found, QString::fromUtf8(c.photo)) << c.entry;
        } else {
            EXPECT_FALSE(found.has_value()) << c.entry << " -> " << found->toStdString();
        }
    }
    EXPECT_EQ(index.size(), 5); // 1001, 刘伟, 1002 王芳, 1004, 1005.tar
    EXPECT_EQ(index.countWithPhotos({QStringLiteral("1001 a"), QStringLiteral("x"),
                                     QStringLiteral("刘伟"), QStringLiteral("1004")}),
              3);
}

TEST(PhotoIndex, EmptyFolderFindsNothing) {
    const PhotoIndex none;
    EXPECT_TRUE(none.isEmpty());
    EXPECT_FALSE(none.find(QStringLiteral("1001")).has_value());
    EXPECT_TRUE(PhotoIndex::scan(QStringLiteral("/nonexistent/照片")).isEmpty());
}

TEST(Placeholder, ShowsTheFirstCharacterOfTheLastWord) {
    struct Case {
        const char* entry;
        const char* letter;
    };
    const Case cases[] = {
        {"1001 刘伟", "刘"}, {"刘伟", "刘"}, {"  王芳  ", "王"}, {"Alice", "A"},
        {"1001", "1"},       {"", ""},       {"   ", ""},        {"7　张三", "张"},
        {"𠀋先生", "𠀋"}, // a character beyond the basic plane stays whole
    };
    for (const Case& c : cases)
        EXPECT_EQ(placeholderLetter(QString::fromUtf8(c.entry)), QString::fromUtf8(c.letter))
            << c.entry;
}

TEST(Placeholder, PaintsACircleInTheInkInsideItsArea) {
    QImage image(120, 160, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        paintPlaceholder(p, QRect(10, 20, 90, 120), QStringLiteral("1001 刘伟"), Qt::black);
    }
    auto darkness = [&](int x, int y) { return 255 - qGray(image.pixel(x, y)); };
    // Outside the area nothing changes; inside the disc there is more ink than
    // in the corner of the area, which only has the wash.
    EXPECT_EQ(darkness(2, 2), 0);
    EXPECT_EQ(darkness(115, 155), 0);
    EXPECT_GT(darkness(12, 22), 0);
    EXPECT_GT(darkness(55 - 25, 80), darkness(12, 22));
}
