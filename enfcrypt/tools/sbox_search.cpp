// Finds, for each of the eight S-boxes, a small circuit of two-input gates (and, and-not, or, xor)
// computing its four outputs from its six inputs, and writes it as C++ for the AVX2 and SSE2
// kernels: enfcrypt/sbox_circuits.h.
//   enfcrypt_sbox_search --search FILE [ATTEMPTS REBUILDS]   searches and writes FILE (the
//                                                            checked-in one: 1500 and 500, the
//                                                            default, some minutes)
//   enfcrypt_sbox_search --check FILE                        replays FILE's steps; fails unless
//                                                            that gives FILE exactly
//   enfcrypt_sbox_search --replay FILE                       replays FILE's steps and writes FILE
//                                                            again (after a change to its layout)
// Everything is deterministic: each step of the search draws from a generator seeded with the box
// and the step's number, so the file records the steps it kept and the check redoes just those
// from the tables, in a moment, where the search itself takes minutes.
//
// A function of the six inputs is a 64-bit truth table (bit v is its value for the input whose
// bit i is input i). Every node may be used or produced complemented for free: and-not and or
// cover every polarity of an and, a complemented xor is an xor, the kernel's key masks can
// complement an input and the kernel keeps track of complemented outputs. So the search works on
// functions up to complement.
//
// A target is built top down, with a care set (where its value matters):
//  - a pool node already has it, or one, two or (for targets of few inputs) three gates on pool
//    nodes make it;
//  - otherwise it is split on an input s: first a node g that is right where s has one value,
//    then t = g xor (s-side and d), with d right where s has the other value: two gates.
// The pool holds every node built so far, for all four outputs, so later targets reuse earlier
// work. An output's first split is tried on every input and side, the rest take the input whose
// halves depend on the fewest inputs, in one order of preference per attempt (so the outputs'
// pieces line up and share), building one side first per input. Attempts differ in those and in
// the order of the outputs; the best is then improved by rebuilding random outputs with the
// others kept, keeping the result when it is smaller.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "enfcrypt/sbox_tables.h"

namespace {

using Table = std::uint64_t;

constexpr int kInputs = 6;
constexpr int kOutputs = 4;
constexpr int kAllOutputs = (1 << kOutputs) - 1;
constexpr int kPilotDepth = 1;          // levels of splits tried every way
constexpr int kThreeGateInputs = 4;     // three-gate completions only for targets of this few inputs
constexpr int kRebuildSteps = 1 << 20;  // rebuild r is step kRebuildSteps + r

// Input i's truth table, and output bit j (least significant first) of S-box `box`.
constexpr const Table (&kInput)[kInputs] = quintar::enfcrypt::des::kEntryTable;
Table Output(int box, int j) { return quintar::enfcrypt::des::OutputTable(box, j); }

// A small generator of its own, so the result never depends on a library's distributions.
class Random {
 public:
  Random(int box, int step)
      : state_((static_cast<std::uint64_t>(box) << 32 | static_cast<std::uint32_t>(step)) * 0x9E3779B97F4A7C15ull + 1) {
  }
  std::uint64_t Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1Dull;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  template <std::size_t N>
  void Shuffle(std::array<int, N>& a) {
    for (int i = static_cast<int>(N) - 1; i > 0; --i) std::swap(a[i], a[Below(i + 1)]);
  }

