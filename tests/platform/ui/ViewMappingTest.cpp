#include "platform/ui/ViewMapping.h"

#include <gtest/gtest.h>

using platform::ViewMapping;

namespace {

ViewMapping Mapping(QSize content, QSize viewport, double zoom, QPoint scroll) {
  ViewMapping view;
  view.SetContent(content);
  view.SetViewport(viewport);
  view.SetZoom(zoom, QPointF());
  view.ScrollTo(scroll);
  return view;
}

struct PointCase {
  const char* name;
  double zoom;
  QPoint scroll;
  QPointF view;
  QPointF picture;
};

class ViewMappingPoints : public ::testing::TestWithParam<PointCase> {};

}  // namespace

TEST_P(ViewMappingPoints, AViewPointShowsThePicturePixelItsCentreFallsOn) {
  const PointCase& c = GetParam();
  ViewMapping view = Mapping(QSize(4000, 3000), QSize(800, 600), c.zoom, c.scroll);
  EXPECT_EQ(view.PictureAt(c.view), c.picture);
  EXPECT_EQ(view.SourceColumn(static_cast<int>(c.view.x())), static_cast<int>(c.picture.x()));
  EXPECT_EQ(view.SourceRow(static_cast<int>(c.view.y())), static_cast<int>(c.picture.y()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ViewMappingPoints,
    ::testing::Values(PointCase{"ActualSize", 1.0, QPoint(0, 0), QPointF(12, 7), QPointF(12, 7)},
                      PointCase{"ActualSizeScrolled", 1.0, QPoint(3200, 2400), QPointF(799, 599),
                                QPointF(3999, 2999)},
                      PointCase{"Half", 0.5, QPoint(0, 0), QPointF(10, 11), QPointF(21, 23)},
                      PointCase{"Tenth", 0.1, QPoint(0, 0), QPointF(399, 299), QPointF(3995, 2995)},
                      PointCase{"TwiceScrolled", 2.0, QPoint(100, 50), QPointF(1, 0), QPointF(50, 25)}),
    [](const ::testing::TestParamInfo<PointCase>& point) { return std::string(point.param.name); });

TEST(ViewMapping, ActualSizeKeepsAFractionalPointerAsItIs) {
  ViewMapping view = Mapping(QSize(300, 200), QSize(300, 200), 1.0, QPoint());
  EXPECT_EQ(view.PictureAt(QPointF(12.5, 7.25)), QPointF(12.5, 7.25));
}

TEST(ViewMapping, TheScrollStaysWithinThePicture) {
  ViewMapping view = Mapping(QSize(4000, 3000), QSize(800, 600), 1.0, QPoint(9999, -5));
  EXPECT_EQ(view.Scroll(), QPoint(3200, 0));
  view.SetZoom(0.1, QPointF());
  EXPECT_EQ(view.Shown(), QSize(400, 300));
  EXPECT_EQ(view.Scroll(), QPoint(0, 0)) << "nothing left to scroll";
}

TEST(ViewMapping, ZoomingKeepsThePointUnderTheAnchor) {
  ViewMapping view = Mapping(QSize(4000, 3000), QSize(800, 600), 1.0, QPoint(1000, 1000));
  view.SetZoom(2.0, QPointF(100, 100));
  EXPECT_EQ(view.PictureAt(QPointF(100, 100)), QPointF(1100, 1100));
  view.SetZoom(0.5, QPointF(100, 100));
  EXPECT_NEAR(view.PictureAt(QPointF(100, 100)).x(), 1100, 1);
}

TEST(ViewMapping, FitIsTheLargestZoomShowingItAllAndNeverEnlarges) {
  ViewMapping view = Mapping(QSize(4000, 3000), QSize(), 1.0, QPoint());
  EXPECT_DOUBLE_EQ(view.FitZoom(QSize(800, 900)), 0.2);
  EXPECT_DOUBLE_EQ(view.FitZoom(QSize(8000, 9000)), 1.0);
}

TEST(ViewMapping, EveryPicturePixelMapsInsideTheViewPixelsShowingIt) {
  for (double zoom : {0.07, 0.5, 1.0, 1.5, 3.0}) {
    ViewMapping view = Mapping(QSize(4000, 3000), QSize(800, 600), zoom, QPoint(37, 11));
    for (int x = 600; x < 700; ++x) {
      const QRect shown = view.ViewRectOf(QRect(x, 0, 1, 1));
      const int column = view.ViewColumnOf(x);
      EXPECT_TRUE(column >= shown.left() && column <= shown.right()) << zoom << " " << x;
      if (zoom >= 1) {
        EXPECT_EQ(view.SourceColumn(column), x);
        // Where a line between two pixels is drawn: on the first column of the second.
        const int starting = view.ViewColumnStarting(x);
        EXPECT_EQ(view.SourceColumn(starting), x) << zoom << " " << x;
        EXPECT_EQ(view.SourceColumn(starting - 1), x - 1) << zoom << " " << x;
        EXPECT_EQ(view.SourceRow(view.ViewRowStarting(x) - 1), x - 1) << zoom << " " << x;
      }
    }
  }
}
