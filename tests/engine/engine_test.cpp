#include <gtest/gtest.h>

#include <limits>
#include <string>

#include <cmath>

#include "crystal_images.hpp"
#include "error.hpp"
#include "interface_kinds.hpp"
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

// Kinds: a pair joins the first kind whose first pair shares at least 80% of the residue pairs (Jaccard) and
// buries an area within 10% of the larger; copies "A1", "A2" are chain "A"; a residue pair is unordered.
TEST(Engine, InterfaceKinds) {
  gemmi::Chain a1("A1"), a2("A2"), a3("A3");
  for (gemmi::Chain* chain : {&a1, &a2, &a3})
    for (int n = 1; n <= 40; ++n) {
      gemmi::Residue residue;
      residue.name = "ALA";
      residue.seqid = gemmi::SeqId(n, ' ');
      chain->residues.push_back(residue);
    }
  // Residue pairs (n, n + 10) for n in first..last, between two chains, plus extra (n, m) pairs.
  const auto pairs = [](gemmi::Chain& x, gemmi::Chain& y, int first, int last, std::vector<std::pair<int, int>> extra) {
    std::vector<residue_pair_row> rows;
    for (int n = first; n <= last; ++n) extra.emplace_back(n, n + 10);
    for (const auto& [m, n] : extra)
      rows.push_back({{&x, &x.residues[m - 1], "", ""}, {&y, &y.residues[n - 1], "", ""}, 1, 3.5f});
    return rows;
  };
  interface_kinds kinds({"A"});
  const struct {
    gemmi::Chain *x, *y;
    int first, last;
    std::vector<std::pair<int, int>> extra;
    double area;
    std::size_t kind;
  } cases[] = {
      {&a1, &a2, 1, 5, {}, 1000, 1},            // the first pair: kind 1
      {&a2, &a3, 1, 5, {}, 1090, 1},            // 9% more area
      {&a1, &a3, 1, 5, {}, 1120, 2},            // 10.7% of the larger: another kind
      {&a2, &a1, 1, 4, {{30, 31}}, 1000, 3},    // 4 of 6 pairs shared: Jaccard 0.67
      {&a3, &a1, 1, 5, {{30, 31}}, 1000, 1},    // 5 of 6 shared: 0.83
      {&a3, &a2, 1, 5, {}, 909.2, 1},           // 1000 is within 10% of 909.2's larger: 1000 - 909.2 <= 100
      {&a3, &a2, 1, 5, {}, 899, 4},             // 101 more than 10% of 1000
  };
  for (const auto& c : cases) EXPECT_EQ(kinds.add(c.x->name, c.y->name, pairs(*c.x, *c.y, c.first, c.last, c.extra), c.area), c.kind) << c.area;
  // The residue pairs (1, 11) of A1-A2 and (11, 1) seen from the other side are one.
  interface_kinds unordered({"A"});
  EXPECT_EQ(unordered.add("A1", "A2", pairs(a1, a2, 1, 5, {}), 1000), 1u);
  std::vector<residue_pair_row> reversed;
  for (int n = 1; n <= 5; ++n) reversed.push_back({{&a2, &a2.residues[n + 9], "", ""}, {&a1, &a1.residues[n - 1], "", ""}, 1, 3.5f});
  EXPECT_EQ(unordered.add("A2", "A1", reversed, 1000), 1u);
  EXPECT_EQ(unordered.table(), std::string(kinds_header) +
                                   "1\t2\t1000\t500\t5\tA1,A2,A3,A4,A5,A11,A12,A13,A14,A15\tA1-A2,A2-A1\n");
  // A copy's source: the longest source it starts with, digits after it; a source is its own.
  interface_kinds names({"A", "AB", "A1"});
  EXPECT_EQ(names.source_of("AB7"), "AB");
  EXPECT_EQ(names.source_of("A1"), "A1");
  EXPECT_EQ(names.source_of("A15"), "A1");
  EXPECT_EQ(names.source_of("A23"), "A");
  EXPECT_EQ(names.source_of("A2x"), "A2x");
  EXPECT_EQ(names.source_of("A5"), "A");
}

}  // namespace