 private:
  std::uint64_t state_;
};

// The gate kinds as the kernel spells them; kAndNot is a & ~b.
enum Op { kIn, kAnd, kAndNot, kOr, kXor };

struct Node {
  Table t;
  Op op;
  int a, b;
};

// Whether a node of table v is t (or its complement) wherever `care` is set.
bool Matches(Table v, Table t, Table care) {
  const Table d = (v ^ t) & care;
  return d == 0 || d == care;
}

// One gate on a and b in every form the instructions give (operands possibly swapped): with
// either operand complemented or not, and the result complemented or not, these are every and, or
// and xor.
struct Form {
  Op op;
  bool swap;
};
constexpr Form kForms[] = {{kAnd, false}, {kAndNot, false}, {kAndNot, true}, {kOr, false}, {kXor, false}};

Table Apply(Op op, Table a, Table b) {
  switch (op) {
    case kAnd:
      return a & b;
    case kAndNot:
      return a & ~b;
    case kOr:
      return a | b;
    default:
      return a ^ b;
  }
}

// Table x with input v's two values exchanged.
Table Flip(Table x, int v) {
  const int s = 1 << v;
  return ((x & kInput[v]) >> s) | ((x & ~kInput[v]) << s);
}

// The inputs t depends on within `care`, as a bit mask.
int Depends(Table t, Table care) {
  int m = 0;
  for (int v = 0; v < kInputs; ++v)
    if ((t ^ Flip(t, v)) & care & Flip(care, v)) m |= 1 << v;
  return m;
}

int Count(int mask) { return std::popcount(static_cast<unsigned>(mask)); }

// Nodes 0 to 5 are the inputs; the rest are gates on earlier nodes.
struct Circuit {
  std::vector<Node> nodes;
  int out[kOutputs] = {-1, -1, -1, -1};
  int Gates() const { return static_cast<int>(nodes.size()) - kInputs; }
};

Circuit Inputs() {
  Circuit c;
  for (int i = 0; i < kInputs; ++i) c.nodes.push_back({kInput[i], kIn, -1, -1});
  return c;
}

// Keeps only the nodes the outputs in `keep` (a mask) need; the others' out become -1.
void Prune(Circuit& c, int keep) {
  const int n = static_cast<int>(c.nodes.size());
  std::vector<char> live(c.nodes.size(), 0);
  for (int j = 0; j < kOutputs; ++j)
    if (keep >> j & 1) live[c.out[j]] = 1;
  for (int i = n - 1; i >= kInputs; --i)
    if (live[i]) live[c.nodes[i].a] = live[c.nodes[i].b] = 1;
  std::vector<int> at(c.nodes.size(), -1);
  std::vector<Node> kept;
  for (int i = 0; i < n; ++i) {
    if (i >= kInputs && !live[i]) continue;
    Node node = c.nodes[i];
    if (i >= kInputs) node.a = at[node.a], node.b = at[node.b];
    at[i] = static_cast<int>(kept.size());
    kept.push_back(node);
  }
  c.nodes = std::move(kept);
  for (int j = 0; j < kOutputs; ++j) c.out[j] = keep >> j & 1 ? at[c.out[j]] : -1;
}

// The pool's nodes by their values on one care set, up to complement: a hash table with open
// addressing, big enough for any pool.
class Index {
 public:
  Index(const std::vector<Node>& nodes, Table care) : care_(care), low_(care & (~care + 1)) {
    for (auto& slot : slots_) slot.node = -1;
    for (int i = 0; i < static_cast<int>(nodes.size()); ++i) {
      const Table key = Key(nodes[i].t);
      std::size_t at = Hash(key);
      while (slots_[at].node >= 0 && slots_[at].key != key) at = (at + 1) % kSlots;
      if (slots_[at].node < 0) slots_[at] = {key, i};
    }
  }

  // The first node that is v, or its complement, on the care set; -1 when none.
  int Find(Table v) const {
    const Table key = Key(v);
    for (std::size_t at = Hash(key);; at = (at + 1) % kSlots) {
      if (slots_[at].node < 0) return -1;
      if (slots_[at].key == key) return slots_[at].node;
    }
  }

 private:
  static constexpr std::size_t kSlots = 512;
  Table Key(Table v) const { return (v & low_ ? ~v : v) & care_; }
  static std::size_t Hash(Table key) { return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 55); }

  struct Slot {
    Table key;
    int node;
  };
  Table care_, low_;
  Slot slots_[kSlots];
};

