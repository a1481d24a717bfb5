#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "app/DropOpener.h"
#include "app/Form1Fixture.h"

namespace {

class DropOpenerTest : public Form1Fixture {
 protected:
  static QMimeData* FilesData(const std::vector<std::string>& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const auto& p : paths) urls.append(QUrl::fromLocalFile(QString::fromStdString(p)));
    data->setUrls(urls);
    return data;
  }

  // Sends a drag-enter and then a drop; returns whether the drag was accepted.
  bool DragAndDrop(QMimeData* data) {
    std::unique_ptr<QMimeData> owned(data);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &drop);
    return enter.isAccepted();
  }

  DropOpener* opener = new DropOpener(form);
};

}  // namespace

TEST_F(DropOpenerTest, ADroppedPictureOpensAsTheOpenButtonWould) {
  std::string path = PatternFile(31, 17);
  EXPECT_TRUE(DragAndDrop(FilesData({path})));
  EXPECT_EQ(form.sFileName, path);
  EXPECT_EQ(form.lblOrigWidth->text(), "31");
  EXPECT_EQ(form.lblFile->text(), "pattern.bmp");
  EXPECT_TRUE(form.cmdReload->isEnabled());
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(DropOpenerTest, AnythingButOneLocalPictureFileIsRefused) {
  std::string text = (dir / "notes.jpg").string();
  PictureFiles::WriteBytes(text, QByteArray("just some words"));
  std::string a = PatternFile(4, 4, "a.bmp"), b = PatternFile(5, 5, "b.bmp");
  auto* web = new QMimeData;
  web->setUrls({QUrl("https://example.invalid/picture.jpg")});
  auto* plain = new QMimeData;
  plain->setText("picture.jpg");
  for (QMimeData* data : {FilesData({text}), FilesData({a, b}), FilesData({dir.Path().string()}),
                          FilesData({(dir / "gone.bmp").string()}), web, plain}) {
    EXPECT_FALSE(DragAndDrop(data));
  }
  EXPECT_EQ(form.lblOrigWidth->text(), "-");
  EXPECT_EQ(form.sFileName, "");
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(DropOpenerTest, ThePictureArgumentIsMadeAbsolute) {
  EXPECT_FALSE(DropOpener::PictureArgument({"quarvel"}));
  EXPECT_EQ(DropOpener::PictureArgument({"quarvel", "/pics/map.jpg"}), "/pics/map.jpg");
  EXPECT_EQ(DropOpener::PictureArgument({"quarvel", "map.jpg"}),
            QDir::current().absoluteFilePath("map.jpg").toStdString());
}

TEST_F(DropOpenerTest, OpeningANamedPictureThatFailsKeepsThePreviousOne) {
  std::string good = PatternFile(12, 8);
  form.OpenPicture(good);
  form.OpenPicture((dir / "missing.gif").string());
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(messages.Messages()[0].text, "There was a problem attempting to open this file\n" +
                                             (dir / "missing.gif").string() + ": not found");
  EXPECT_EQ(form.sFileName, good);
  EXPECT_EQ(form.lblOrigWidth->text(), "12");
}

TEST_F(DropOpenerTest, ADroppedNameThatIsNotUtf8OpensByItsBytes) {
  const std::string latin1 = (dir / "caf\xe9.bmp").string();
  std::filesystem::rename(PatternFile(31, 17), latin1);
  auto* data = new QMimeData;
  data->setUrls({QUrl::fromEncoded("file://" + QByteArray::fromStdString(latin1).toPercentEncoding("/"))});
  EXPECT_TRUE(DragAndDrop(data));
  EXPECT_EQ(form.sFileName, latin1);
  EXPECT_EQ(form.lblOrigWidth->text(), "31");
}
