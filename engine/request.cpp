#include "request.hpp"

#include <string>

#include "cell_list.hpp"
#include "error.hpp"

void scan_request::check() const {
  finite_cutoff(cutoff);
  if (min_separation < 0 || min_separation > max_separation)
    throw usage_error("the minimum separation must be a whole number from 0 to " + std::to_string(max_separation) + ", not " +
                      std::to_string(min_separation));
  if (areas && symmetry)
    throw usage_error("areas are of the file's chains or an assembly's; with --symmetry the images would bury "
                      "them too, which is not counted yet");
  if (areas && (area.points < 1 || area.points > 100000))
    throw usage_error("--area-points must be a whole number from 1 to 100000, not " + std::to_string(area.points));
  if (!(vdw_tolerance < 0) && !(vdw_tolerance <= 100))
    throw usage_error("the van der Waals tolerance must be a number from 0 to 100, not " + std::to_string(vdw_tolerance));
  if (vdw_tolerance >= 0 && !models.empty())
    throw usage_error("frequencies over models count contacts within the cut-off; --vdw-tolerance does not apply");
  if (symmetry && !assembly.empty())
    throw usage_error("an assembly builds the biological unit, symmetry the crystal around the file's: one or the other");
  for (const std::string& selection : selections)
    if (selection.empty()) throw usage_error("a selection is empty; '//*' selects every chain");
}