class Builder {
 public:
  Builder(Circuit& c, Random& random) : c_(c) {
    std::array<int, kInputs> order{0, 1, 2, 3, 4, 5};
    random.Shuffle(order);
    for (int k = 0; k < kInputs; ++k) rank_[order[k]] = k;
    sides_ = static_cast<int>(random.Next() & 63);
  }

  // A node that is t, or its complement, wherever `care` is set.
  int Build(Table t, Table care) {
    const Index index(c_.nodes, care);
    if (const int found = index.Find(t); found >= 0) return found;
    int a, b;
    if (OneGate(t, care, index, a, b)) return Join(a, b, t, care);
    if (const int two = TwoGates(t, care, index); two >= 0) return two;
    if (Count(Depends(t, care)) <= kThreeGateInputs)
      if (const int three = ThreeGates(t, care, index); three >= 0) return three;
    return Split(t, care);
  }

 private:
  Builder(Circuit& c, const Builder& like, int depth) : c_(c), sides_(like.sides_), depth_(depth) {
    std::copy(like.rank_, like.rank_ + kInputs, rank_);
  }

  const Table& T(int i) const { return c_.nodes[i].t; }
  int Size() const { return static_cast<int>(c_.nodes.size()); }

  // Two nodes that one gate joins into t on care: an xor, or an and (of any polarities) of a
  // node that holds t inside it with a node that is t there.
  bool OneGate(Table t, Table care, const Index& index, int& a, int& b) const {
    for (int i = 0; i < Size(); ++i)
      if (const int k = index.Find(t ^ T(i)); k >= 0 && k != i) {
        a = i, b = k;
        return true;
      }
    // The tables side by side, for the scans below, the search's innermost loop.
    tables_.clear();
    for (const Node& n : c_.nodes) tables_.push_back(n.t);
    for (int i = 0; i < Size(); ++i)
      for (const Table side : {T(i), ~T(i)}) {
        const Table inside = care & side;
        // An and with a node that is 1 all over the care set is its other operand: Find's work.
        if (inside == 0 || inside == care) continue;
        for (const Table target : {t, ~t}) {
          if ((target & care & ~side) != 0) continue;
          for (int k = 0; k < Size(); ++k) {
            const Table d = (tables_[k] ^ target) & inside;
            if ((d == 0 || d == inside) && k != i) {
              a = i, b = k;
              return true;
            }
          }
        }
      }
    return false;
  }

  // The gate on nodes a and b that gives t on care.
  int Join(int a, int b, Table t, Table care) {
    for (const Form f : kForms) {
      const int x = f.swap ? b : a, y = f.swap ? a : b;
      if (Matches(Apply(f.op, T(x), T(y)), t, care)) {
        c_.nodes.push_back({Apply(f.op, T(x), T(y)), f.op, x, y});
        return Size() - 1;
      }
    }
    std::fprintf(stderr, "internal error: no gate joins the nodes\n");
    std::exit(2);
  }

  // t as a gate on a pool node and a node one gate away: an xor, or an and (of any polarities)
  // with a node that holds t inside it, leaving only the inside to get right.
  int TwoGates(Table t, Table care, const Index& index) {
    int a, b;
    for (int i = 0; i < Size(); ++i) {
      const Table x = T(i);
      if (OneGate(t ^ x, care, index, a, b)) return Join(i, Join(a, b, t ^ x, care), t, care);
      for (const Table side : {x, ~x})
        for (const Table target : {t, ~t}) {
          if ((target & care & ~side) != 0 || (care & side) == 0) continue;
          const Index inside(c_.nodes, care & side);
          if (OneGate(target, care & side, inside, a, b)) return Join(i, Join(a, b, target, care & side), t, care);
        }
    }
    return -1;
  }

  // The same with a node two gates away.
  int ThreeGates(Table t, Table care, const Index& index) {
    for (int i = 0; i < Size(); ++i) {
      const Table x = T(i);
      if (const int two = TwoGates(t ^ x, care, index); two >= 0) return Join(i, two, t, care);
      for (const Table side : {x, ~x})
        for (const Table target : {t, ~t}) {
          if ((target & care & ~side) != 0 || (care & side) == 0) continue;
          const Index inside(c_.nodes, care & side);
          if (const int two = TwoGates(target, care & side, inside); two >= 0) return Join(i, two, t, care);
        }
    }
    return -1;
  }

