#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "crystal_images.hpp"
#include "error.hpp"
#include "request.hpp"

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

}  // namespace
