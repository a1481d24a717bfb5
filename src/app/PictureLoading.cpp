#include "app/PictureLoading.h"

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <thread>

#include "core/ErrorWords.h"
#include "core/MiniMapCommand.h"
#include "formats/PictureDecoder.h"
#include "platform/base/AppError.h"
#include "platform/base/AppInfo.h"
#include "platform/base/LibraryMessages.h"
#include "platform/base/MessageBox.h"

namespace {

constexpr const char* kOpenFailed = "There was a problem attempting to open this file";

std::atomic<PictureLoading::PictureDecoder> pictureDecoder{nullptr};

// On a thread of its own, left to finish alone if the window stops waiting:
// the window never blocks on a decoding it no longer wants.
std::future<formats::PictureRegion> DecodeAside(const std::string& fileName,
                                                std::shared_ptr<std::string> said) {
  std::packaged_task<formats::PictureRegion()> task([fileName, said] {
    const platform::LibraryMessages::Capture capture;
    try {
      PictureLoading::PictureDecoder decoder = pictureDecoder.load();
      return decoder ? decoder(fileName) : formats::DecodePicture(fileName);
    } catch (...) {
      *said = capture.Explanation();
      throw;
    }
  });
  std::future<formats::PictureRegion> decoding = task.get_future();
  std::thread(std::move(task)).detach();
  return decoding;
}

}  // namespace

void PictureLoading::SetPictureDecoder(PictureDecoder decoder) { pictureDecoder.store(decoder); }

void PictureLoading::Given(formats::PictureRegion picture) {
  std::promise<formats::PictureRegion> ready;
  ready.set_value(std::move(picture));
  decoding_ = ready.get_future();
}

bool PictureLoading::Try(const std::string& fileName, const std::function<std::string()>& load) {
  const platform::LibraryMessages::Capture said;
  try {
    const std::string damage = load();
    // What could be read is on screen; the user should know it is not all there is.
    if (!damage.empty()) {
      platform::MessageBox::Show(
          formats::PictureLimits::Damaged(damage).Description() + ".\nWhat could be read of it is shown.",
          platform::MsgStyle::Exclamation, platform::AppInfo::Title());
    }
    return true;
  } catch (const platform::AppError& e) {
    const std::string why = said_->empty() ? said.Explanation() : *said_;
    platform::MessageBox::Show(
        std::string(kOpenFailed) + "\n" +
            ErrorWords::Explained(ErrorWords::Named(fileName, MiniMapCommand::Opening(fileName, e)), why),
        platform::MsgStyle::Critical, platform::AppInfo::Title());
    return false;
  } catch (const Abandoned&) {
    return false;
  }
}

formats::PictureRegion PictureLoading::Decode(const std::string& fileName) {
  said_ = std::make_shared<std::string>();
  closing_ = false;
  std::future<formats::PictureRegion> decoding = std::move(decoding_);
  if (decoding.valid()) {
    try {
      return Await(decoding);
    } catch (const platform::AppError&) {
      // Begun before the toolkit's reader was there: it may read the kinds the program doesn't.
    }
  }
  if (fileName.empty()) return formats::DecodePicture(fileName);
  decoding = DecodeAside(fileName, said_);
  return Await(decoding);
}

// Repaints and timers go on meanwhile; input waits, so no second load starts
// inside this one.
formats::PictureRegion PictureLoading::Await(std::future<formats::PictureRegion>& decoding) {
  constexpr std::chrono::milliseconds kRepaintEvery{15};
  while (decoding.wait_for(kRepaintEvery) != std::future_status::ready) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents,
                                    static_cast<int>(kRepaintEvery.count()));
    if (closing_) throw Abandoned{};
  }
  return decoding.get();
}