  // Near the top, every input and side, each tried on a copy, the smallest kept; below, the input
  // whose halves depend on the fewest inputs, earliest in this attempt's order on a tie.
  int Split(Table t, Table care) {
    const int depends = Depends(t, care);
    int best = -1, side = 0;
    if (depth_ < kPilotDepth) {
      int smallest = 1 << 30;
      for (int v = 0; v < kInputs; ++v)
        for (int s = 0; s < 2 && (depends >> v & 1); ++s) {
          Circuit copy = c_;
          Builder(copy, *this, depth_ + 1).SplitOn(t, care, v, s);
          if (copy.Gates() < smallest) smallest = copy.Gates(), best = v, side = s;
        }
    } else {
      int bestScore = 1 << 30;
      for (int v = 0; v < kInputs; ++v) {
        if (!(depends >> v & 1)) continue;
        const int score = 16 * (Count(Depends(t, care & kInput[v])) + Count(Depends(t, care & ~kInput[v]))) + rank_[v];
        if (score < bestScore) bestScore = score, best = v;
      }
      side = sides_ >> best & 1;
    }
    ++depth_;
    const int node = SplitOn(t, care, best, side);
    --depth_;
    return node;
  }

  int SplitOn(Table t, Table care, int v, int side) {
    const Table first = side ? kInput[v] : ~kInput[v];
    const Table second = care & ~first;
    const int g = Build(t, care & first);
    // Aim for whichever of t and ~t g gives where it was built, so the rest is 0 there.
    Table rest = t ^ T(g);
    if (rest & care & first) rest = ~rest;
    if ((rest & second) == 0) return g;
    if ((~rest & second) == 0) return Join(g, v, t, care);
    const int d = Build(rest, second);
    return Join(g, Join(v, d, rest, care), t, care);
  }

  Circuit& c_;
  mutable std::vector<Table> tables_;
  int rank_[kInputs];
  int sides_;
  int depth_ = 0;
};

// How a box's circuit was reached: the attempt kept, then the rebuilds kept after it, in order.
struct Steps {
  int attempt = 0;
  std::vector<int> rebuilds;
};

// Builds the outputs in `which` into c, the choices drawn from step `step`'s generator.
void BuildOutputs(int box, int step, Circuit& c, int which) {
  Random random(box, step);
  if (which != kAllOutputs) {
    which = 1 + random.Below(kAllOutputs);
    Prune(c, kAllOutputs & ~which);
  }
  std::array<int, kOutputs> order{0, 1, 2, 3};
  random.Shuffle(order);
  Builder builder(c, random);
  for (const int j : order)
    if (which >> j & 1) c.out[j] = builder.Build(Output(box, j), ~Table{0});
  Prune(c, kAllOutputs);
}

Circuit Attempt(int box, int attempt) {
  Circuit c = Inputs();
  BuildOutputs(box, attempt, c, kAllOutputs);
  return c;
}

// Rebuild r: random outputs of c built again with the others kept.
Circuit Rebuild(int box, int r, Circuit c) {
  BuildOutputs(box, kRebuildSteps + r, c, 0);
  return c;
}

Circuit Search(int box, int attempts, int rebuilds, Steps& steps) {
  Circuit best;
  for (int attempt = 0; attempt < attempts; ++attempt)
    if (Circuit c = Attempt(box, attempt); attempt == 0 || c.Gates() < best.Gates()) best = c, steps.attempt = attempt;
  for (int r = 0; r < rebuilds; ++r)
    if (Circuit c = Rebuild(box, r, best); c.Gates() < best.Gates()) best = c, steps.rebuilds.push_back(r);
  return best;
}

