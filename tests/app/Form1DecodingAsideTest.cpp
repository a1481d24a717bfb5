#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "app/Form1Fixture.h"
#include "app/PictureLoading.h"
#include "formats/PictureDecoder.h"

namespace {

// A decoder that holds until the window's own event loop lets it go: it can
// only finish when the window goes on handling events while it waits.
std::atomic<bool> released{false};
std::atomic<bool> decoderDone{false};

formats::PictureRegion HeldDecoder(const std::string& fileName) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!released && std::chrono::steady_clock::now() < giveUp)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  formats::PictureRegion region = formats::DecodePicture(fileName);
  decoderDone = true;
  return region;
}

class Form1DecodingAside : public Form1Fixture {
 protected:
  Form1DecodingAside() {
    released = false;
    decoderDone = false;
    PictureLoading::SetPictureDecoder(HeldDecoder);
  }
  ~Form1DecodingAside() override { PictureLoading::SetPictureDecoder(nullptr); }
};

}  // namespace

// The window repaints and runs its timers while a picture decodes.
TEST_F(Form1DecodingAside, TheWindowKeepsHandlingEventsWhileAPictureDecodes) {
  const std::string path = PatternFile(41, 29);
  bool ranWhileDecoding = false;
  QTimer::singleShot(30, [&] {
    ranWhileDecoding = !decoderDone;
    released = true;
  });
  form.OpenPicture(path);
  EXPECT_TRUE(ranWhileDecoding);
  EXPECT_EQ(form.lblOrigWidth->text(), "41");
  EXPECT_EQ(form.sFileName, path);
  EXPECT_TRUE(messages.Messages().empty());
}

// Closed while decoding: the load is given up at once, nothing is said and
// the window keeps what it showed.
TEST_F(Form1DecodingAside, ClosingTheWindowGivesUpTheDecoding) {
  const std::string first = PatternFile(20, 10, "first.bmp");
  released = true;
  form.OpenPicture(first);
  released = false;
  decoderDone = false;
  form.show();
  QTimer::singleShot(30, [&] { form.close(); });
  form.OpenPicture(PatternFile(41, 29, "second.bmp"));
  EXPECT_FALSE(decoderDone) << "the window waited for the decoding after it was closed";
  EXPECT_EQ(form.lblOrigWidth->text(), "20");
  EXPECT_EQ(form.sFileName, first);
  EXPECT_TRUE(messages.Messages().empty());
  released = true;
}
