// The order of a two-list run, for contacts found some other way: one search over many chains finds each chain
// pair's contacts, which must still come out as a run of the pair's two lists would write them.
#pragma once

#include <cstdint>
#include <tuple>

// Where a contact falls in a run's order: cell of the list A point (z, y, x), the A point, the place of the B
// point's cell in the neighbour list (27 for a cell further out), the B point.
struct contact_rank {
  std::uint32_t k, j, i, a, rank, b;
  bool operator<(const contact_rank& o) const {
    return std::tie(k, j, i, a, rank, b) < std::tie(o.k, o.j, o.i, o.a, o.rank, o.b);
  }
};

// The grid a run of two lists lays, known by its cut-off and the minimum corner of the box around both lists.
class contact_order {
 public:
  contact_order(float cutoff, float min_x, float min_y, float min_z) : cutoff_(cutoff), min_{min_x, min_y, min_z} {}
  // The rank of the contact of point a (list A, at xa, ya, za) and point b (list B), numbered in their lists.
  contact_rank of(float xa, float ya, float za, std::uint32_t a, float xb, float yb, float zb, std::uint32_t b) const;

 private:
  float cutoff_;
  float min_[3];
};