Circuit Replay(int box, const Steps& steps) {
  Circuit c = Attempt(box, steps.attempt);
  for (const int r : steps.rebuilds) c = Rebuild(box, r, c);
  return c;
}

bool Correct(int box, const Circuit& c) {
  for (int j = 0; j < kOutputs; ++j)
    if (!Matches(c.nodes[c.out[j]].t, Output(box, j), ~Table{0})) return false;
  return true;
}

// The gates in an order that keeps few values alive at once: of the gates ready, the one that
// ends the most operands' lives, an output before others, then the earliest built.
std::vector<int> Schedule(const Circuit& c) {
  const int n = static_cast<int>(c.nodes.size());
  std::vector<int> uses(c.nodes.size(), 0);
  for (int i = kInputs; i < n; ++i) ++uses[c.nodes[i].a], ++uses[c.nodes[i].b];
  std::vector<char> isOutput(c.nodes.size(), 0), done(c.nodes.size(), 0);
  for (const int o : c.out) isOutput[o] = 1;
  std::fill(done.begin(), done.begin() + kInputs, 1);
  std::vector<int> order;
  while (static_cast<int>(order.size()) < c.Gates()) {
    int best = -1, bestScore = -1;
    for (int i = kInputs; i < n; ++i) {
      const Node& g = c.nodes[i];
      if (done[i] || !done[g.a] || !done[g.b]) continue;
      const int score = 2 * ((uses[g.a] == 1) + (g.b != g.a && uses[g.b] == 1)) + isOutput[i];
      if (score > bestScore) bestScore = score, best = i;
    }
    --uses[c.nodes[best].a];
    --uses[c.nodes[best].b];
    done[best] = 1;
    order.push_back(best);
  }
  return order;
}

std::string Emit(const Circuit (&boxes)[8], const Steps (&steps)[8]) {
  std::ostringstream o;
  int total = 0;
  std::string sizes;
  for (const Circuit& c : boxes) {
    total += c.Gates();
    sizes += (sizes.empty() ? "" : ", ") + std::to_string(c.Gates());
  }
  char average[16];
  std::snprintf(average, sizeof average, "%.2f", total / 8.0);
  o << "// Written by enfcrypt/tools/sbox_search.cpp from the S-box tables in des_tables.h; do not edit.\n"
       "// Each box's circuit of two-input gates (and, and-not, or, xor) xors its four outputs (least\n"
       "// significant first) into y0 to y3; an output marked in kComplemented arrives complemented.\n"
       "// The inputs are b[0] to b[5], row from b[0] and b[5], column from b[1] (most significant) to b[4].\n"
       "// Gates per box: "
    << sizes << "; average " << average
    << ".\n"
       "#pragma once\n\n"
       "#include \"enfcrypt/sbox_gates.h\"\n\n"
       "// Internal to each kernel's file, like bitslice_kernel.h that includes it.\n"
       "namespace quintar::enfcrypt::circuits {\n"
       "namespace {\n\n"
       "constexpr bool kComplemented[8][4] = {\n";
  for (int box = 0; box < 8; ++box) {
    o << "    {";
    for (int j = 0; j < kOutputs; ++j)
      o << (j ? ", " : "") << (boxes[box].nodes[boxes[box].out[j]].t == Output(box, j) ? "false" : "true");
    o << "}" << (box < 7 ? "," : "") << "\n";
  }
  o << "};\n\n"
       "template <int Box>\n"
       "struct Circuit;\n";
  for (int box = 0; box < 8; ++box) {
    const Circuit& c = boxes[box];
    std::vector<std::string> name(c.nodes.size());
    for (int i = 0; i < kInputs; ++i) name[i] = "b[" + std::to_string(i) + "]";
    o << "\ntemplate <>\nstruct Circuit<" << box
      << "> {\n"
         "  template <typename V>\n"
         "  [[gnu::always_inline]] static constexpr void Run(const V (&b)[6], V& y0, V& y1, V& y2, V& y3) {\n";
    int next = 0;
    for (const int i : Schedule(c)) {
      const Node& g = c.nodes[i];
      name[i] = "g" + std::to_string(next++);
      o << "    const V " << name[i] << " = ";
      if (g.op == kAndNot)
        o << "AndNot(" << name[g.a] << ", " << name[g.b] << ");\n";
      else
        o << name[g.a] << (g.op == kAnd ? " & " : g.op == kOr ? " | " : " ^ ") << name[g.b] << ";\n";
      for (int j = 0; j < kOutputs; ++j)
        if (c.out[j] == i) o << "    y" << j << " ^= " << name[i] << ";\n";
    }
    o << "  }\n};\n";
  }
  o << "\n}  // namespace\n}  // namespace quintar::enfcrypt::circuits\n\n"
       "// The search's steps that reached these circuits, which --check replays: per box, the attempt\n"
       "// kept and the rebuilds kept after it.\n";
  for (int box = 0; box < 8; ++box) {
    o << "// box " << box << " attempt " << steps[box].attempt << "\n";
    for (std::size_t at = 0; at < steps[box].rebuilds.size(); at += 12) {
      o << "// box " << box << " rebuilds";
      for (std::size_t k = at; k < std::min(at + 12, steps[box].rebuilds.size()); ++k)
        o << " " << steps[box].rebuilds[k];
      o << "\n";
    }
  }
  return o.str();
}

