#include "interface_kinds.hpp"

#include <algorithm>
#include <cctype>

#include "number_text.hpp"
#include "point_list.hpp"

namespace {

// Residues in natural order: chain, then number, then insertion code.
bool residue_before(const std::string& a, const std::string& b) {
  const std::size_t ta = a.find('\t'), tb = b.find('\t');
  const int chain = a.compare(0, ta, b, 0, tb);
  if (chain != 0) return chain < 0;
  std::size_t ea = 0, eb = 0;
  const long na = std::stol(a.substr(ta + 1), &ea), nb = std::stol(b.substr(tb + 1), &eb);
  if (na != nb) return na < nb;
  return a.compare(ta + 1 + ea, std::string::npos, b, tb + 1 + eb, std::string::npos) < 0;
}

}  // namespace

const char* const kinds_header = "kind\tpairs\tburied_area\tinterface_area\tresidue_pairs\tresidues\tmembers\n";

std::string interface_kinds::source_of(const std::string& chain) const {
  const std::string* best = nullptr;
  for (const std::string& source : sources_) {
    if (source.size() >= chain.size() || chain.compare(0, source.size(), source) != 0) continue;
    if (!std::all_of(chain.begin() + static_cast<std::ptrdiff_t>(source.size()), chain.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }))
      continue;
    if (best == nullptr || source.size() > best->size()) best = &source;
  }
  // A name that is a source itself is its own (the file's chains, without an assembly).
  if (std::find(sources_.begin(), sources_.end(), chain) != sources_.end()) return chain;
  return best != nullptr ? *best : chain;
}

std::size_t interface_kinds::add(const std::string& first, const std::string& second,
                                 const std::vector<residue_pair_row>& pairs, double buried_area) {
  // Residues as "chain<TAB>number icode", their chain the source of its copy; a residue pair as its two
  // residues in text order, so that A-B and B-A are one.
  const auto residue_key = [&](const table_residue& r) {
    std::string key = source_of(r.chain->name);
    (key += '\t') += std::to_string(*r.residue->seqid.num);
    return key += icode_text(r.residue->seqid);
  };
  std::unordered_set<std::string> set;
  std::vector<std::string> residues;
  std::unordered_set<std::string> seen;
  for (const residue_pair_row& p : pairs) {
    std::string a = residue_key(p.first), b = residue_key(p.second);
    for (const std::string* r : {&a, &b})
      if (seen.insert(*r).second) residues.push_back(*r);
    if (b < a) std::swap(a, b);
    set.insert(a + '\n' + b);
  }
  for (std::size_t k = 0; k < kinds_.size(); ++k) {
    kind& candidate = kinds_[k];
    std::size_t shared = 0;
    for (const std::string& p : set) shared += candidate.residue_pairs.count(p);
    const std::size_t joined = set.size() + candidate.residue_pairs.size() - shared;
    const double jaccard = joined == 0 ? 1 : static_cast<double>(shared) / static_cast<double>(joined);
    const double larger = std::max(buried_area, candidate.first_area);
    if (jaccard >= kind_min_jaccard && std::abs(buried_area - candidate.first_area) <= kind_max_area_difference * larger) {
      candidate.area_sum += buried_area;
      candidate.members += "," + first + "-" + second;
      ++candidate.count;
      return k + 1;
    }
  }
  kind fresh;
  fresh.residue_pairs = std::move(set);
  std::sort(residues.begin(), residues.end(), residue_before);
  fresh.residues = std::move(residues);
  fresh.area_sum = fresh.first_area = buried_area;
  fresh.members = first + "-" + second;
  fresh.count = 1;
  kinds_.push_back(std::move(fresh));
  return kinds_.size();
}


std::string interface_kinds::table() const {
  std::string out = kinds_header;
  char text[float_text_room];
  for (std::size_t k = 0; k < kinds_.size(); ++k) {
    const kind& x = kinds_[k];
    const double mean = x.area_sum / static_cast<double>(x.count);
    out += std::to_string(k + 1) + '\t' + std::to_string(x.count) + '\t';
    out.append(text, write_float(text, static_cast<float>(mean)));
    out += '\t';
    out.append(text, write_float(text, static_cast<float>(mean / 2)));
    out += '\t' + std::to_string(x.residue_pairs.size()) + '\t';
    for (std::size_t r = 0; r < x.residues.size(); ++r) {
      if (r > 0) out += ',';
      // "A\t25\t" to "A25": the identifier the lists use.
      for (char c : x.residues[r])
        if (c != '\t') out += c;
    }
    out += '\t' + x.members + '\n';
  }
  return out;
}
