#include "contact_order.hpp"

#include "cell_list.hpp"

contact_rank contact_order::of(float xa, float ya, float za, std::uint32_t a, float xb, float yb, float zb,
                               std::uint32_t b) const {
  const float at_a[3] = {xa, ya, za}, at_b[3] = {xb, yb, zb};
  std::uint32_t cell_a[3], cell_b[3];
  for (int axis = 0; axis < 3; ++axis) {
    cell_a[axis] = axis_cell_at(at_a[axis] - min_[axis], cutoff_);
    cell_b[axis] = axis_cell_at(at_b[axis] - min_[axis], cutoff_);
  }
  // The neighbour list runs x outermost, each axis -1, 0, +1; partners beyond it come last, by index.
  std::uint32_t rank = 0;
  for (int axis = 0; axis < 3; ++axis) {
    const std::int64_t step = std::int64_t{cell_b[axis]} - cell_a[axis];
    if (step < -1 || step > 1) {
      rank = 27;
      break;
    }
    rank = rank * 3 + static_cast<std::uint32_t>(step + 1);
  }
  return {cell_a[2], cell_a[1], cell_a[0], a, rank, b};
}