// The steps recorded in a file Emit wrote; false when it holds none for some box.
bool ReadSteps(const std::string& text, Steps (&steps)[8]) {
  bool seen[8] = {};
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string slashes, boxWord, kind;
    int box = -1;
    if (!(words >> slashes >> boxWord >> box >> kind) || slashes != "//" || boxWord != "box" || box < 0 || box > 7)
      continue;
    if (kind == "attempt") {
      seen[box] = static_cast<bool>(words >> steps[box].attempt);
    } else if (kind == "rebuilds") {
      for (int r; words >> r;) steps[box].rebuilds.push_back(r);
    }
  }
  return std::all_of(seen, seen + 8, [](bool b) { return b; });
}

int Fail(const char* what, const char* path) {
  std::fprintf(stderr, "%s: %s\n", path, what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const bool search = argc >= 3 && std::strcmp(argv[1], "--search") == 0;
  const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
  const bool replay = argc == 3 && std::strcmp(argv[1], "--replay") == 0;
  if ((!search && !check && !replay) || (search && argc != 3 && argc != 5)) {
    std::fprintf(stderr, "usage: %s --search FILE [ATTEMPTS REBUILDS] | --check FILE | --replay FILE\n", argv[0]);
    return 2;
  }
  const char* path = argv[2];
  Circuit boxes[8];
  Steps steps[8];
  if (search) {
    const int attempts = argc == 5 ? std::atoi(argv[3]) : 1500, rebuilds = argc == 5 ? std::atoi(argv[4]) : 500;
    if (attempts < 1 || rebuilds < 0) return Fail("needs at least one attempt", path);
    for (int box = 0; box < 8; ++box) {
      boxes[box] = Search(box, attempts, rebuilds, steps[box]);
      std::fprintf(stderr, "box %d: %d gates\n", box, boxes[box].Gates());
    }
  } else {
    std::ifstream in(path, std::ios::binary);
    const std::string have((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!ReadSteps(have, steps)) return Fail("records no search steps", path);
    for (int box = 0; box < 8; ++box) boxes[box] = Replay(box, steps[box]);
    for (int box = 0; box < 8; ++box)
      if (!Correct(box, boxes[box])) return Fail("its steps give a wrong circuit", path);
    if (check) return Emit(boxes, steps) == have ? 0 : Fail("is not what its steps give; run the search again", path);
  }
  for (int box = 0; box < 8; ++box)
    if (!Correct(box, boxes[box])) return Fail("internal error: the search made a wrong circuit", path);
  std::ofstream out(path, std::ios::binary);
  out << Emit(boxes, steps);
  return out.good() ? 0 : Fail("could not be written", path);
}
