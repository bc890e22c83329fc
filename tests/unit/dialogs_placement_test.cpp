#include <gtest/gtest.h>

#include <climits>

#include "dialogs/placement.h"

namespace {

using hostkit::dialogs::Box;
using hostkit::dialogs::Point;

struct CentreCase {
  const char* name;
  Box frame;
  Box dialog;
  Point expected;
};

TEST(DialogsPlacement, CentresWithTheHalfTruncatedTowardZero) {
  const CentreCase cases[] = {
      {"1920x1080 screen, 601x401 dialog", {0, 0, 1920, 1080}, {5, 5, 606, 406}, {659, 339}},
      {"dialog 81 px wider than the screen", {0, 0, 1920, 1080}, {0, 0, 2001, 100}, {-40, 490}},
      {"owner frame (100,50)-(900,650), dialog 450x350", {100, 50, 900, 650}, {0, 0, 450, 350}, {275, 175}},
      {"frame with negative corner", {-300, -200, -100, 0}, {0, 0, 51, 51}, {-225, -125}},
      {"extreme rectangles do not overflow", {INT_MAX - 10, 0, INT_MAX, 10}, {0, 0, 2, 2}, {INT_MAX - 6, 4}},
  };
  for (const auto& c : cases) {
    const Point p = hostkit::dialogs::CentreOn(c.frame, c.dialog);
    EXPECT_EQ(p.x, c.expected.x) << c.name;
    EXPECT_EQ(p.y, c.expected.y) << c.name;
  }
}

TEST(DialogsPlacement, OnlyTheExactMarkerCentres) {
  const Box frame{0, 0, 1000, 800};
  const Box dialog{0, 0, 200, 100};
  EXPECT_EQ(hostkit::dialogs::PlacementFor({-1, -1}, frame, dialog), (Point{400, 350}));
  for (const Point p : {Point{-1, 0}, Point{0, -1}, Point{-2, -2}, Point{0, 0}, Point{110, 70}})
    EXPECT_EQ(hostkit::dialogs::PlacementFor(p, frame, dialog), p) << p.x << "," << p.y;
}

TEST(DialogsPlacement, OffsetsFromTheHostCornerAndClampsInsteadOfWrapping) {
  const Box host{100, 50, 740, 530};
  EXPECT_EQ(hostkit::dialogs::OffsetFrom(host, 10, 20), (Point{110, 70}));
  EXPECT_EQ(hostkit::dialogs::OffsetFrom(host, -1, -1), (Point{99, 49}));
  EXPECT_EQ(hostkit::dialogs::OffsetFrom({0, 0, 10, 10}, -1, -1), (Point{-1, -1}));
  EXPECT_EQ(hostkit::dialogs::OffsetFrom(host, INT_MAX, INT_MIN), (Point{INT_MAX, INT_MIN + 50}));
  EXPECT_EQ(hostkit::dialogs::OffsetFrom({-5, 0, 0, 0}, INT_MIN, 0), (Point{INT_MIN, 0}));
}

TEST(DialogsPlacement, KeepsADialogInsideTheWorkAreaMovingItOnlyAsFarAsNeeded) {
  struct Case {
    const char* name;
    Point at;
    int width, height;
    Box area;
    Point expected;
  };
  const Box primary{0, 0, 1920, 1040};  // a 1920x1080 monitor above a 40 px taskbar
  const Case cases[] = {
      {"inside: kept exactly", {110, 70}, 400, 300, primary, {110, 70}},
      {"touching the far corner: kept", {1520, 740}, 400, 300, primary, {1520, 740}},
      {"far outside every monitor", {6000, 5000}, 400, 300, primary, {1520, 740}},
      {"partly outside right: only x moves", {1800, 100}, 400, 300, primary, {1520, 100}},
      {"above and left", {-1, -1}, 400, 300, primary, {0, 0}},
      {"wider than the area: left edge on the area's", {-40, 500}, 2001, 300, primary, {0, 500}},
      {"monitor left of the primary", {-2000, 10}, 400, 300, {-1280, 0, 0, 1024}, {-1280, 10}},
      {"extreme position does not wrap", {INT_MAX, INT_MIN}, 400, 300, primary, {1520, 0}},
      {"extreme area", {INT_MAX - 5, 0}, 10, 10, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {INT_MAX - 10, 0}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(hostkit::dialogs::KeptInside(c.at, c.width, c.height, c.area), c.expected) << c.name;
}

TEST(DialogsPlacement, ThePositionStartsAtTheScreenCorner) {
  EXPECT_EQ(hostkit::dialogs::DialogPosition(), (Point{0, 0}));
  hostkit::dialogs::StoreDialogPosition({3, 4});
  EXPECT_EQ(hostkit::dialogs::DialogPosition(), (Point{3, 4}));
  hostkit::dialogs::StoreDialogPosition({0, 0});
}

}  // namespace
