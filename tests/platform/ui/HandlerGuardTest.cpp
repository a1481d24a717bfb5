#include "platform/ui/HandlerGuard.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <new>
#include <stdexcept>

#include "platform/base/AppError.h"
#include "platform/base/AppInfo.h"
#include "support/pure/MessageRecorder.h"

using platform::AppError;
using platform::HandlerGuard;

namespace {

class HandlerGuardTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::AppInfo::SetTitle("Guarded"); }
  void TearDown() override { platform::AppInfo::SetTitle("quarvel"); }

  MessageRecorder recorder;
};

}  // namespace

TEST_F(HandlerGuardTest, AnErrorIsReportedWithItsNumberAndDescriptionUnderTheApplicationTitle) {
  EXPECT_NO_THROW(HandlerGuard::Run([] { throw AppError::Standard(platform::ErrorNumber::InvalidPicture); }));
  ASSERT_EQ(recorder.Messages().size(), 1u);
  const auto& m = recorder.Messages()[0];
  EXPECT_EQ(m.text, "Error 481: Invalid picture");
  EXPECT_EQ(m.title, "Guarded");
  EXPECT_EQ(m.style, platform::MsgStyle::Critical);
}

TEST_F(HandlerGuardTest, ErrorsOfOtherKindsAreReportedToo) {
  HandlerGuard::Run([] { throw std::runtime_error("disk on fire"); });
  HandlerGuard::Run([] { throw std::bad_alloc(); });
  HandlerGuard::Run([] { throw 42; });
  ASSERT_EQ(recorder.Messages().size(), 3u);
  EXPECT_NE(recorder.Messages()[0].text.find("disk on fire"), std::string::npos);
  EXPECT_EQ(recorder.Messages()[1].text, "Error 7: Out of memory");
  EXPECT_EQ(recorder.Messages()[2].text.rfind("Error ", 0), 0u);
}

TEST_F(HandlerGuardTest, AHandlerThatSucceedsRunsOnceAndShowsNothing) {
  int runs = 0;
  HandlerGuard::Run([&] { ++runs; });
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(recorder.Messages().empty());
}

TEST_F(HandlerGuardTest, AWrappedSlotGetsTheSignalsArgumentsAndKeepsErrorsFromTheEventLoop) {
  QPushButton button;
  button.setCheckable(true);
  bool seen = false;
  QObject::connect(&button, &QPushButton::toggled, HandlerGuard::Wrap([&](bool checked) {
    seen = checked;
    throw AppError::WithDescription(5, "bad toggle");
  }));
  EXPECT_NO_THROW(button.click());
  EXPECT_TRUE(seen);
  ASSERT_EQ(recorder.Messages().size(), 1u);
  EXPECT_EQ(recorder.Messages()[0].text, "Error 5: bad toggle");
}
