#include <gtest/gtest.h>

#include <limits>
#include <string>

#include <cmath>

#include "crystal_images.hpp"
#include "error.hpp"
#include "request.hpp"
#include "surface_area.hpp"

namespace {

// The field's image codes: three digits 5 + shift while every shift is within -5..4, else the numbers apart.
TEST(Engine, ImageCodes) {
  const struct {
    int operation, da, db, dc;
    std::string code;
  } cases[] = {
      {1, 0, 0, 0, "1_555"},   {2, 1, -1, 0, "2_645"},      {6, 1, 1, 0, "6_665"},       {3, -5, 4, -5, "3_090"},
      {4, 4, 4, 4, "4_999"},   {5, 5, 0, 0, "5_10_5_5"},    {1, 0, -6, 0, "1_5_-1_5"},   {12, 0, 0, 5, "12_5_5_10"},
  };
  for (const auto& c : cases) EXPECT_EQ(image_code(c.operation, c.da, c.db, c.dc), c.code) << c.code;
}

// What no scan can do is refused before any work; the edges are taken.
TEST(Engine, RequestsRefusedAndTaken) {
  const auto with = [](auto change) {
    scan_request request;
    request.selections = {"//A"};
    change(request);
    return request;
  };
  const scan_request refused[] = {
      with([](scan_request& r) { r.cutoff = 0; }),
      with([](scan_request& r) { r.cutoff = std::numeric_limits<float>::infinity(); }),
      with([](scan_request& r) { r.cutoff = std::numeric_limits<float>::quiet_NaN(); }),
      with([](scan_request& r) { r.min_separation = -1; }),
      with([](scan_request& r) { r.min_separation = max_separation + 1; }),
      with([](scan_request& r) { r.symmetry = true, r.assembly = "1"; }),
      with([](scan_request& r) { r.selections.push_back(""); }),
  };
  for (const scan_request& r : refused) EXPECT_ANY_THROW(r.check());
  const scan_request taken[] = {
      with([](scan_request& r) { r.cutoff = std::numeric_limits<float>::max(); }),
      with([](scan_request& r) { r.cutoff = std::numeric_limits<float>::denorm_min(); }),
      with([](scan_request& r) { r.min_separation = max_separation; }),
      with([](scan_request& r) { r.symmetry = true; }),
      with([](scan_request& r) { r.assembly = "1"; }),
  };
  for (const scan_request& r : taken) EXPECT_NO_THROW(r.check());
}

// Two probe spheres of radii R1 and R2 at distance d: the cap of sphere 1 inside sphere 2 has the area
// 2 pi R1 h, h = R1 - (d^2 + R1^2 - R2^2) / 2d. One group: the cap is not accessible; two groups: it is
// accessible alone and buried by the other; touching spheres bury nothing; a radius of 0 has no surface and
// covers nothing.
TEST(Engine, SurfaceOfTwoSpheres) {
  const double probe = 1.4;
  const auto cap = [&](double r1, double r2, double d) {
    const double a = r1 + probe, b = r2 + probe;
    if (d >= a + b) return 0.0;
    return 2 * M_PI * a * (a - (d * d + a * a - b * b) / (2 * d));
  };
  const struct {
    double r1, r2, d;
    bool one_group;
  } cases[] = {{1.7, 1.52, 3.0, false}, {1.7, 1.52, 3.0, true}, {1.88, 1.88, 5.5, false}, {1.46, 1.88, 2.0, false},
               {1.7, 1.7, 6.2, false},  {1.7, 1.7, 6.1, true},   {1.7, 0, 1.0, false}};
  for (const auto& c : cases) {
    area_atoms atoms;
    atoms.add(0, 0, 0, c.r1, 0);
    atoms.add(c.d, 0, 0, c.r2, c.one_group ? 0 : 1);
    const surface_areas areas(atoms, probe, 20000);
    const double whole = 4 * M_PI * (c.r1 + probe) * (c.r1 + probe);
    const double covered = c.r2 > 0 ? cap(c.r1, c.r2, c.d) : 0;
    const double tolerance = 0.002 * whole;
    const std::string what = std::to_string(c.r1) + " " + std::to_string(c.r2) + " at " + std::to_string(c.d);
    EXPECT_NEAR(areas.alone(0), c.one_group ? whole - covered : whole, tolerance) << what;
    EXPECT_NEAR(areas.buried_by(0, 1), c.one_group ? 0 : covered, tolerance) << what;
    EXPECT_EQ(areas.buried(0).empty(), c.one_group || covered == 0) << what;
    if (c.r2 == 0) {
      EXPECT_EQ(areas.alone(1), 0) << what;
    }
  }
}

// A point covered by two other groups is buried by each; an atom of its own group that covers it makes it
// not accessible at all, whoever else covers it.
TEST(Engine, SurfaceBuriedByTwoGroups) {
  area_atoms atoms;
  atoms.add(0, 0, 0, 1.7, 0);
  atoms.add(3.0, 0, 0, 1.7, 1);
  atoms.add(3.0, 0.5, 0, 1.7, 2);
  const surface_areas two(atoms, 1.4, 20000);
  const double whole = 4 * M_PI * 3.1 * 3.1;
  const auto cap = [](double d) { return 2 * M_PI * 3.1 * (3.1 - d / 2); };  // two equal spheres
  EXPECT_NEAR(two.alone(0), whole, 1e-9);
  EXPECT_NEAR(two.buried_by(0, 1), cap(3.0), 0.002 * whole);
  EXPECT_NEAR(two.buried_by(0, 2), cap(std::sqrt(9.25)), 0.002 * whole);
  atoms.add(3.0, 0.25, 0, 2.0, 0);  // its reach holds both other spheres' caps
  const surface_areas own(atoms, 1.4, 20000);
  EXPECT_NEAR(own.buried_by(0, 1), 0, 0.01 * whole);
  EXPECT_NEAR(own.buried_by(0, 2), 0, 0.01 * whole);
}

// The points are unit vectors, made the same every time, and a bad request is refused.
TEST(Engine, SpherePoints) {
  const std::vector<double> points = sphere_points(960);
  ASSERT_EQ(points.size(), 3u * 960);
  double sx = 0, sy = 0, sz = 0;
  for (std::size_t k = 0; k < 960; ++k) {
    EXPECT_NEAR(points[3 * k] * points[3 * k] + points[3 * k + 1] * points[3 * k + 1] + points[3 * k + 2] * points[3 * k + 2], 1, 1e-12);
    sx += points[3 * k], sy += points[3 * k + 1], sz += points[3 * k + 2];
  }
  EXPECT_NEAR(sx, 0, 0.05);
  EXPECT_NEAR(sy, 0, 0.05);
  EXPECT_NEAR(sz, 0, 1e-9);
  EXPECT_EQ(points, sphere_points(960));
  area_atoms atoms;
  atoms.add(0, 0, 0, 1.7, 0);
  EXPECT_THROW(surface_areas(atoms, 1.4, 0), run_error);
  EXPECT_THROW(surface_areas(atoms, std::nan(""), 100), run_error);
}

}  // namespace
